// The QX settings page clicked as a user would, offscreen: the register controls and their
// enabling rule, the channel list's editors, Delete and Clear, the table files, and a whole Set
// against the simulated radio (orvconf-sim).

#include "app/Language.h"
#include "connect/pages/PageOwner.h"
#include "document/DocumentSet.h"
#include "qxpage/QxChannelModel.h"
#include "qxpage/QxSettingsDlg.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/SimLink.h"

#include <QPushButton>
#include <QTableView>

namespace {

using namespace guitest;

// The page's owner without a home page or a radio.
class CTestOwner : public IPageOwner {
public:
    QWidget* PageParent() override { return nullptr; }
    CRadioSession& Session() override { return session; }
    bool English() const override { return english; }
    QString PortName() const override { return QStringLiteral("ttyTEST"); }
    void ShowHome() override {}
    void PresentReadingPage() override {}
    void ReturnHome(const Bilingual*) override { ++returnedHome; }

    CRadioSession session;
    bool english = false;
    int returnedHome = 0;
};

// A module as it might have been read: every register with an item, two channels in use.
QxRegisters ReadRegisters() {
    QxRegisters r;
    r.s186 = 2;
    r.s101 = 0;
    r.s127 = 1;
    r.s103 = 5;
    r.s125 = 1;
    r.s131 = 3;
    r.s132 = 4;
    r.s191 = 5;
    r.s192 = 6;
    r.s105 = 17;
    r.s108 = 33;
    r.s158 = 1;
    r.s102 = 7;
    r.s110 = 1;
    return r;
}

class QxPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prompts::Install(&prompts);
        QCursor::setPos(0, 0);
    }
    void TearDown() override {
        page.reset();
        Prompts::Install(nullptr);
    }

    // A new page filled from what the module reported.
    void Open(const QxRegisters& registers = ReadRegisters()) {
        RadioSettings& settings = owner.session.Settings();
        settings.qx = registers;
        settings.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
        settings.channels[1] = {"1", "470.000000", "6.25 KHz", "Tx"};
        page = std::make_unique<CQxSettingsDlg>(owner);
        page->Present();
        page->FillFromSettings();
    }

    template <typename T = QWidget> T* Control(const char* name) {
        return page->findChild<T*>(QLatin1String(name));
    }
    QComboBox* Combo(const char* name) { return Control<QComboBox>(name); }
    // Picks an item as the user does (the same item again counts as a choice too).
    void Choose(const char* combo, int index) {
        QComboBox* box = Combo(combo);
        ASSERT_NE(box, nullptr) << combo;
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    bool Enabled(const char* name) { return Control(name)->isEnabled(); }
    // A button's click (a disabled one does nothing); QTest's second click on the same spot
    // would make a double click.
    void Press(const char* name) {
        QPushButton* button = Control<QPushButton>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
        QApplication::processEvents();
    }

    QTableView& List() { return page->ChannelList(); }
    CQxChannelModel& Model() { return page->ChannelModel(); }
    QString Cell(int row, int column) { return Model().Text(row, column); }
    void ClickCell(int row, int column) {
        const QRect cell = List().visualRect(Model().index(row, column));
        QTest::mouseClick(List().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QApplication::processEvents();
    }
    // The editor on screen (a closed one may wait for its deletion).
    QWidget* Editor(const char* name) {
        for (QWidget* editor : List().viewport()->findChildren<QWidget*>(QLatin1String(name))) {
            if (editor->isVisible()) {
                return editor;
            }
        }
        return nullptr;
    }
    void Key(QWidget* target, Qt::Key key) {
        QTest::keyClick(target, key);
        QApplication::processEvents();
    }

    RecordingPrompts prompts;
    CTestOwner owner;
    std::unique_ptr<CQxSettingsDlg> page;
};

TEST_F(QxPageTest, FillShowsEveryRegisterAndLeavesUnlistedValuesUnselected) {
    QxRegisters r = ReadRegisters();
    r.s108 = 31; // one of the two empty power items
    r.s110 = 10;
    r.s102 = 14;
    Open(r);
    EXPECT_EQ(Combo("powerCombo")->currentIndex(), 11);
    EXPECT_EQ(Combo("powerCombo")->currentText(), "");
    EXPECT_EQ(Combo("dataFormatCombo")->currentText(), "7O2");
    EXPECT_EQ(Combo("portRateCombo")->currentText(), "300");
    EXPECT_EQ(Combo("airRateCombo")->currentText(), "9600");
    EXPECT_EQ(Combo("repeaterRxCombo")->currentText(), "6");
    EXPECT_EQ(Control<QLineEdit>("unitAddressEdit")->text(), "17");
    EXPECT_EQ(Cell(1, CQxChannelModel::kBandwidth), "6.25 KHz");
    EXPECT_EQ(Cell(2, CQxChannelModel::kFrequency), "");
    EXPECT_EQ(Cell(63, CQxChannelModel::kChannel), "63");
    EXPECT_FALSE(Enabled("deleteButton"));
    EXPECT_EQ(List().currentIndex().row(), 0);

    // No item for the value: no selection, and the next exchange takes that as none.
    r.s186 = 7;
    r.s110 = 0;
    Open(r);
    EXPECT_EQ(Combo("protocolCombo")->currentIndex(), -1);
    EXPECT_EQ(Combo("dataFormatCombo")->currentIndex(), -1);
    Choose("fecCombo", 0);
    EXPECT_EQ(page->Values().protocolIndex, -1);
    EXPECT_EQ(page->Values().dataFormatIndex, -1);
}

TEST_F(QxPageTest, WorkModeAndRepeaterChannelsFollowProtocolWorkModeAndS141) {
    struct Case {
        int protocol, s141, workMode;
        bool workModeOn, repeaterOn;
    };
    const Case cases[] = {
        {0, 0, 0, false, false}, {0, 1, 0, false, true}, {1, 1, 0, false, false},
        {3, 1, 0, false, false}, {2, 0, 2, true, false}, {2, 0, 3, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "protocol " << c.protocol << " S141 " << c.s141
                                        << " work mode " << c.workMode);
        QxRegisters r = ReadRegisters();
        r.s186 = c.protocol;
        r.s141 = c.s141;
        r.s101 = c.workMode;
        Open(r);
        EXPECT_EQ(Enabled("workModeCombo"), c.workModeOn);
        EXPECT_EQ(Enabled("repeaterTxCombo"), c.repeaterOn);
        EXPECT_EQ(Enabled("repeaterRxCombo"), c.repeaterOn);
        EXPECT_TRUE(Enabled("mainTxCombo") && Enabled("mainRxCombo"));
    }
}

// The protocol's rule looks at the work mode the module reported, not at the page's choice.
TEST_F(QxPageTest, ProtocolChoiceTestsTheWorkModeAsRead) {
    QxRegisters r = ReadRegisters();
    r.s186 = 2;
    r.s101 = 2;
    Open(r);
    EXPECT_FALSE(Enabled("repeaterTxCombo"));
    Choose("workModeCombo", 0);
    EXPECT_TRUE(Enabled("repeaterTxCombo") && Enabled("repeaterRxCombo"));
    Choose("protocolCombo", 1);
    EXPECT_FALSE(Enabled("workModeCombo"));
    Choose("protocolCombo", 2);
    EXPECT_EQ(Combo("workModeCombo")->currentIndex(), 0);
    EXPECT_FALSE(Enabled("repeaterTxCombo") || Enabled("repeaterRxCombo"));
    EXPECT_EQ(page->Values().protocolIndex, 2);
    EXPECT_EQ(page->Values().workModeIndex, 0);
}

TEST_F(QxPageTest, ChoosingAPowerItemMarksThePowerEditedEvenWhenUnchanged) {
    Open();
    Choose("airRateCombo", 7);
    EXPECT_EQ(owner.session.Settings().qxPowerEdited, 0);
    Choose("powerCombo", Combo("powerCombo")->currentIndex());
    EXPECT_EQ(owner.session.Settings().qxPowerEdited, 1);
    EXPECT_EQ(page->Values().airRateIndex, 7);
    EXPECT_EQ(page->Values().powerIndex, 13);
}

// A unit address that is no whole number stops the exchange there: the message, the last valid
// address back in the edit, the choices after it in the exchange undone; FEC comes before it.
TEST_F(QxPageTest, UnitAddressThatIsNoNumberStopsTheExchange) {
    Open();
    QLineEdit* address = Control<QLineEdit>("unitAddressEdit");
    address->selectAll();
    QTest::keyClicks(address, "42");
    EXPECT_EQ(page->Values().unitAddress, 42);
    EXPECT_TRUE(prompts.texts.empty());

    QTest::keyClicks(address, "x");
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"请输入一个整数。"});
    EXPECT_EQ(address->text(), "42");
    EXPECT_EQ(page->Values().unitAddress, 42);

    owner.english = true;
    address->setText(""); // emptied without a keystroke: the next choice meets it
    Combo("fecCombo")->setCurrentIndex(0);
    Choose("airRateCombo", 1);
    EXPECT_EQ(prompts.texts.back(), "Please enter an integer.");
    EXPECT_EQ(page->Values().fecIndex, 0);
    EXPECT_EQ(page->Values().airRateIndex, 5);
    EXPECT_EQ(Combo("airRateCombo")->currentIndex(), 5);
    EXPECT_EQ(address->text(), "42");
}

