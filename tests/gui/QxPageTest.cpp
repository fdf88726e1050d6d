// The QX settings page clicked as a user would, offscreen: the register controls and their
// enabling rule, the channel list's editors, and whole Sets against the simulated radio.

#include "document/DocumentSet.h"
#include "exchange/WriteFault.h"
#include "qxpage/QxChannelModel.h"
#include "qxpage/QxSettingsDlg.h"
#include "qxpage/QxTableFile.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/FileBytes.h"
#include "tests/support/SimLink.h"

#include <QAccessible>
#include <QHeaderView>
#include <QPushButton>

namespace {

using namespace guitest;

// A module as it might have been read: every register with an item (S186 2, S101 0, S105 17,
// S108 33, S110 1...).
QxRegisters ReadRegisters() {
    return QxRegisters{2, 0, 1, 5, 0, 1, 3, 4, 5, 6, 17, 33, 1, 7, 1};
}

constexpr int kFrequency = CQxChannelModel::kFrequency;
constexpr int kBandwidth = CQxChannelModel::kBandwidth;
constexpr int kDirection = CQxChannelModel::kDirection;

class QxPageTest : public RoadTest {
protected:
    // A page as the end of a read shows it, without a port; two channels in use.
    void Open(const QxRegisters& registers = ReadRegisters()) {
        CreateMain();
        main->hide();
        read = RadioSettings{};
        read.qx = registers;
        read.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
        read.channels[1] = {"1", "470.000000", "6.25 KHz", "Tx"};
        page = qobject_cast<CQxSettingsDlg*>(main->PresentSettingsPage(FAMILY_QX, read));
    }

    template <typename T = QWidget> T* Control(const char* name) {
        return page->findChild<T*>(QLatin1String(name));
    }
    QComboBox* Combo(const char* name) { return Control<QComboBox>(name); }
    // Picks an item as the user does (the same item again counts as a choice too).
    void Choose(const char* combo, int index) {
        Combo(combo)->setCurrentIndex(index);
        emit Combo(combo)->activated(index);
    }
    bool Enabled(const char* name) { return Control(name)->isEnabled(); }
    // QTest's second click on the same spot would make a double click.
    void Press(const char* name) { Control<QPushButton>(name)->click(); }
    CQxChannelModel& Model() { return page->ChannelModel(); }
    QString Cell(int row, int column) { return Model().Text(row, column); }

    CQxSettingsDlg* page = nullptr;
    RadioSettings read; // what Open filled the page from
};

TEST_F(QxPageTest, FillShowsEveryRegisterAndLeavesUnlistedValuesUnselected) {
    QxRegisters r = ReadRegisters();
    r.s108 = 31; // one of the two empty power items
    r.s110 = 10;
    r.s102 = 14;
    Open(r);
    EXPECT_EQ(Combo("powerCombo")->currentIndex(), 11);
    EXPECT_EQ(Combo("dataFormatCombo")->currentText(), "7O2");
    EXPECT_EQ(Combo("portRateCombo")->currentText(), "300");
    EXPECT_EQ(Control<QLineEdit>("unitAddressEdit")->text(), "17");
    EXPECT_EQ(Cell(1, kBandwidth), "6.25 KHz");
    // The Channel column numbers the rows; no second numbering from 1, not even for assistive
    // technology.
    EXPECT_TRUE(page->ChannelList().verticalHeader()->isHidden());
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&page->ChannelList());
    ASSERT_TRUE(table != nullptr && table->tableInterface() != nullptr);
    EXPECT_EQ(table->tableInterface()->rowDescription(5), "");
    // No item for the value: no selection, and the next exchange takes that as none.
    r.s186 = 7;
    r.s110 = 0;
    Open(r);
    EXPECT_EQ(Combo("protocolCombo")->currentIndex(), -1);
    Choose("fecCombo", 0);
    EXPECT_EQ(page->Values().protocolIndex, -1);
    EXPECT_EQ(page->Values().dataFormatIndex, -1);
}

