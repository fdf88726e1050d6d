// The settings document read from any bytes: a refused document leaves the caller's untouched
// and names what is wrong; an accepted one is written and read back to the same settings.

#include "document/SettingsJson.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) {
        return 0;
    }
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SettingsDocument document;
    document.settings.orv.s105 = "untouched";
    const SettingsDocument untouched = document;

    const QStringList problems = SettingsFromJson(json, &document);
    if (!problems.isEmpty()) {
        FUZZ_CHECK(document.family == untouched.family && document.settings == untouched.settings);
        for (const QString& problem : problems) {
            FUZZ_CHECK(!problem.trimmed().isEmpty());
        }
        return 0;
    }
    FUZZ_CHECK(document.family == FAMILY_ORV || document.family == FAMILY_QX);

    const QByteArray written = SettingsToJson(document);
    SettingsDocument back;
    FUZZ_CHECK(SettingsFromJson(written, &back).isEmpty());
    FUZZ_CHECK(back.family == document.family);
    // Only the part of the family is written: compare that part.
    if (document.family == FAMILY_ORV) {
        FUZZ_CHECK(back.settings.orv == document.settings.orv);
        FUZZ_CHECK(back.settings.orvCurrentChannel == document.settings.orvCurrentChannel);
        FUZZ_CHECK(back.settings.orvPortRate == document.settings.orvPortRate);
    } else {
        FUZZ_CHECK(back.settings.qx == document.settings.qx);
    }
    FUZZ_CHECK(back.settings.channels == document.settings.channels);
    FUZZ_CHECK(back.notes == document.notes);
    FUZZ_CHECK(SettingsToJson(back) == written);
    return 0;
}