TEST_F(QxPageTest, ClicksOpenTheEditorsAndGiveAnEmptyRowItsDefaults) {
    Open();
    // Column 0: no editor, but the row's defaults and Delete enabled.
    ClickCell(3, CQxChannelModel::kChannel);
    EXPECT_EQ(Editor("cellEdit"), nullptr);
    EXPECT_EQ(Editor("cellCombo"), nullptr);
    EXPECT_EQ(Cell(3, CQxChannelModel::kBandwidth), "25   KHz");
    EXPECT_EQ(Cell(3, CQxChannelModel::kDirection), "Rx&Tx");
    EXPECT_EQ(Cell(3, CQxChannelModel::kFrequency), "");
    EXPECT_TRUE(Enabled("deleteButton"));
    // A row in use keeps what it has.
    ClickCell(1, CQxChannelModel::kChannel);
    EXPECT_EQ(Cell(1, CQxChannelModel::kDirection), "Tx");

    // The frequency editor: the typed text is checked and brought to its ten characters.
    struct Typed {
        const char* text;
        const char* cell;
        const char* message;
    };
    const Typed typed[] = {
        {"433.1", "433.100000", nullptr},
        {"433", "433.000000", nullptr},
        {"433.12505", "433.125050", nullptr},
        {"433.1250000", "433.1250000", "输入频率格式不对，请确认！"},
        {"500", "500", "输入频段范围不对，请重新输入！"},
        {"433.00001", "433.00001", "输入频率值不对，请重新输入！"},
        {"", "", nullptr},
    };
    for (const Typed& t : typed) {
        SCOPED_TRACE(t.text);
        prompts.texts.clear();
        ClickCell(5, CQxChannelModel::kFrequency);
        auto* edit = qobject_cast<QLineEdit*>(Editor("cellEdit"));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->property("controlId").toInt(), 1013);
        EXPECT_GT(edit->height(), List().visualRect(Model().index(5, 1)).height());
        edit->clear();
        QTest::keyClicks(edit, t.text);
        Key(edit, Qt::Key_Return);
        EXPECT_EQ(Editor("cellEdit"), nullptr);
        EXPECT_EQ(Cell(5, CQxChannelModel::kFrequency), t.cell);
        EXPECT_EQ(prompts.texts, t.message != nullptr ? std::vector<std::string>{t.message}
                                                      : std::vector<std::string>{});
        EXPECT_EQ(Cell(5, CQxChannelModel::kBandwidth), "25   KHz");
    }

    // The combo box: its three items, the cell's text to start with; Escape commits as Enter.
    ClickCell(5, CQxChannelModel::kDirection);
    auto* combo = qobject_cast<QComboBox*>(Editor("cellCombo"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2), "Rx&Tx");
    EXPECT_EQ(combo->currentText(), "Rx&Tx");
    combo->setCurrentIndex(0);
    Key(combo->lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(Cell(5, CQxChannelModel::kDirection), "Rx");
    EXPECT_TRUE(page->isVisible());

    // Any text may be typed; clicking another cell commits it.
    ClickCell(5, CQxChannelModel::kBandwidth);
    combo = qobject_cast<QComboBox*>(Editor("cellCombo"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->itemText(0), "6.25 KHz");
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "wide");
    ClickCell(6, CQxChannelModel::kFrequency);
    EXPECT_EQ(Cell(5, CQxChannelModel::kBandwidth), "wide");
    EXPECT_NE(Editor("cellEdit"), nullptr);
}