// The work mode list follows the protocol, the repeater lists the work mode and S141; the
// protocol's rule looks at the work mode as read, not at the page's choice.
TEST_F(QxPageTest, WorkModeAndRepeaterChannelsFollowProtocolWorkModeAndS141) {
    struct Case {
        int protocol, s141, workMode;
        bool workModeOn, repeaterOn;
    };
    for (const Case& c :
         {Case{0, 0, 0, false, false}, Case{0, 1, 0, false, true}, Case{1, 1, 0, false, false},
          Case{2, 0, 3, true, true}, Case{2, 0, 2, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.protocol << " S141 " << c.s141 << " " << c.workMode);
        QxRegisters r = ReadRegisters();
        r.s186 = c.protocol;
        r.s141 = c.s141;
        r.s101 = c.workMode;
        Open(r);
        EXPECT_EQ(Enabled("workModeCombo"), c.workModeOn);
        EXPECT_EQ(Enabled("repeaterTxCombo") && Enabled("repeaterRxCombo"), c.repeaterOn);
    }
    Choose("workModeCombo", 0); // read as 2
    EXPECT_TRUE(Enabled("repeaterTxCombo") && Enabled("repeaterRxCombo"));
    Choose("protocolCombo", 1);
    EXPECT_FALSE(Enabled("workModeCombo"));
    Choose("protocolCombo", 2);
    EXPECT_EQ(Combo("workModeCombo")->currentIndex(), 0);
    EXPECT_FALSE(Enabled("repeaterTxCombo") || Enabled("repeaterRxCombo"));
    EXPECT_EQ(page->Values().workModeIndex, 0);
}

// A power item chosen marks the power edited even when unchanged. A unit address that is no
// whole number stops the exchange there: the message, the last valid address back, the choices
// after it in the exchange undone; FEC comes before it.
TEST_F(QxPageTest, PowerChoiceIsMarkedAndAUnitAddressThatIsNoNumberStopsTheExchange) {
    Open();
    Choose("airRateCombo", 5); // as read
    EXPECT_FALSE(Pages().qxPowerEdited);
    Choose("powerCombo", Combo("powerCombo")->currentIndex());
    EXPECT_TRUE(Pages().qxPowerEdited);
    QLineEdit* address = Control<QLineEdit>("unitAddressEdit");
    address->selectAll();
    QTest::keyClicks(address, "42x");
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"请输入一个整数。"});
    EXPECT_EQ(address->text(), "42");
    EXPECT_EQ(page->Values().unitAddress, 42);
    main->SetEnglish(true);
    address->setText(""); // emptied without a keystroke: the next choice meets it
    Combo("fecCombo")->setCurrentIndex(0);
    Choose("airRateCombo", 1);
    EXPECT_EQ(prompts.texts.back(), "Please enter an integer.");
    EXPECT_EQ(page->Values().fecIndex, 0);
    EXPECT_EQ(page->Values().airRateIndex, 5);
    EXPECT_EQ(Combo("airRateCombo")->currentIndex(), 5);
    EXPECT_EQ(address->text(), "42");
}

// A click gives an empty row its defaults and enables Delete; the frequency editor checks and
// completes the text; the combo box starts on the cell's text, Escape commits as Enter, any text
// may be typed and a click on another cell commits it.
TEST_F(QxPageTest, ClicksOpenTheEditorsAndGiveAnEmptyRowItsDefaults) {
    Open();
    EXPECT_FALSE(Enabled("deleteButton"));
    ClickCell(page, 3, CQxChannelModel::kChannel);
    EXPECT_EQ(OpenEditor<QWidget>(page), nullptr);
    EXPECT_EQ(Cell(3, kBandwidth), "25   KHz");
    EXPECT_EQ(Cell(3, kDirection), "Rx&Tx");
    EXPECT_TRUE(Enabled("deleteButton"));
    TypeInto(page, 5, kFrequency, "433.1");
    EXPECT_EQ(Cell(5, kFrequency), "433.100000");
    TypeInto(page, 6, kFrequency, "500");
    EXPECT_EQ(Cell(6, kFrequency), "500");
    EXPECT_EQ(prompts.texts,
              std::vector<std::string>{"输入频段范围不对，请重新输入！\n信道 6 频率：“500”"});
    EXPECT_EQ(OpenEditor<QWidget>(page), nullptr);
    ClickCell(page, 5, kDirection);
    auto* combo = OpenEditor<QComboBox>(page, "cellCombo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), "Rx&Tx");
    combo->setCurrentIndex(0);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(Cell(5, kDirection), "Rx");
    ClickCell(page, 5, kBandwidth);
    combo = OpenEditor<QComboBox>(page, "cellCombo");
    ASSERT_NE(combo, nullptr);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "wide");
    ClickCell(page, 6, kFrequency);
    EXPECT_EQ(Cell(5, kBandwidth), "wide");
    EXPECT_NE(OpenEditor<QWidget>(page), nullptr);
}

