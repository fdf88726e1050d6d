#!/usr/bin/env bash
# Builds orvconf_<version>_amd64.deb from the build tree given, then checks what a user's system
# would get: the files, the control fields, the licence, lintian, the desktop and AppStream
# files, and the programs run from a scratch root the package was unpacked into. Last, that a
# plain build of the source warns without failing on a warning.
#   PackageTest.sh <build dir> <version> <source dir>
set -uo pipefail
build=$1
version=$2
source=$3

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in cpack dpkg-deb lintian appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (run scripts/setup)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
deb=$work/out/orvconf_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

# Files: the programs, their man pages, the desktop entry with its icons, the metadata, the
# udev rule, the instructions and the Debian documents.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"
expected=(
    /usr/bin/orvconf /usr/bin/orvconf-cli /usr/bin/orvconf-sim
    /usr/share/man/man1/orvconf.1.gz /usr/share/man/man1/orvconf-cli.1.gz
    /usr/share/man/man1/orvconf-sim.1.gz
    /usr/share/applications/org.orvconf.orvconf.desktop
    /usr/share/metainfo/org.orvconf.orvconf.metainfo.xml
    /usr/lib/udev/rules.d/70-orvconf-serial.rules
    /usr/share/orvconf/11.ini
    /usr/share/doc/orvconf/copyright /usr/share/doc/orvconf/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/orvconf.png")
done
for file in "${expected[@]}"; do
    grep -qx "$file" "$work/files" || fail "the package lacks $file"
done
if grep -v '/$' "$work/files" | grep -Ev '^/usr/(bin|share|lib/udev)/'; then
    fail "files outside /usr/bin, /usr/share and /usr/lib/udev (above)"
fi

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = orvconf ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Maintainer)" = "ORVCONF developers <developers@orvconf.org>" ] ||
    fail "Maintainer: $(field Maintainer)"
[ "$(field Homepage)" = "https://orvconf.org" ] || fail "Homepage: $(field Homepage)"
for library in libqt6core6 libqt6widgets6 libqt6serialport6 libc6 qt6-qpa-plugins; do
    field Depends | grep -q "$library" || fail "Depends lacks $library: $(field Depends)"
done
[ "$(field Description | wc -l)" -gt 2 ] || fail "Description has no long text"

# lintian: no errors (warnings are shown for the record).
if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
    fail "lintian reports errors"
fi
cat "$work/lintian.log"

# Unpacked into a scratch root, the way dpkg would install it.
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x" >&2; exit 1; }
desktop-file-validate "$root/usr/share/applications/org.orvconf.orvconf.desktop" ||
    fail "desktop entry"
appstreamcli validate --no-net --pedantic --explain \
    "$root/usr/share/metainfo/org.orvconf.orvconf.metainfo.xml" || fail "AppStream metadata"
grep -q '^Icon=orvconf$' "$root/usr/share/applications/org.orvconf.orvconf.desktop" ||
    fail "the desktop entry names another icon"
# The licence, the same everywhere it is named; no placeholder left.
grep -qx 'License: GPL-3+' "$root/usr/share/doc/orvconf/copyright" || fail "copyright: not GPL-3+"
grep -q '/usr/share/common-licenses/GPL-3' "$root/usr/share/doc/orvconf/copyright" ||
    fail "copyright does not point to the GPL-3 text"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$root/usr/share/metainfo/org.orvconf.orvconf.metainfo.xml" || fail "AppStream licence"
cmp -s "$source/COPYING" /usr/share/common-licenses/GPL-3 || fail "COPYING is not the GPL-3 text"
if grep -rniE 'example\.(com|org|net)|proprietary|licenseref|changeme' "$root/usr/share" \
    <(dpkg-deb -f "$deb"); then
    fail "a placeholder is left (above)"
fi
rules=$root/usr/lib/udev/rules.d/70-orvconf-serial.rules
grep -q 'ENV{ID_MM_DEVICE_IGNORE}="1"' "$rules" || fail "udev rule does not keep ModemManager away"
grep -q 'TAG+="uaccess"' "$rules" || fail "udev rule gives the user no access"
grep -q 'ATTRS{idVendor}=="1a86", ATTRS{idProduct}=="7523"' "$rules" || fail "udev rule lacks CH340"
for program in orvconf orvconf-cli orvconf-sim; do
    page=$(gzip -dc "$root/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
    grep -q "^\.TH \"\?${program^^}\"\? " <<<"$page" || fail "$program.1 has no title"
    grep -q -- "--version" <<<"$page" || fail "$program.1 lacks the options from --help"
done

for program in orvconf orvconf-cli orvconf-sim; do
    out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version) || fail "$program --version"
    [ "$(head -n 1 <<<"$out")" = "$program $version" ] || fail "$program --version says '$out'"
    grep -q "License GPL-3.0-or-later" <<<"$out" || fail "$program --version names no licence"
    page=$(gzip -dc "$root/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
    grep -q "GPL-3.0-or-later" <<<"$page" || fail "$program.1 names no licence"
done
QT_QPA_PLATFORM=offscreen "$root/usr/bin/orvconf-cli" ports >"$work/ports" ||
    fail "orvconf-cli ports from the scratch root"

# Warnings are errors only where a preset asks for it: a user's plain build with a newer
# compiler must not stop at a new warning.
plain=$work/plain
if cmake -S "$source" -B "$plain" -G Ninja -DORVCONF_TESTS=OFF -DORVCONF_BENCH=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$work/plain.log" 2>&1; then
    grep -q -- '-Wall' "$plain/compile_commands.json" || fail "a plain build shows no warnings"
    if grep -q -- '-Werror' "$plain/compile_commands.json"; then
        fail "a plain build fails on warnings"
    fi
else
    cat "$work/plain.log" >&2
    fail "a plain build cannot be configured"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb") checked"
