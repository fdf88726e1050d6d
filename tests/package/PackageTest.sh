#!/usr/bin/env bash
# Builds orvconf_<version>_amd64.deb from the build tree given, then checks what a user's system
# would get: the files, the control fields, lintian, the desktop and AppStream files, and the
# programs run from a scratch root the package was unpacked into.
#   PackageTest.sh <build dir> <version>
set -uo pipefail
build=$1
version=$2

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
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@]+@[^@]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
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
    [ "$out" = "$program $version" ] || fail "$program --version says '$out'"
done
QT_QPA_PLATFORM=offscreen "$root/usr/bin/orvconf-cli" ports >"$work/ports" ||
    fail "orvconf-cli ports from the scratch root"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb") checked"