TEST_F(QxPageTest, FocusLostWhileThePointerRestsOnTheCellKeepsTheEditorOpen) {
    Open();
    ClickCell(0, CQxChannelModel::kFrequency);
    auto* edit = qobject_cast<QLineEdit*>(Editor("cellEdit"));
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "440");
    QCursor::setPos(
        List().viewport()->mapToGlobal(List().visualRect(Model().index(0, 1)).center()));
    Combo("fecCombo")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Editor("cellEdit"), edit);
    EXPECT_EQ(Cell(0, CQxChannelModel::kFrequency), "433.125000");

    QCursor::setPos(0, 0);
    edit->setFocus();
    Combo("fecCombo")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Editor("cellEdit"), nullptr);
    EXPECT_EQ(Cell(0, CQxChannelModel::kFrequency), "440.000000");
}

TEST_F(QxPageTest, DeleteAndClearEmptyRowsAndEnterNeitherRestoresNorLeaves) {
    Open();
    // Delete empties the row at the selection mark, channel number aside.
    ClickCell(0, CQxChannelModel::kFrequency);
    Key(Editor("cellEdit"), Qt::Key_Return);
    Press("deleteButton");
    EXPECT_TRUE(Model().RowEmpty(0));
    EXPECT_EQ(Cell(0, CQxChannelModel::kChannel), "0");
    EXPECT_EQ(Cell(1, CQxChannelModel::kFrequency), "470.000000");

    // Enter and Escape with no editor open change nothing and keep the page.
    Key(&List(), Qt::Key_Return);
    Key(&List(), Qt::Key_Escape);
    EXPECT_TRUE(Model().RowEmpty(0));
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(owner.returnedHome, 0);

    Press("clearButton");
    for (int row = 0; row < 64; ++row) {
        EXPECT_TRUE(Model().RowEmpty(row)) << row;
    }
    EXPECT_TRUE(Enabled("deleteButton"));

    // Arrows start from the first row when none is selected.
    List().setCurrentIndex(QModelIndex());
    Key(&List(), Qt::Key_Down);
    EXPECT_EQ(List().currentIndex().row(), 1);
}