// Set checks the whole write first: a page state with no preset, a frequency off the 50 Hz
// steps or a direction nobody knows is told and nothing is sent.
TEST_F(QxPageTest, SetRefusesAWriteThatCannotCompleteAndSendsNothing) {
    QxRegisters r = ReadRegisters();
    r.s186 = 3; // Satel, air rate 9600 with 25 kHz: no preset
    r.s125 = 2;
    Open(r);
    Model().SetText(4, kFrequency, QStringLiteral("433.00001"));
    Model().SetText(4, kBandwidth, QStringLiteral("25   KHz"));
    Model().SetText(4, kDirection, QStringLiteral("both"));
    Press("setButton");
    // One message, item by item, each with its place.
    EXPECT_EQ(prompts.texts, std::vector<std::string>{
                                 "请改正以下 3 项：\n"
                                 "1. 输入频率值不对，请重新输入！\n    信道 4 频率：“433.00001”\n"
                                 "2. 信道4方向不对，请检查！\n    信道 4 DIR：“both”\n"
                                 "3. 当前设置没有对应的预置模式，请检查！"});
    EXPECT_FALSE(page->WriteRunning() || main->Session().Writing());
    EXPECT_TRUE(Enabled("setButton"));
}

// A work mode no list item has (S101 = 7): while its list is disabled the value read is written
// back; once the protocol enables the list, the user has to choose.
TEST_F(QxPageTest, AValueNoListHasIsWrittenBackWhileItsListIsDisabled) {
    QxRegisters r = ReadRegisters();
    r.s186 = 1;
    r.s101 = 7;
    Open(r);
    EXPECT_FALSE(Enabled("workModeCombo"));
    EXPECT_EQ(Combo("workModeCombo")->currentIndex(), -1);
    Choose("fecCombo", 0); // the exchange leaves the member without a value
    PageSetPlan plan = page->PrepareSetPlan();
    ASSERT_TRUE(plan.Writable()) << plan.problems.front().field;
    EXPECT_EQ(plan.qx.workModeIndex, 7);
    // The command-line client's write of what was read does the same.
    const Doc::PreparedWrite cli = Doc::PrepareWrite(SettingsDocument{FAMILY_QX, read});
    EXPECT_TRUE(cli.problems.isEmpty()) << cli.problems.join('\n').toStdString();
    EXPECT_EQ(cli.qx.workModeIndex, 7);
    Choose("protocolCombo", 2);
    ASSERT_TRUE(Enabled("workModeCombo"));
    Press("setButton");
    ASSERT_EQ(prompts.texts.size(), 1u);
    EXPECT_NE(prompts.texts[0].find("工作模式没有选择，请选择！"), std::string::npos);
    Choose("workModeCombo", 2);
    EXPECT_TRUE(page->PrepareSetPlan().Writable());
}

// The instructions file shows a table line exactly as the export writes it; typed into a file
// (an editor ends it in LF) it imports.
TEST_F(QxPageTest, TheInstructionsExampleLineIsTheExportsAndImports) {
    QFile ini(QStringLiteral(ORVCONF_SOURCE_DIR "/packaging/11.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    QStringList examples;
    static const QRegularExpression line(QStringLiteral("^ {8}(\\d+ .*)$"));
    for (const QString& text : QString::fromUtf8(ini.readAll()).split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch m = line.match(text); m.hasMatch()) {
            examples << m.captured(1);
        }
    }
    ASSERT_EQ(examples.size(), 2); // Chinese, English
    EXPECT_EQ(examples[0], examples[1]);
    Open();
    Model().SetText(7, kFrequency, QStringLiteral("440.500000"));
    Model().SetText(7, kBandwidth, QStringLiteral("12.5 KHz"));
    Model().SetText(7, kDirection, QStringLiteral("Tx"));
    EXPECT_NE(QxTableFile::EncodeFile(Model().Rows()).find(examples[0].toStdString() + "\r\r\n"),
              std::string::npos);
    Press("clearButton");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("typed.txt"));
    QFile typed(path);
    ASSERT_TRUE(typed.open(QIODevice::WriteOnly));
    typed.write(examples[0].toUtf8() + "\n");
    typed.close();
    prompts.openPaths = {path.toStdString()};
    Press("importButton");
    EXPECT_EQ(Model().Rows()[7], (ChannelEntry{"", "440.500000", "12.5 KHz", "Tx"}));
}

