// Differences between documents in words, and the document a radio lists after a write.

#include "document/Compare.h"
#include "document/DocumentSet.h"
#include "orvpage/OrvPageLogic.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

void PrintTo(const ChannelEntry& e, std::ostream* os) {
    *os << '{' << e.channel << '|' << e.frequency << '|' << e.bandwidth << '|' << e.direction
        << '}';
}

namespace {

SettingsDocument QxRead() {
    SettingsDocument d{FAMILY_QX, {}};
    // Bellmark, 2FSK 9600 at 25 kHz, address 9, power 25(320), FEC on, 9600 baud, 8N1.
    d.settings.qx = {1, 0, 0, 5, 0, 2, 1, 2, 3, 4, 9, 25, 1, 7, 1};
    d.settings.channels[1] = {"1", "433.125000", "25   KHz", "Rx&Tx"};
    d.settings.channels[5] = {"5", "434.500000", "12.5 KHz", "Rx"};
    return d;
}

SettingsDocument OrvRead() {
    SettingsDocument d{FAMILY_ORV, {}};
    d.settings.orv = {0, 1, 0, 5, 0, 0, 0, 0, "12"}; // BMK transparent 2FSK 9600 25 kHz
    d.settings.orvCurrentChannel = 3;
    d.settings.orvPortRate = 7;
    d.settings.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    d.settings.channels[1] = {"1", "434.500000", "12.5 KHz", "Rx"};
    return d;
}

struct Pair {
    const char* what;
    std::function<SettingsDocument()> was;
    std::function<void(SettingsDocument&)> change;
    bool readableOnly;
    QStringList english; // expected, in order
};

TEST(CompareDocuments, NamesEachChangeInWords) {
    const std::vector<Pair> cases = {
        {"equal", QxRead, [](SettingsDocument&) {}, false, {}},
        {"a register with named values",
         QxRead,
         [](SettingsDocument& d) { d.settings.qx.s103 = 7; },
         false,
         {"S103 air rate: 9600 -> 19200"}},
        {"registers stored with an offset",
         QxRead,
         [](SettingsDocument& d) {
             d.settings.qx.s108 = 33;
             d.settings.qx.s110 = 10;
         },
         false,
         {"S108 output power: 25(320) -> 33(2W)", "S110 serial data format: 8N1 -> 7O2"}},
        {"a value without an item stays a number",
         QxRead,
         [](SettingsDocument& d) { d.settings.qx.s186 = 9; },
         false,
         {"S186 protocol: Bellmark Compatible -> 9"}},
        {"channel rows: moved, deleted, added, bandwidth and direction",
         QxRead,
         [](SettingsDocument& d) {
             d.settings.channels[1].frequency = "433.250000";
             d.settings.channels[5] = {};
             d.settings.channels[7] = {"7", "470.000000", "6.25 KHz", "Tx"};
             d.settings.channels[1].bandwidth = "12.5 KHz";
             d.settings.channels[1].direction = "Tx";
         },
         false,
         {"channel 1: 433.125 MHz -> 433.250 MHz", "channel 1 bandwidth: 25 kHz -> 12.5 kHz",
          "channel 1 direction: Rx&Tx -> Tx", "channel 5: deleted",
          "channel 7: added, 470.000 MHz, 6.25 kHz, Tx"}},
        {"listing and answer forms of the same row are equal",
         QxRead,
         [](SettingsDocument& d) {
             d.settings.channels[1] = {"1", "433.125", "2", "Tx&Rx"};
             d.settings.channels[9] = {"9", "0.000000", "", ""};
         },
         false,
         {}},
        {"an ORV mode is named, not its registers",
         OrvRead,
         [](SettingsDocument& d) {
             d.settings.orv.s186 = 2; // Trimtalk 2FSK 9600, S101 0: repeater
         },
         false,
         {"mode: BMK transparent protocol, 2FSK 9600bps 25kHz -> Trimtalk450S protocol, 2FSK "
          "9600bps 25kHz repeater"}},
        {"a register the ORV mode does not use changes nothing",
         OrvRead,
         [](SettingsDocument& d) { d.settings.orv.s101 = 3; },
         false,
         {}},
        {"two unknown ORV modes: the registers themselves",
         [] {
             SettingsDocument d = OrvRead();
             d.settings.orv.s128 = 1;
             return d;
         },
         [](SettingsDocument& d) { d.settings.orv.s226 = 2; },
         false,
         {"S226 mode variant: 0 -> 2"}},
        {"ORV address, address off, channel and port rate",
         OrvRead,
         [](SettingsDocument& d) {
             d.settings.orv.s105 = "012"; // the same address
             d.settings.orv.s190 = 1;
             d.settings.orvCurrentChannel = 4;
             d.settings.orvPortRate = 9;
         },
         false,
         {"S190 address off: no -> yes", "current channel: 3 -> 4",
          "serial port rate: 9600 -> 4800"}},
        {"what a read cannot return is left out on request",
         OrvRead,
         [](SettingsDocument& d) {
             d.settings.orvCurrentChannel = 4;
             d.settings.orvPortRate = 0;
             d.settings.orv.s105 = "13";
         },
         true,
         {"S105 radio address: 12 -> 13"}},
        {"another family",
         OrvRead,
         [](SettingsDocument& d) { d.family = FAMILY_QX; },
         false,
         {"family: ORV -> QX"}},
    };
    for (const Pair& c : cases) {
        const SettingsDocument was = c.was();
        SettingsDocument will = was;
        c.change(will);
        QStringList english;
        for (const Doc::Difference& d : Doc::CompareDocuments(was, will, c.readableOnly)) {
            english << d.english;
            EXPECT_FALSE(d.chinese.isEmpty()) << c.what;
            EXPECT_FALSE(d.field.isEmpty()) << c.what;
        }
        EXPECT_EQ(english, c.english) << c.what << "\n" << english.join('\n').toStdString();
    }
}

// An ORV radio reads back the mode its preset was chosen for, whatever mode it had.
TEST(DocumentAfterWrite, EveryOrvModeReadsBackAsWritten) {
    for (int protocol = 0; protocol < OrvPageLogic::kProtocols; ++protocol) {
        for (int mode = 0; mode < OrvPageLogic::ModeCount(protocol); ++mode) {
            for (const OrvRegisters& old :
                 {OrvRegisters{}, OrvRegisters{1, 4, 1, 7, 0, 3, 2, 1, "7"}}) {
                SettingsDocument before = OrvRead();
                before.settings.orv = old;
                before.settings.orv.s105 = "7";
                SettingsDocument request = before;
                const Doc::PreparedWrite prepared = Doc::PrepareWrite(request);
                OrvWritePlan plan = prepared.orv;
                plan.protocol = protocol;
                plan.modeIndex = mode;
                const OrvPageLogic::ModeOnPage shown = OrvPageLogic::ModeFromRegisters(
                    Doc::DocumentAfterWrite(plan, before).settings.orv);
                EXPECT_FALSE(shown.unknownProtocol) << protocol << "/" << mode;
                EXPECT_EQ(shown.protocol, protocol) << mode;
                EXPECT_EQ(shown.modeIndex, mode) << protocol;
            }
        }
    }
}

// A document written unchanged leaves nothing a read could tell apart.
TEST(DocumentAfterWrite, ADocumentWrittenAsReadChangesNothing) {
    for (const SettingsDocument& read : {QxRead(), OrvRead()}) {
        const Doc::PreparedWrite prepared = Doc::PrepareWrite(read);
        ASSERT_TRUE(prepared.problems.isEmpty()) << prepared.problems.join('\n').toStdString();
        const SettingsDocument after = read.family == FAMILY_ORV
                                           ? Doc::DocumentAfterWrite(prepared.orv, read)
                                           : Doc::DocumentAfterWrite(prepared.qx, read);
        QStringList found;
        for (const Doc::Difference& d : Doc::CompareDocuments(read, after, false)) {
            found << d.english;
        }
        EXPECT_TRUE(found.isEmpty()) << read.family << found.join('\n').toStdString();
    }
}

TEST(DocumentAfterWrite, QxRowsAndRegistersAsTheRadioListsThem) {
    SettingsDocument request = QxRead();
    request.settings.channels[1] = {"1", "433.25", "12.5 KHz", ""}; // incomplete: deleted
    request.settings.channels[2] = {"2", "470.000050", "6.25 KHz", "Tx"};
    request.settings.qx.s186 = 3; // Satel 9600 at 12.5 kHz
    request.settings.qx.s125 = 1;
    request.settings.qx.s141 = 1;
    request.settings.qx.s108 = 33;
    const Doc::PreparedWrite prepared = Doc::PrepareWrite(request);
    ASSERT_TRUE(prepared.problems.isEmpty()) << prepared.problems.join('\n').toStdString();
    const SettingsDocument after = Doc::DocumentAfterWrite(prepared.qx, QxRead());
    EXPECT_EQ(after.settings.channels[1], ChannelEntry{});
    EXPECT_EQ(after.settings.channels[2], (ChannelEntry{"2", "470.000050", "6.25 KHz", "Tx"}));
    EXPECT_EQ(after.settings.channels[5], (ChannelEntry{"5", "434.500000", "12.5 KHz", "Rx"}));
    EXPECT_EQ(after.settings.qx.s108, 33);
    EXPECT_EQ(after.settings.qx.s141, 0); // the Satel preset's mode digit
}

// The ORV write of the repeater layout programs channels 62 and 63; the listing then shows the
// texts of channel 61 in row 63.
TEST(DocumentAfterWrite, OrvRow63RepeatsTheLineTwoBeforeIt) {
    SettingsDocument before = OrvRead();
    before.settings.channels[61] = {"61", "450.000000", "25   KHz", "Rx&Tx"};
    OrvWritePlan plan = Doc::PrepareWrite(before).orv;
    plan.protocol = 3; // QZ repeater: the repeater layout
    plan.modeIndex = 1;
    plan.program[30] = {"62", "460000000", "1", "0"};
    plan.program[31] = {"63", "470000000", "0", "1"};
    const SettingsDocument after = Doc::DocumentAfterWrite(plan, before);
    EXPECT_EQ(after.settings.channels[62], (ChannelEntry{"62", "460.000000", "12.5 KHz", "Rx"}));
    EXPECT_EQ(after.settings.channels[63], (ChannelEntry{"61", "450.000000", "25   KHz", "Rx&Tx"}));
    EXPECT_EQ(after.settings.orvPortRate, before.settings.orvPortRate);
}

} // namespace
