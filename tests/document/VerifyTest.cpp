// A write into the simulated radio read back from the command mode it is left in: what the read
// returns is what DocumentAfterWrite foretold, unless the radio lost part of the write.

#include "document/Compare.h"
#include "document/DocumentSet.h"
#include "tests/support/SimLink.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct VerifyCase {
    const char* what;
    int family;
    std::function<void(SettingsDocument&)> change;
    int dropChannel;      // the radio's fault; -1: a healthy radio
    QStringList expected; // differences between the foretold and the read document
};

QStringList Words(const QList<Doc::Difference>& differences) {
    QStringList words;
    for (const Doc::Difference& d : differences) {
        words << d.english;
    }
    return words;
}

TEST(Verify, AReadAfterTheWriteFindsWhatWasForetold) {
    const std::vector<VerifyCase> cases = {
        {"QX: rows moved, added, deleted and registers changed",
         FAMILY_QX,
         [](SettingsDocument& d) {
             d.settings.channels[2].frequency = "440.000000";
             d.settings.channels[3] = {};
             d.settings.channels[9] = {"9", "455.500000", "6.25 KHz", "Tx"};
             d.settings.qx.s186 = 2; // Trimtalk, remote
             d.settings.qx.s101 = 2;
             d.settings.qx.s108 = 30;
             d.settings.qx.s110 = 3;
         },
         -1,
         {}},
        {"QX: a dropped channel is found",
         FAMILY_QX,
         [](SettingsDocument& d) {
             d.settings.channels[9] = {"9", "455.500000", "6.25 KHz", "Tx"};
         },
         9,
         {"channel 9: deleted"}},
        {"ORV: the mode the preset sets, and the repeater layout's row 63",
         FAMILY_ORV,
         [](SettingsDocument& d) {
             d.settings.orv = {0, 0, 0, 5, 1, 0, 0, 1, "200"}; // QZ transparent repeater
             d.settings.channels[62] = {"62", "460.000000", "12.5 KHz", "Rx"};
             d.settings.channels[63] = {"63", "470.000000", "25   KHz", "Tx"};
             d.settings.channels[2].frequency = "0";
         },
         -1,
         {}},
        {"ORV: Trimtalk base repeater, a dropped change",
         FAMILY_ORV,
         [](SettingsDocument& d) {
             d.settings.orv = {0, 2, 0, 5, 0, 3, 0, 0, "7"};
             d.settings.channels[6].frequency = "441.250000";
         },
         6,
         {"channel 6: 441.250 MHz -> 440.500 MHz"}},
    };
    for (const VerifyCase& c : cases) {
        CSimRadio radio(c.family);
        for (int n : {1, 2, 3, 6, 61}) {
            radio.SetChannel(n, SimChannel{true, 433000000 + 1250000LL * (n % 8), n % 3, n % 3});
        }
        CSimLink link(radio, c.family);
        link.Escape();
        ASSERT_EQ(link.readsFinished, 1) << c.what;
        SettingsDocument before{static_cast<RadioFamily>(c.family), link.settings};
        before.settings.orvCurrentChannel = 2;
        before.settings.orvPortRate = 7;

        SettingsDocument request = before;
        c.change(request);
        const Doc::PreparedWrite prepared = Doc::PrepareWrite(request);
        ASSERT_TRUE(prepared.problems.isEmpty())
            << c.what << prepared.problems.join('\n').toStdString();
        SimFaults faults;
        faults.dropChannel = c.dropChannel;
        radio.SetFaults(faults);
        ASSERT_TRUE(c.family == FAMILY_ORV ? link.Write(prepared.orv) : link.Write(prepared.qx));
        ASSERT_EQ(link.saved, 1) << c.what;

        ASSERT_TRUE(link.exchange.ReadAgain()) << c.what;
        link.Deliver(radio.Receive(link.commands.back()));
        ASSERT_EQ(link.readsFinished, 2) << c.what;
        EXPECT_EQ(link.commands.back(), "ATP0?\r");

        const SettingsDocument foretold = c.family == FAMILY_ORV
                                              ? Doc::DocumentAfterWrite(prepared.orv, before)
                                              : Doc::DocumentAfterWrite(prepared.qx, before);
        const SettingsDocument read{static_cast<RadioFamily>(c.family), link.settings};
        // As the verify reports it: what was asked for, then what the radio holds.
        const QStringList found = Words(Doc::CompareDocuments(foretold, read, true));
        EXPECT_EQ(found, c.expected) << c.what << "\n" << found.join('\n').toStdString();
        // The write did change the radio, so the foretelling is not simply the old read.
        EXPECT_FALSE(Doc::CompareDocuments(before, foretold, true).isEmpty()) << c.what;
    }
}

TEST(Verify, NoReadAgainWhileAWriteRuns) {
    CSimRadio radio(FAMILY_QX);
    CSimLink link(radio, FAMILY_QX);
    link.Escape();
    const Doc::PreparedWrite prepared =
        Doc::PrepareWrite(SettingsDocument{FAMILY_QX, link.settings});
    ASSERT_TRUE(prepared.problems.isEmpty());
    ASSERT_TRUE(link.exchange.StartWrite(prepared.qx));
    EXPECT_FALSE(link.exchange.ReadAgain());
}

} // namespace