// Set checks the whole write first: a page state with no preset, a frequency off the 50 Hz
// steps or a direction nobody knows is told and nothing is sent.
TEST_F(QxPageTest, SetRefusesAWriteThatCannotCompleteAndSendsNothing) {
    QxRegisters r = ReadRegisters();
    r.s186 = 3; // Satel, air rate 9600 with 25 kHz: no preset
    r.s103 = 5;
    r.s125 = 2;
    Open(r);
    Model().SetText(4, CQxChannelModel::kFrequency, QStringLiteral("433.00001"));
    Model().SetText(4, CQxChannelModel::kBandwidth, QStringLiteral("25   KHz"));
    Model().SetText(4, CQxChannelModel::kDirection, QStringLiteral("both"));
    Press("setButton");
    EXPECT_EQ(prompts.texts.size(), 3u);
    EXPECT_EQ(prompts.texts.front(), "输入频率值不对，请重新输入！");
    EXPECT_FALSE(page->WriteRunning() || owner.session.Writing());
    EXPECT_TRUE(Enabled("setButton"));
}

TEST_F(QxPageTest, TableFilesGoOutReadOnlyAndComeBackWholeOrNotAtAll) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Open();
    const std::string path = dir.filePath(QStringLiteral("table.txt")).toStdString();
    prompts.savePaths = {path, path};
    Press("exportButton");
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].title, "输出通道列表");
    QFile exported(QString::fromStdString(path));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray bytes = exported.readAll();
    EXPECT_EQ(bytes.toStdString(), QxTableFile::EncodeFile(Model().Rows()));
    EXPECT_FALSE(exported.permissions() & QFile::WriteOwner);

    // Another export over the read-only file is refused and leaves it as it was.
    Model().SetText(0, CQxChannelModel::kFrequency, QStringLiteral("450.000000"));
    Press("exportButton");
    EXPECT_EQ(prompts.texts.size(), 1u);
    QFile again(QString::fromStdString(path));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), bytes);

    // The import brings the exported rows back.
    Press("clearButton");
    prompts.openPaths = {path};
    Press("importButton");
    EXPECT_EQ(prompts.dialogs.back().title, "输入通道列表");
    EXPECT_EQ(Cell(0, CQxChannelModel::kFrequency), "433.125000");
    EXPECT_EQ(Cell(1, CQxChannelModel::kDirection), "Tx");
    EXPECT_TRUE(Model().RowEmpty(2));

    // A file written by an ordinary editor (LF only) keeps its directions.
    const QString handmade = dir.filePath(QStringLiteral("hand.txt"));
    QFile hand(handmade);
    ASSERT_TRUE(hand.open(QIODevice::WriteOnly));
    hand.write("7       455.500000  12.5 KHz  Rx\n12      410.000050  25   KHz  Rx&Tx\n");
    hand.close();
    prompts.openPaths = {handmade.toStdString()};
    Press("importButton");
    EXPECT_EQ(Cell(7, CQxChannelModel::kDirection), "Rx");
    EXPECT_EQ(Cell(12, CQxChannelModel::kFrequency), "410.000050");
    EXPECT_EQ(Cell(12, CQxChannelModel::kDirection), "Rx&Tx");

    // A file that cannot be read changes nothing; a cancelled dialog does nothing at all.
    prompts.texts.clear();
    const QxTableFile::ListRows before = Model().Rows();
    prompts.openPaths = {dir.filePath(QStringLiteral("absent.txt")).toStdString()};
    Press("importButton");
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"无法打开文件"});
    Press("importButton");
    EXPECT_EQ(Model().Rows(), before);
}