// The table leaves as a read-only file that a second export cannot replace, comes back whole
// after Clear, and a file that cannot be read changes nothing.
TEST_F(QxPageTest, TableFilesGoOutReadOnlyAndComeBackWholeOrNotAtAll) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Open();
    const std::string path = dir.filePath(QStringLiteral("table.txt")).toStdString();
    prompts.savePaths = {path, path};
    Press("exportButton");
    const QByteArray bytes = FileBytes(QString::fromStdString(path));
    EXPECT_EQ(bytes.toStdString(), QxTableFile::EncodeFile(Model().Rows()));
    EXPECT_FALSE(QFile::permissions(QString::fromStdString(path)) & QFile::WriteOwner);

    Model().SetText(0, kFrequency, QStringLiteral("450.000000"));
    Press("exportButton");
    EXPECT_EQ(prompts.texts.size(), 1u);
    EXPECT_EQ(FileBytes(QString::fromStdString(path)), bytes);

    Press("clearButton");
    EXPECT_TRUE(Model().RowEmpty(0));
    prompts.openPaths = {path, dir.filePath(QStringLiteral("absent.txt")).toStdString()};
    Press("importButton");
    EXPECT_EQ(Cell(0, kFrequency), "433.125000");
    EXPECT_EQ(Cell(1, kDirection), "Tx");
    EXPECT_TRUE(Model().RowEmpty(2));
    const QxTableFile::ListRows before = Model().Rows();
    prompts.texts.clear();
    Press("importButton");
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"无法打开文件"});
    EXPECT_EQ(Model().Rows(), before);

    // A channel line holding a byte that is not text refuses the file whole: the lines before
    // it are not taken either.
    const QString damaged = dir.filePath(QStringLiteral("damaged.txt"));
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("5       450.000000  25   KHz  Rx\r\n6       451.000000  25 \x01 KHz  Rx\r\n");
    out.close();
    prompts.texts.clear();
    prompts.openPaths = {damaged.toStdString()};
    Press("importButton");
    ASSERT_EQ(prompts.texts.size(), 1u);
    EXPECT_NE(prompts.texts[0].find("第 2 行"), std::string::npos) << prompts.texts[0];
    EXPECT_EQ(Model().Rows(), before);
}

// ---- Whole Sets against the simulated radio.

// What was read, set back unchanged, puts on the wire exactly what the command-line client's
// write of the same document sends, with the editors held back while it runs. A refused or
// unanswered register write ends with its message; the page stays with everything the user
// chose, and Set is offered again.
TEST_F(QxPageTest, SetSendsTheClientsBytesOrEndsWithItsMessage) {
    struct Way {
        const char* name;
        QStringList fault;
        std::string message;
    };
    for (const Way& way :
         {Way{"saved", {}, "保存完毕！"},
          Way{"refused", {"--error-on", "ats101="}, "数据有误，请检查！"},
          Way{"silent", {"--silent-on", "ats125="}, Msg::kNoAnswerWhileSaving.zh},
          // Reply 20 answers the first row's channel number: the frequency prompt left out.
          Way{"broken",
              {"--fault", "skip-prompt", "--fault-at", "20"},
              "电台要求的是带宽，此时应为频率。\n写入已停止，设置未保存。"},
          Way{"unconfirmed", {"--silent-on", "at&w"}, SaveUnconfirmedText(false)}}) {
        SCOPED_TRACE(way.name);
        QTemporaryDir dir;
        const QString log = dir.filePath("sim.log");
        SimRadio sim(QStringList{"--family", "qx", "--rate", "9600", "--announce-delay", "200",
                                 "--no-pace", "--log", log} +
                     way.fault);
        Start(sim.port, kQx, kPowerOn);
        ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().qxPage); }));
        page = qobject_cast<CQxSettingsDlg*>(Pages().qxPage.data());
        const Doc::PreparedWrite cli =
            Doc::PrepareWrite(SettingsDocument{FAMILY_QX, page->Settings()});
        ASSERT_TRUE(cli.problems.isEmpty()) << cli.problems.join('\n').toStdString();
        const QxPageLogic::QxPageValues chosen = page->Values();
        prompts.texts.clear();
        Press("setButton");
        EXPECT_TRUE(Shown(Pages().savingDlg) && !page->ChannelList().isEnabled());
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        EXPECT_EQ(prompts.texts, std::vector<std::string>{way.message});
        EXPECT_FALSE(Shown(Pages().savingDlg) || page->WriteRunning());
        EXPECT_TRUE(page->isVisible() && page->ChannelList().isEnabled());
        EXPECT_TRUE(Enabled("setButton"));
        EXPECT_EQ(page->Values(), chosen);
        if (way.fault.isEmpty()) {
            const std::string expected = WireOfWrite(FAMILY_QX, cli.qx);
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(LastWrite(log).substr(0, expected.size()), expected);
        }
    }
}

} // namespace
