// The write's road as the window and the command line take it: a QX module served on a
// pseudo-terminal in this process, read on the CONFIG-key road, written, read back and judged.
// What a module's presets set on their own is the module's business; what the write sends is not.

#include "document/WriteVerify.h"
#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "sim/SimServer.h"
#include "tests/support/LoopUntil.h"
#include "tests/support/SimLink.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

// The number of the module's reply to "at&w" on the CONFIG-key road (the start answer is 0).
int SaveReplyNumber(const QxWritePlan& plan) {
    CSimRadio radio(FAMILY_QX);
    CSimLink link(radio, FAMILY_QX);
    link.Escape();
    link.Write(plan);
    const auto save = std::find(link.commands.begin(), link.commands.end(), "at&w\r");
    return static_cast<int>(save - link.commands.begin()) + 1;
}

struct Case {
    const char* name;
    int protocol;     // the written protocol (its preset)
    SimFaults faults; // the module's ways
    bool verify;
    Doc::WriteOutcome outcome;
    bool saveUnclear;
    const char* messageHas; // in the Chinese message
    bool s141NotChecked;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class WriteVerifyTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { Timing::SetScale(0.03); }
    void TearDown() override { Timing::SetScale(1); }
};

TEST_P(WriteVerifyTest, OneReportOfWhatTheRadioHolds) {
    const Case& c = GetParam();
    SimState state = CSimRadio(FAMILY_QX).State();
    state.registers[141] = 1; // a module in its transparent repeater preset
    CSimRadio radio(state);
    QxWritePlan plan = SampleQxPlan(7);
    plan.protocolIndex = c.protocol;
    plan.s141 = 1;
    SimFaults faults = c.faults;
    if (faults.stepFault != SimStepFault::None) {
        faults.stepFaultAt = SaveReplyNumber(plan);
    }
    radio.SetFaults(faults);
    CSimLog log;
    CSimServer server(radio, log);
    server.SetPacing(false);
    server.SetAnnounceDelay(0);
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();

    CRadioSession session;
    Doc::CWriteVerify write(session);
    std::optional<SettingsDocument> before;
    std::optional<Doc::WriteReport> report;
    int readsSeenByOthers = 0;
    session.SetFamily(FAMILY_QX);
    session.SetPortName(server.SlavePath().mid(5));
    std::optional<RadioSnapshot> readBack;
    QObject::connect(&session, &CRadioSession::readFinished, [&](const RadioSnapshot& read) {
        if (!before) {
            before = SettingsDocument{read.family, read.settings};
        } else {
            // Whoever else listens hears the read-back as the write's.
            EXPECT_TRUE(write.ReadingBack());
            ++readsSeenByOthers;
            readBack = read;
        }
    });
    QObject::connect(&write, &Doc::CWriteVerify::finished,
                     [&](const Doc::WriteReport& r) { report = r; });
    ASSERT_TRUE(session.OpenPort(9600));
    ASSERT_TRUE(LoopUntil([&] { return before.has_value(); }));
    ASSERT_TRUE(write.Start({FAMILY_QX, {}, plan}, *before, c.verify));
    ASSERT_TRUE(LoopUntil([&] { return report.has_value(); }));
    EXPECT_FALSE(write.Running());

    EXPECT_EQ(report->outcome, c.outcome);
    EXPECT_EQ(report->saveUnclear, c.saveUnclear);
    const QString message = report->Message(false);
    EXPECT_TRUE(message.contains(QString::fromUtf8(c.messageHas))) << message.toStdString();
    EXPECT_EQ(message.contains("S141"), c.s141NotChecked) << message.toStdString();
    EXPECT_EQ(report->Message(true).contains("Not checked (set by the radio's preset): S141"),
              c.s141NotChecked);
    EXPECT_EQ(report->held.has_value(), c.verify && report->SaveSent());
    EXPECT_EQ(readsSeenByOthers, report->held ? 1 : 0);
    // The report judges the read-back the session delivered.
    if (report->held) {
        ASSERT_TRUE(readBack.has_value());
        EXPECT_EQ(report->held->settings, readBack->settings);
    }
    session.ClosePort();
}

SimFaults Keeps141(SimFaults faults = {}) {
    faults.presetKeeps = {141};
    return faults;
}

SimFaults Drops9() {
    SimFaults faults = Keeps141();
    faults.dropChannel = 9;
    return faults;
}