// The English forms keep every list's items in order.
TEST_F(QxPageTest, EnglishFormKeepsTheItems) {
    ASSERT_TRUE(Language::UseEnglishForms(true));
    Open();
    Language::UseEnglishForms(false);
    EXPECT_EQ(Combo("powerCombo")->itemText(13), "33(2W)");
    EXPECT_EQ(Combo("bandwidthCombo")->itemText(2), "25     kHz");
}

// ---- A whole Set against the simulated radio.

class QxRoadTest : public RoadTest {
protected:
    void TearDown() override {
        RoadTest::TearDown();
        CLinkModeDlg::ReleaseInstance();
    }
    // From the home page through the config-key connection to the filled settings page.
    CQxSettingsDlg* Read(const QString& port) {
        Start(port, kQx, kPowerOn);
        WaitUntil([] { return Shown(g_qxPage); });
        return qobject_cast<CQxSettingsDlg*>(g_qxPage.data());
    }
};

// What was read, set back unchanged, puts on the wire exactly what the command-line client's
// write of the same document sends. Then protocol, power, a channel's frequency, bandwidth and
// direction changed: Set runs with the saving page up and the editors held back, ends in the
// radio's confirmation, and the next read gives every change back.
TEST_F(QxRoadTest, SetSendsTheClientsBytesAndTheNextReadShowsEveryChange) {
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    SimRadio sim(
        {"--family", "qx", "--rate", "9600", "--announce-delay", "200", "--no-pace", "--log", log});
    ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
    CQxSettingsDlg* page = Read(sim.port);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(prompts.texts.empty());
    const Doc::PreparedWrite cli =
        Doc::PrepareWrite(SettingsDocument{FAMILY_QX, main->Session().Settings()});
    ASSERT_TRUE(cli.problems.isEmpty()) << cli.problems.join('\n').toStdString();
    const std::string expected = WireOfWrite(FAMILY_QX, cli.qx);
    ASSERT_FALSE(expected.empty());
    page->findChild<QPushButton*>(QStringLiteral("setButton"))->click();
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"保存完毕！"});
    const std::string written = WrittenBytes(log);
    const std::size_t from = written.find("ATP0=\r");
    ASSERT_NE(from, std::string::npos);
    EXPECT_EQ(written.substr(from, expected.size()), expected);

    prompts.texts.clear();
    const auto choose = [&page](const char* name, int index) {
        QComboBox* combo = page->findChild<QComboBox*>(QLatin1String(name));
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    choose("protocolCombo", 1);
    choose("powerCombo", 5);
    choose("fecCombo", 1);
    CQxChannelModel& model = page->ChannelModel();
    const int row = 9;
    model.SetRows({});
    model.SetText(row, CQxChannelModel::kFrequency, QStringLiteral("440.550000"));
    model.SetText(row, CQxChannelModel::kBandwidth, QStringLiteral("12.5 KHz"));
    model.SetText(row, CQxChannelModel::kDirection, QStringLiteral("Tx"));
    const QxPageLogic::QxPageValues chosen = page->Values();
    EXPECT_EQ(main->Session().Settings().qxPowerEdited, 1);

    page->findChild<QPushButton*>(QStringLiteral("setButton"))->click();
    EXPECT_TRUE(Shown(g_savingDlg));
    EXPECT_FALSE(page->ChannelList().isEnabled());
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"保存完毕！"});
    EXPECT_FALSE(g_savingDlg->isVisible());
    EXPECT_TRUE(page->findChild<QPushButton*>(QStringLiteral("setButton"))->isEnabled());

    // Leave, and read the module once more, switched off and on with CONFIG held.
    page->findChild<QPushButton*>(QStringLiteral("exitButton"))->click();
    ASSERT_TRUE(WaitUntil([this] { return main->isVisible() && !main->PortOpen(); }));
    EXPECT_TRUE(BackHome());
    prompts.texts.clear();
    AnswerLinkMode(kPowerOn, "okButton");
    Click(HomeButton(kQx));
    sim.write("\n");
    ASSERT_TRUE(WaitUntil([&page] { return Shown(g_qxPage) && g_qxPage != page; }));
    auto* again = qobject_cast<CQxSettingsDlg*>(g_qxPage.data());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Values(), chosen);
    EXPECT_EQ(again->ChannelModel().Rows()[row],
              (ChannelEntry{"9", "440.550000", "12.5 KHz", "Tx"}));
    EXPECT_TRUE(again->ChannelModel().RowEmpty(0));
    EXPECT_TRUE(prompts.texts.empty());
}

