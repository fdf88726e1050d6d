// Channel plans on the settings pages, as a new user tries them: the QX page's plan exported,
// changed as a spreadsheet saves it, imported with the plan check's advice, written and read
// back from the simulated module; a plan with one bad line refused with its line, the list
// unchanged. The ORV page imports only into the rows its layout shows and says which it left.

#include "document/ChannelPlanCsv.h"
#include "orvpage/OrvChannelList.h"
#include "orvpage/OrvSettingsDlg.h"
#include "qxpage/QxChannelModel.h"
#include "qxpage/QxSettingsDlg.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/FileBytes.h"
#include "tests/support/PlanEdit.h"

#include <QPushButton>

namespace {

using namespace guitest;

constexpr int kFrequency = CQxChannelModel::kFrequency;
constexpr int kBandwidth = CQxChannelModel::kBandwidth;

class PlanCsvTest : public RoadTest {
protected:
    static void Press(QWidget* page, const char* name) {
        page->findChild<QPushButton*>(QLatin1String(name))->click();
    }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // powerCycle: the module is switched off and on while the page waits for it.
    CQxSettingsDlg* ReadQx(SimRadio& sim, bool powerCycle = false) {
        // A new home page: its QX page can only be this read's.
        Start(sim.port, kQx, kPowerOn);
        if (powerCycle) {
            sim.Write("\n");
        }
        EXPECT_TRUE(WaitUntil([this] { return Shown(Pages().qxPage); }));
        return qobject_cast<CQxSettingsDlg*>(Pages().qxPage.data());
    }
};

TEST_F(PlanCsvTest, QxPlanThroughASpreadsheetToTheModuleAndBack) {
    QTemporaryDir dir;
    SimRadio sim(
        QStringList{"--family", "qx", "--rate", "9600", "--announce-delay", "200", "--no-pace"});
    CQxSettingsDlg* page = ReadQx(sim);
    ASSERT_NE(page, nullptr);
    // The module is to receive on channel 4: 12.5 kHz beside its transmit channel 3.
    QComboBox* mainRx = page->findChild<QComboBox*>("mainRxCombo");
    mainRx->setCurrentIndex(4);
    emit mainRx->activated(4);

    const QString plan = dir.filePath("plan.csv");
    prompts.savePaths = {plan.toStdString()};
    Press(page, "exportPlanButton");
    EXPECT_EQ(prompts.dialogs.back().title, "导出频道计划（CSV）");
    QByteArray csv = FileBytes(plan);
    ASSERT_TRUE(csv.contains("\r\n3,410.050000,25,Rx&Tx,,\r\n")) << csv.toStdString();
    csv = ChangedInASpreadsheet(csv)
              .replace("\r\n3,433.1,12.5,Rx&Tx,,", "\r\n3,433.1,12.5,Rx&Tx,北站,")
              .replace(",", ";");
    const QString edited = dir.filePath("edited.csv");
    Write(edited, csv);

    // One bad line: refused with its number, the list as it was.
    const QString bad = dir.filePath("bad.csv");
    Write(bad, QByteArray(csv).replace(";433.15;", ";481.000;"));
    const QxTableFile::ListRows before = page->ChannelModel().Rows();
    prompts.texts.clear();
    prompts.openPaths = {bad.toStdString(), edited.toStdString()};
    Press(page, "importPlanButton");
    EXPECT_EQ(prompts.texts,
              std::vector<std::string>{"频道计划没有导入，列表未改动：\n"
                                       "第 3 行：481.000 MHz 超出 410–480 MHz 范围"});
    EXPECT_EQ(page->ChannelModel().Rows(), before);

    prompts.texts.clear();
    Press(page, "importPlanButton");
    const std::string advice = "第 6 行（频道 4）：与频道 3 只相隔 12.5 kHz，比带宽窄，会互相干扰";
    EXPECT_EQ(prompts.texts,
              std::vector<std::string>{"频道计划已导入。\n\n对计划的建议：\n" + advice});
    EXPECT_EQ(page->ChannelModel().Text(3, kFrequency), "433.100000");
    EXPECT_EQ(page->ChannelModel().Text(3, kBandwidth), "12.5 KHz");
    // The planner's name goes out again with the next plan.
    const QString named = dir.filePath("named.csv");
    prompts.savePaths = {named.toStdString()};
    Press(page, "exportPlanButton");
    EXPECT_TRUE(FileBytes(named).contains("\r\n3,433.100000,12.5,Rx&Tx,北站,\r\n"))
        << FileBytes(named).toStdString();

    // Advice does not stop Set: it is shown, then the module is written.
    prompts.texts.clear();
    Press(page, "setButton");
    ASSERT_TRUE(WaitUntil([this] { return prompts.texts.size() >= 2; }));
    EXPECT_EQ(prompts.texts, (std::vector<std::string>{
                                 "对频道计划的建议（设置继续进行）：\n频道 4：与频道 3 只相隔 12.5 "
                                 "kHz，比带宽窄，会互相干扰",
                                 "保存完毕！"}));
    ASSERT_TRUE(page->OnExitSettings());
    ASSERT_TRUE(WaitUntil([this] { return BackHome(); }));

    CQxSettingsDlg* again = ReadQx(sim, true);
    ASSERT_NE(again, nullptr);
    const CQxChannelModel& read = again->ChannelModel();
    EXPECT_EQ(read.Text(0, kFrequency), "433.125000");
    EXPECT_EQ(read.Text(1, kFrequency), "433.150000");
    EXPECT_EQ(read.Text(3, kFrequency), "433.100000");
    EXPECT_EQ(read.Text(3, kBandwidth), "12.5 KHz");
    EXPECT_EQ(read.Text(4, kFrequency), "433.112500");
}

// An error of the check stops Set; nothing goes to the radio.
TEST_F(PlanCsvTest, AnErrorOfThePlanCheckStopsSet) {
    SimRadio sim(
        QStringList{"--family", "qx", "--rate", "9600", "--announce-delay", "200", "--no-pace"});
    CQxSettingsDlg* page = ReadQx(sim);
    ASSERT_NE(page, nullptr);
    page->ChannelModel().SetText(3, kBandwidth, QStringLiteral("12.5 KHz"));
    QComboBox* mainRx = page->findChild<QComboBox*>("mainRxCombo");
    page->ChannelModel().SetText(4, kFrequency, QStringLiteral("410.050000"));
    mainRx->setCurrentIndex(4);
    emit mainRx->activated(4);
    prompts.texts.clear();
    Press(page, "setButton");
    EXPECT_EQ(prompts.texts,
              std::vector<std::string>{"频道计划无法工作，没有发送任何内容：\n频道 4：与频道 3 "
                                       "同在信道 1、频率相同，带宽却不同：两端互相听不清"});
    EXPECT_FALSE(page->WriteRunning() || Shown(Pages().savingDlg));
}

// The ORV page takes only the rows its layout edits, and says which of the plan it left.
TEST_F(PlanCsvTest, OrvPageImportsTheRowsItsLayoutShows) {
    QTemporaryDir dir;
    SimRadio sim(QStringList{"--family", "orv", "--rate", "9600", "--no-pace"});
    StartOrvRead(sim);
    ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().orvPage); }));
    auto* page = qobject_cast<COrvSettingsDlg*>(Pages().orvPage.data());
    main->SetEnglish(true);
    const QString plan = dir.filePath("orv.csv");
    prompts.savePaths = {plan.toStdString()};
    Press(page, "exportPlanButton");
    QByteArray csv = FileBytes(plan);
    ASSERT_TRUE(csv.contains("\r\n0,433.000000,12.5,Tx,,\r\n")) << csv.toStdString();
    // Row 0 is shown in the normal layout, row 2 (a repeater row) is not.
    csv.replace("\r\n0,433.000000,", "\r\n0,434.000000,")
        .replace("\r\n2,433.025000,", "\r\n2,435.000000,");
    Write(plan, csv);
    prompts.texts.clear();
    prompts.openPaths = {plan.toStdString()};
    Press(page, "importPlanButton");
    EXPECT_EQ(prompts.texts,
              std::vector<std::string>{"The plan was imported.\n\nchannel 2 left as they are: the "
                                       "layout does not show them, or the page does not change "
                                       "their bandwidth and direction."});
    EXPECT_EQ(page->ChannelModel().CellTexts()[0], "434.000000");
    EXPECT_EQ(page->ChannelModel().CellTexts()[2], "433.025000");
}

} // namespace