SimFaults AtSave(SimStepFault fault, SimFaults faults = Keeps141()) {
    faults.stepFault = fault;
    return faults;
}

using enum Doc::WriteOutcome;
INSTANTIATE_TEST_SUITE_P(
    Roads, WriteVerifyTest,
    ::testing::Values(
        // A Bellmark write to a module whose preset leaves S141 at 1: verified, S141 named once.
        Case{"compatible_preset_keeps_s141", 1, Keeps141(), true, Verified, false,
             "保存完毕！\n校验完毕", true},
        // Our own presets clear it: just as verified.
        Case{"compatible_preset_clears_s141", 2, {}, true, Verified, false, "校验完毕", true},
        // The transparent preset follows the module's S141, which is checked.
        Case{"transparent_checks_s141", 0, Keeps141(), true, Verified, false, "校验完毕", false},
        Case{"dropped_channel", 1, Drops9(), true, HoldsOther, false, "信道9", true},
        Case{"no_verify", 1, Keeps141(), false, Saved, false, "保存完毕！", false},
        // The save's answer cut short: the module may well have saved, and it did.
        Case{"save_answer_cut", 2, AtSave(SimStepFault::Cut), true, Verified, true,
             "设置可能已经保存", true},
        Case{"save_answer_cut_no_verify", 2, AtSave(SimStepFault::Cut), false, SaveUnclear, true,
             "设置可能已经保存", false},
        Case{"save_refused", 2, AtSave(SimStepFault::Error), true, Refused, false, "数据有误",
             false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// What the write decides, and only that, is compared: a preset's own registers and the rows the
// write does not program are the radio's.
TEST(ExpectedAfterWrite, ComparesWhatTheWriteDecides) {
    SettingsDocument qx{FAMILY_QX, {}};
    qx.settings.qx.s141 = 1;
    QxWritePlan plan = SampleQxPlan(7);
    plan.s141 = 1;
    for (const int protocol : {0, 1, 2}) {
        plan.protocolIndex = protocol;
        const Doc::ExpectedDocument expected = Doc::ExpectedAfterWrite(plan, qx);
        // "Save settings…" keeps what the module holds where the write does not decide.
        EXPECT_EQ(Doc::DocumentAfterWrite(plan, qx).settings.qx.s141, 1);
        SettingsDocument held = expected.document;
        held.settings.qx.s141 = 0;
        const Doc::Verification v = Doc::VerifyHeld(expected, held);
        EXPECT_EQ(v.differences.isEmpty(), protocol != 0) << protocol;
        EXPECT_EQ(v.notCheckedEnglish, protocol == 0 ? QStringList{}
                                                     : QStringList{"S141 transparent protocol "
                                                                   "preset"});
        held.settings.qx.s131 = plan.mainTxIndex + 1; // a register the write sends
        EXPECT_FALSE(Doc::VerifyHeld(expected, held).differences.isEmpty());
    }

    SettingsDocument orv{FAMILY_ORV, {}};
    OrvWritePlan orvPlan;
    for (int r = 0; r < RadioSettings::kOrvProgramRows; ++r) {
        const int channel = 4 * (r / 2) + r % 2; // the normal layout
        orvPlan.program[static_cast<std::size_t>(r)] = {
            std::to_string(channel), std::to_string(433000000 + channel), "2", "2"};
    }
    orvPlan.protocol = 0;
    orvPlan.modeIndex = 1;
    orvPlan.address = "5";
    orvPlan.currentChannel = 1;
    orvPlan.portRateIndex = 7;
    const Doc::ExpectedDocument expected = Doc::ExpectedAfterWrite(orvPlan, orv);
    SettingsDocument held = expected.document;
    held.settings.channels[2] = {"2", "470.000000", "25   KHz", "Rx"}; // the repeater pair
    EXPECT_TRUE(Doc::VerifyHeld(expected, held).differences.isEmpty());
    held.settings.channels[0].frequency = "470.000000"; // a programmed row
    const Doc::Verification v = Doc::VerifyHeld(expected, held);
    ASSERT_EQ(v.differences.size(), 1);
    EXPECT_EQ(v.differences[0].field, "channels[0].frequency");
    EXPECT_TRUE(v.notCheckedEnglish.isEmpty());
}

} // namespace