// A refused or unanswered register write ends the write with its message; the page stays with
// everything the user chose, and Set is offered again.
TEST_F(QxRoadTest, ARefusedOrSilentWriteKeepsThePageAndItsValues) {
    struct Way {
        const char* name;
        QStringList fault;
        std::string message;
    };
    const Way ways[] = {
        {"refused", {"--error-on", "ats101="}, "数据有误，请检查！"},
        {"silent", {"--silent-on", "ats125="}, Msg::kNoAnswerWhileSaving.zh},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        prompts.texts.clear();
        SimRadio sim(QStringList{"--family", "qx", "--rate", "9600", "--announce-delay", "200",
                                 "--no-pace"} +
                     way.fault);
        CQxSettingsDlg* page = Read(sim.port);
        ASSERT_NE(page, nullptr);
        QComboBox* air = page->findChild<QComboBox*>(QStringLiteral("airRateCombo"));
        air->setCurrentIndex(2);
        emit air->activated(2);
        const QxPageLogic::QxPageValues chosen = page->Values();
        page->findChild<QPushButton*>(QStringLiteral("setButton"))->click();
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        EXPECT_EQ(prompts.texts, std::vector<std::string>{way.message});
        EXPECT_FALSE(g_savingDlg != nullptr && g_savingDlg->isVisible());
        EXPECT_TRUE(page->isVisible() && !page->WriteRunning());
        EXPECT_TRUE(page->findChild<QPushButton*>(QStringLiteral("setButton"))->isEnabled());
        EXPECT_TRUE(page->ChannelList().isEnabled());
        EXPECT_EQ(page->Values(), chosen);
    }
}

} // namespace
