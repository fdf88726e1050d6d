// The ORV settings page offscreen: what a fill shows for the registers read, the protocol
// buttons, the cell editor and its checks, the checks before Set, the table files, and whole
// Sets against the simulated radio (saved, refused, silent), with the bytes on the wire compared
// to those of the widget-free path.

#include "document/DocumentSet.h"
#include "exchange/RadioExchange.h"
#include "orvpage/OrvChannelList.h"
#include "orvpage/OrvPageLogic.h"
#include "orvpage/OrvSettingsDlg.h"
#include "orvpage/OrvTableFile.h"
#include "sim/SimRadio.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/SimLink.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableView>

#include <cstdio>

namespace {

using namespace guitest;

const char* const kModeLists[] = {"bmkTransparentModeCombo", "trimtalkModeCombo", "satelModeCombo",
                                  "qzTransparentModeCombo", "bmkFstModeCombo"};
const char* const kProtocolButtons[] = {"bmkTransparentRadio", "trimtalkRadio", "satelRadio",
                                        "qzTransparentRadio", "bmkFstRadio"};

// A radio as read: every row listed with its own frequency, slot 16, port-rate code 9 (4800),
// BMK transparent 2FSK 9600 (code 1050).
RadioSettings ReadRadio() {
    RadioSettings s;
    for (int i = 0; i < RadioSettings::kChannelRows; ++i) {
        char mhz[16];
        std::snprintf(mhz, sizeof mhz, "%.6f", 410.0 + 0.5 * i);
        s.channels[static_cast<std::size_t>(i)] = {std::to_string(i), mhz,
                                                   i % 2 ? "12.5 KHz" : "25   KHz", "Rx&Tx"};
    }
    s.orv = OrvRegisters{0, 1, 0, 5, 0, 0, 0, 0, "17"};
    s.orvCurrentChannel = 16;
    s.orvPortRate = 9;
    return s;
}

// A closed editor is deleted later; the open one is the visible one.
QLineEdit* OpenEditor(QWidget* page) {
    for (QLineEdit* editor : page->findChildren<QLineEdit*>("cellEdit")) {
        if (editor->isVisible()) {
            return editor;
        }
    }
    return nullptr;
}

void ClickCell(QWidget* page, int row, int column) {
    auto* list = Control<QTableView>(page, "channelList");
    const QRect cell = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

// Opens a cell, replaces its text and ends with key.
void TypeInto(QWidget* page, int row, int column, const QString& text, Qt::Key key) {
    ClickCell(page, row, column);
    QLineEdit* editor = OpenEditor(page);
    ASSERT_NE(editor, nullptr) << "no editor over " << row << "," << column;
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
    QApplication::processEvents();
}

class OrvPageTest : public GuiTest {
public:
    void TearDown() override {
        g_orvRepeaterLayout = 0;
        GuiTest::TearDown();
    }

    // A page as the end of a read shows it, without a port.
    COrvSettingsDlg* OpenPage(const RadioSettings& settings, bool english = false) {
        CreateMain();
        main->SetEnglish(english);
        main->Session().Settings() = settings;
        main->hide();
        auto* created = PageSlots::Put(g_orvPage, new COrvSettingsDlg(*main));
        created->Present();
        created->FillFromSettings();
        created->RebuildChannelList();
        page = created;
        return created;
    }

    template <typename T = QAbstractButton> T* On(const char* name) {
        return Control<T>(page, name);
    }
    QTableView* List() { return On<QTableView>("channelList"); }
    const COrvChannelModel& Model() { return page->ChannelModel(); }
    QString Cell(int row, int column) { return Model().Cell(row, column); }
    QLineEdit* Editor() { return OpenEditor(page); }
    void ClickCell(int row, int column) { ::ClickCell(page, row, column); }
    void Type(int row, int column, const QString& text, Qt::Key key = Qt::Key_Return) {
        TypeInto(page, row, column, text, key);
    }

    COrvSettingsDlg* page = nullptr;
};

// ---- The fill.

TEST_F(OrvPageTest, FillShowsTheModeOfTheRegistersRead) {
    struct Case {
        const char* name;
        int s128, s186, s127, s103, s141, s101, s226;
        int layoutBefore;
        bool unknownShown; // indicator 1013 visible (then checked)
        int protocol;      // checked button and its enabled list, -1 for none
        const char* shown; // the list's edit text
        int layoutAfter;
        bool addressEnabled;
    };
    const Case cases[] = {
        {"50", 0, 0, 0, 5, 0, 0, 0, 1, false, 3, "*2FSK 9600bps 25k带宽", 0, true},
        {"51", 0, 0, 0, 5, 1, 0, 0, 0, false, 3, "*2FSK 9600bps 25k带宽 中继台", 1, true},
        {"2050/3", 0, 2, 0, 5, 0, 3, 0, 0, false, 1, "*2FSK 9600bps 25k带宽 基站中继模式", 1,
         false},
        {"2050/7", 0, 2, 0, 5, 0, 7, 0, 1, false, -1, "", 1, false},
        {"3170/1", 0, 3, 1, 7, 0, 0, 1, 1, false, 2, "*4FSK 19200bps 25k带宽 模式一", 0, false},
        {"4150/2", 0, 4, 1, 5, 0, 0, 2, 1, false, 4, "*4FSK 9600bps 12.5k带宽 模式二", 0, true},
        {"S128", 1, 1, 0, 5, 0, 0, 0, 1, true, -1, "", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RadioSettings s = ReadRadio();
        s.orv = OrvRegisters{c.s128, c.s186, c.s127, c.s103, c.s141, c.s101, c.s226, 1, "9"};
        g_orvRepeaterLayout = c.layoutBefore;
        OpenPage(s);
        QAbstractButton* unknown = On("unknownProtocolRadio");
        EXPECT_EQ(unknown->isVisible(), c.unknownShown);
        EXPECT_EQ(unknown->isChecked(), c.unknownShown);
        EXPECT_EQ(page->Protocol(), c.protocol);
        for (int p = 0; p < 5; ++p) {
            QComboBox* list = On<QComboBox>(kModeLists[p]);
            EXPECT_EQ(list->isEnabled(), p == c.protocol) << kModeLists[p];
            EXPECT_EQ(list->currentText(),
                      p == c.protocol ? QString::fromUtf8(c.shown) : list->itemText(0))
                << kModeLists[p];
        }
        EXPECT_EQ(g_orvRepeaterLayout, c.layoutAfter);
        EXPECT_EQ(Model().columnCount(), c.layoutAfter ? 5 : 3);
        EXPECT_EQ(On<QLineEdit>("addressEdit")->isEnabled(), c.addressEnabled);
        EXPECT_EQ(On("closeAddressCheck")->isEnabled(), c.addressEnabled);
        EXPECT_EQ(On<QLineEdit>("addressEdit")->text(), "9");
        EXPECT_TRUE(On("closeAddressCheck")->isChecked());
    }
}

TEST_F(OrvPageTest, FillMarksThePortRateAndTheCurrentChannelInEitherLanguage) {
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "en" : "zh");
        OpenPage(ReadRadio(), english);
        EXPECT_EQ(On<QComboBox>("portRateCombo")->currentText(), "*4800");
        EXPECT_EQ(main->Session().Settings().orvPortRate, 8);
        EXPECT_EQ(Cell(15, 0), "*16");
        EXPECT_EQ(Cell(14, 0), "15");
        EXPECT_EQ(Cell(3, 1), "416.000000"); // row 12
        EXPECT_EQ(Cell(3, 2), "416.500000"); // row 13
        EXPECT_EQ(Model().headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                  english ? "Rx Fre" : "接收频率");
        EXPECT_EQ(List()->columnWidth(0), english ? 55 : 45);
    }
    RadioSettings s = ReadRadio();
    s.orvPortRate = 3;
    s.orvCurrentChannel = 1;
    OpenPage(s);
    EXPECT_EQ(On<QComboBox>("portRateCombo")->currentText(), "*38400");
    EXPECT_EQ(Cell(0, 0), "*1");
}

// ---- Protocol buttons and mode lists.

TEST_F(OrvPageTest, ProtocolButtonsSetTheLayoutAddressAndListFromTheirMode) {
    RadioSettings s = ReadRadio();
    s.orv.s186 = 2; // Trimtalk: address controls disabled after the fill
    s.orv.s101 = 2;
    OpenPage(s);
    ASSERT_FALSE(On("closeAddressCheck")->isEnabled());

    // 1008 enables the box; the address field follows the box. The rebuild discards what was
    // typed in the list.
    Type(0, 1, "450");
    ASSERT_EQ(Cell(0, 1), "450.000000");
    Click(On(kProtocolButtons[0]));
    EXPECT_EQ(Cell(0, 1), "410.000000");
    EXPECT_EQ(Cell(15, 0), "*16");
    EXPECT_TRUE(On("closeAddressCheck")->isEnabled());
    EXPECT_TRUE(On<QLineEdit>("addressEdit")->isEnabled());
    Click(On("closeAddressCheck"));
    EXPECT_FALSE(On<QLineEdit>("addressEdit")->isEnabled());
    EXPECT_EQ(page->Protocol(), 0);
    EXPECT_FALSE(On("unknownProtocolRadio")->isVisible());

    struct Case {
        const char* name;
        int protocol;
        int layoutBefore;
        int selection;        // of the protocol's list before the click
        const char* editText; // then typed over it ("" leaves the selection's text)
        int layoutAfter;
    };
    const Case cases[] = {
        {"1009 marked base-station relay", 1, 0, 0, "*2FSK 9600bps 25k带宽 基站中继模式", 1},
        {"1009 marked, matches nothing: item 0", 1, 1, 3, "*nothing like it", 0},
        {"1009 plain selection 2", 1, 0, 2, "", 1},
        {"1011 nothing selected, unmarked: unchanged", 3, 1, -1, "typed", 1},
        {"1011 marked repeater", 3, 0, 0, "*2FSK 9600bps 25k带宽 中继台", 1},
        {"1010 always normal", 2, 1, 1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QComboBox* list = On<QComboBox>(kModeLists[c.protocol]);
        {
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(c.selection);
            if (*c.editText != '\0') {
                list->setEditText(QString::fromUtf8(c.editText));
            }
        }
        g_orvRepeaterLayout = c.layoutBefore;
        Click(On(kProtocolButtons[c.protocol]));
        EXPECT_EQ(g_orvRepeaterLayout, c.layoutAfter);
        EXPECT_EQ(Model().columnCount(), c.layoutAfter ? 5 : 3);
        for (int p = 0; p < 5; ++p) {
            EXPECT_EQ(On<QComboBox>(kModeLists[p])->isEnabled(), p == c.protocol);
        }
        const bool addressed = c.protocol != 1 && c.protocol != 2;
        EXPECT_EQ(On("closeAddressCheck")->isEnabled(), addressed);
    }

    // A mode picked in 1025 or 1016 sets the layout from the pick and rebuilds the list.
    On<QComboBox>(kModeLists[1])->setCurrentIndex(4);
    EXPECT_EQ(g_orvRepeaterLayout, 1);
    On<QComboBox>(kModeLists[3])->setCurrentIndex(1);
    EXPECT_EQ(g_orvRepeaterLayout, 1);
    On<QComboBox>(kModeLists[3])->setCurrentIndex(0);
    EXPECT_EQ(g_orvRepeaterLayout, 0);
    EXPECT_EQ(Model().columnCount(), 3);
}

// ---- The cell editor.

TEST_F(OrvPageTest, EnterAndEscCommitAndCheckTheCell) {
    struct Case {
        const char* typed;
        Qt::Key key;
        const char* cell;    // afterwards
        const char* message; // "" for none
    };
    const Case cases[] = {
        {"450", Qt::Key_Return, "450.000000", ""},
        {"450.5", Qt::Key_Enter, "450.500000", ""},
        {"410.00125", Qt::Key_Escape, "410.001250", ""},
        {"409.9", Qt::Key_Return, "409.9", "输入频段范围不对，请重新输入！"},
        {"", Qt::Key_Return, "", ""},
        {"450.001", Qt::Key_Return, "450.001", "输入频率值不对，请重新输入！"},
        {"450.00000000", Qt::Key_Return, "450.00000000", "输入频率格式不对，请确认！"},
    };
    OpenPage(ReadRadio());
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        prompts.texts.clear();
        // A new row each time: a click on the cell just closed is the end of a double click.
        Type(++row, 2, QString::fromUtf8(c.typed), c.key);
        EXPECT_EQ(Cell(row, 2), QString::fromUtf8(c.cell));
        EXPECT_EQ(prompts.texts,
                  *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_TRUE(page->isVisible()); // neither key closes the page
    }
    EXPECT_EQ(Cell(5, 1), "420.000000"); // a neighbour untouched
    EXPECT_EQ(main->Session().Settings().channels[21].frequency, "420.500000");

    // The message follows the language; Enter and Esc with no cell open do nothing.
    main->SetEnglish(true);
    prompts.texts.clear();
    Type(0, 1, "500");
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"The Scope is wrong,Please write again！"});
    prompts.texts.clear();
    QTest::keyClick(page, Qt::Key_Escape);
    QTest::keyClick(page, Qt::Key_Return);
    EXPECT_TRUE(page->isVisible() && prompts.texts.empty());
}

TEST_F(OrvPageTest, OnlyTheLayoutsColumnsOpenTheEditorAndFocusLossCommitsUnchecked) {
    OpenPage(ReadRadio());
    for (const int column : {0}) {
        ClickCell(2, column);
        EXPECT_EQ(Editor(), nullptr);
    }
    ClickCell(2, 1);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "414.000000");
    Editor()->setText("409");
    // Clicking another cell commits the first without a check and opens the second.
    ClickCell(3, 2);
    QApplication::processEvents();
    EXPECT_EQ(Cell(2, 1), "409");
    EXPECT_TRUE(prompts.texts.empty());
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "416.500000");
    // Up hands the keyboard to the list, which commits the editor.
    Editor()->setText("420");
    QTest::keyClick(Editor(), Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(Cell(3, 2), "420");
    EXPECT_EQ(Editor(), nullptr);

    // Repeater layout: columns 3 and 4 are edited, 1 and 2 only shown.
    On<QComboBox>(kModeLists[1])->setCurrentIndex(2);
    ASSERT_EQ(g_orvRepeaterLayout, 1);
    for (const int column : {1, 2}) {
        ClickCell(0, column);
        EXPECT_EQ(Editor(), nullptr) << column;
    }
    Type(0, 4, "470.0125");
    EXPECT_EQ(Cell(0, 4), "470.012500");
}

// ---- Set's checks before anything is sent.

TEST_F(OrvPageTest, SetWithSomethingUnwritableSendsNothing) {
    struct Case {
        const char* name;
        std::function<void(OrvPageTest&)> change;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"bad cells, one message each in list order",
         [](OrvPageTest& t) {
             t.Type(1, 2, "450.001");
             t.Type(0, 1, "409.9");
         },
         {"输入频段范围不对，请重新输入！", "输入频率值不对，请重新输入！"}},
        {"no protocol",
         [](OrvPageTest& t) {
             RadioSettings s = ReadRadio();
             s.orv.s128 = 1;
             t.OpenPage(s);
         },
         {"没有可写入的协议模式，请选择！"}},
        {"no port rate",
         [](OrvPageTest& t) {
             QComboBox* rate = t.On<QComboBox>("portRateCombo");
             rate->setCurrentIndex(-1);
             rate->setEditText("4800 baud");
         },
         {"没有选择串口速率，请选择！"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPage(ReadRadio());
        // Cells reading as zero (an imported empty entry) delete their channel silently.
        Type(2, 1, "0.");
        c.change(*this);
        prompts.texts.clear();
        Click(On("setButton"));
        EXPECT_EQ(prompts.texts, c.messages);
        EXPECT_FALSE(Shown(g_savingDlg));
        EXPECT_FALSE(page->WriteRunning() || main->Session().Writing());
        EXPECT_TRUE(On("setButton")->isEnabled());
    }
}

// ---- Table files.

TEST_F(OrvPageTest, ExportWritesTheShownTableOnceReadOnlyAndImportBringsItBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("导出频率.tb");
    OpenPage(ReadRadio());
    Type(0, 2, "450.5");
    prompts.savePaths = {path.toStdString()};
    Click(On("exportButton"));
    ASSERT_EQ(prompts.dialogs.size(), 1U);
    const FileDialogRequest& save = prompts.dialogs.back();
    EXPECT_EQ(save.title, "输出通道列表");
    EXPECT_EQ(save.initialName, "导出频率");
    EXPECT_EQ(save.defaultSuffix, "tb");
    for (const char* offered : {"(*.tb)", "文本文件(*.txt)", "All Files(*.*)"}) {
        EXPECT_NE(save.filter.find(offered), std::string::npos) << offered;
    }
    EXPECT_TRUE(prompts.texts.empty());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    file.close();
    const auto entries = OrvTableFile::EntryTexts(OrvTableFile::DecodeFile(text.toStdString()));
    EXPECT_EQ(entries[0], "410.000000");
    EXPECT_EQ(entries[1], "450.500000"); // the typed cell
    EXPECT_EQ(entries[2], "411.000000"); // a row this layout does not show: as listed
    EXPECT_EQ(entries[63], "441.500000");
    EXPECT_EQ(QFileInfo(path).permissions() & QFile::WriteOwner, 0);

    // Over the read-only export, or where no file can be made: told, nothing changed or left.
    const QString nowhere = dir.filePath("absent/t.tb");
    main->SetEnglish(true);
    prompts.savePaths = {path.toStdString(), nowhere.toStdString()};
    Click(On("exportButton"));
    Click(On("exportButton"));
    EXPECT_EQ(prompts.dialogs.back().title, "Export List");
    EXPECT_EQ(prompts.texts, (std::vector<std::string>{"无法打开文件", "无法打开文件"}));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text);
    file.close();
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Import: after a rebuild, the exported values come back in the page's form, the mark gone.
    prompts.texts.clear();
    Click(On(kProtocolButtons[0]));
    ASSERT_EQ(Cell(0, 2), "410.500000");
    prompts.openPaths = {dir.filePath("missing.tb").toStdString(), path.toStdString()};
    Click(On("importButton"));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"无法打开文件"});
    EXPECT_EQ(Cell(0, 2), "410.500000");
    Click(On("importButton"));
    EXPECT_EQ(prompts.dialogs.back().title, "Import List");
    EXPECT_EQ(prompts.dialogs.back().initialName, "");
    EXPECT_EQ(Cell(0, 2), "450.500000");
    EXPECT_EQ(Cell(15, 0), "16");
    EXPECT_EQ(Cell(15, 1), "440.000000");
    EXPECT_EQ(main->Session().Settings().channels[1].frequency, "410.500000");
}

// ---- Whole Sets against the simulated radio.

class OrvSetTest : public RoadTest {
protected:
    void TearDown() override {
        g_orvRepeaterLayout = 0;
        RoadTest::TearDown();
    }
    COrvSettingsDlg* ReadIntoPage(SimRadio& sim) {
        StartOrvRead(sim);
        EXPECT_TRUE(WaitUntil([] { return Shown(g_orvPage); }));
        return qobject_cast<COrvSettingsDlg*>(g_orvPage.data());
    }
    // The user's changes: BMK transparent 4FSK 9600 and a frequency in channel 3's Tx cell.
    void Change(COrvSettingsDlg* page) {
        Click(Control(page, kProtocolButtons[0]));
        Control<QComboBox>(page, kModeLists[0])->setCurrentIndex(2);
        TypeInto(page, 2, 1, "433.125", Qt::Key_Return);
    }
    QTemporaryDir dir;
};

TEST_F(OrvSetTest, ASetIsSavedPutsThePlainWritesBytesOnTheWireAndReadsBack) {
    const QString log = dir.filePath("sim.log");
    SimRadio sim({"--family", "orv", "--announce-delay", "200", "--no-pace", "--log", log});
    COrvSettingsDlg* page = ReadIntoPage(sim);
    ASSERT_NE(page, nullptr);
    {
        // What was read, written back unchanged: the page's Set and the command-line client's
        // write of the same document put the same bytes on the wire.
        const Doc::PreparedWrite cli =
            Doc::PrepareWrite(SettingsDocument{FAMILY_ORV, main->Session().Settings()});
        const OrvPageLogic::OrvSetPreparation fromPage = OrvPageLogic::PrepareSet(page->SetInput());
        ASSERT_TRUE(cli.problems.isEmpty() && fromPage.Writable());
        const std::string cliWire = WireOfWrite(FAMILY_ORV, cli.orv);
        ASSERT_FALSE(cliWire.empty());
        EXPECT_EQ(cliWire, WireOfWrite(FAMILY_ORV, fromPage.plan));
    }
    Change(page);
    ASSERT_EQ(page->ChannelModel().Cell(2, 1), "433.125000");
    const OrvPageLogic::OrvSetPreparation expected = OrvPageLogic::PrepareSet(page->SetInput());
    ASSERT_TRUE(expected.Writable());

    const QString table = dir.filePath("saved.tb");
    prompts.savePaths = {table.toStdString()};
    bool setHeldBack = false;
    prompts.onMessage = [&] {
        if (prompts.texts.size() == 1) { // at "保存完毕！": the saving page is gone already
            setHeldBack = !Shown(g_savingDlg);
        }
    };
    Click(Control(page, "setButton"));
    ASSERT_TRUE(Shown(g_savingDlg));
    EXPECT_TRUE(page->WriteRunning());
    // The saving page's bar moves with the rows written.
    std::vector<int> barValues;
    QObject::connect(Control<QProgressBar>(g_savingDlg, "progressBar"), &QProgressBar::valueChanged,
                     [&barValues](int v) { barValues.push_back(v); });
    EXPECT_FALSE(Control(page, "setButton")->isEnabled() ||
                 Control<QWidget>(page, "channelList")->isEnabled());
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"保存完毕！"});
    EXPECT_TRUE(setHeldBack);
    EXPECT_GE(barValues.size(), 3u);
    EXPECT_TRUE(std::is_sorted(barValues.begin(), barValues.end()));
    // Then the export offer, taken: the table just written.
    EXPECT_EQ(QFileInfo(table).size(), 1044);
    EXPECT_TRUE(Control(page, "setButton")->isEnabled() && page->isVisible());

    // On the wire, from "ATP0=" to the save: exactly what the widget-free path sends.
    const std::string plain = WireOfWrite(FAMILY_ORV, expected.plan);
    ASSERT_FALSE(plain.empty());
    const std::string written = WrittenBytes(log);
    const std::size_t from = written.find("ATP0=\r");
    ASSERT_NE(from, std::string::npos);
    EXPECT_EQ(written.substr(from, plain.size()), plain);
    EXPECT_NE(plain.find("AT&F64\r"), std::string::npos);
    EXPECT_NE(plain.find("433125000\r"), std::string::npos);

    // Leave, then read the radio again: the change is there.
    prompts.onMessage = nullptr;
    prompts.texts.clear();
    const QPointer<COrvSettingsDlg> left(page); // the page goes with the exit
    Click(Control(page, "exitButton"));
    ASSERT_TRUE(BackHome());
    QTest::qWait(2200); // the radio takes a reopening this soon for the same power-on
    COrvSettingsDlg* again = ReadIntoPage(sim);
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(left.isNull()); // a new page (its address may be the old one's)
    EXPECT_EQ(again->ChannelModel().Cell(2, 1), "433.125000");
    EXPECT_EQ(again->Protocol(), 0);
    EXPECT_EQ(Control<QComboBox>(again, kModeLists[0])->currentText(), "*4FSK 9600bps 12.5k带宽");
    EXPECT_TRUE(prompts.texts.empty());
}

TEST_F(OrvSetTest, ARefusedOrSilentWriteKeepsThePageAndTheUsersValues) {
    struct Way {
        const char* name;
        QStringList args;
        bool english;
        std::string message;
    };
    const Way ways[] = {
        {"refused", {"--error-on", "ats190="}, false, "数据有误，请检查！"},
        {"refused, English", {"--error-on", "ats102="}, true, "Error，Please check！"},
        {"silent",
         {"--silent-on", "ats131="},
         false,
         "电台没有应答，设置未保存完毕。请检查电台后重新设置。"},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        prompts.texts.clear();
        prompts.dialogs.clear();
        SimRadio sim(QStringList{"--family", "orv", "--announce-delay", "200", "--no-pace"} +
                     way.args);
        COrvSettingsDlg* page = ReadIntoPage(sim);
        ASSERT_NE(page, nullptr);
        main->SetEnglish(way.english);
        Change(page);
        bool savingUpAtMessage = false;
        prompts.onMessage = [&] { savingUpAtMessage = Shown(g_savingDlg); };
        Click(Control(page, "setButton"));
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        prompts.onMessage = nullptr;
        EXPECT_EQ(prompts.texts, std::vector<std::string>{way.message});
        EXPECT_EQ(savingUpAtMessage, way.name[0] == 'r'); // refused: told over the saving page
        EXPECT_FALSE(Shown(g_savingDlg));
        EXPECT_TRUE(prompts.dialogs.empty()); // no export offered
        EXPECT_TRUE(page->isVisible() && main->PortOpen() && !main->isVisible());
        EXPECT_FALSE(page->WriteRunning());
        EXPECT_TRUE(Control(page, "setButton")->isEnabled());
        EXPECT_EQ(page->ChannelModel().Cell(2, 1), "433.125000");
        EXPECT_EQ(page->Protocol(), 0);
        Click(Control(page, "exitButton"));
        EXPECT_TRUE(BackHome());
    }
}

} // namespace

namespace {

// A radio that vanishes mid-write ends the road at the home page; the page left behind waits for
// no write, so a silence in a later read is the read's own.
TEST_F(OrvSetTest, ARadioVanishingMidWriteLeadsHomeAndLeavesNoWriteWaiting) {
    auto sim = std::make_unique<SimRadio>(
        QStringList{"--family", "orv", "--announce-delay", "200", "--no-pace"});
    COrvSettingsDlg* page = ReadIntoPage(*sim);
    ASSERT_NE(page, nullptr);
    Click(Control(page, "setButton"));
    ASSERT_TRUE(page->WriteRunning());
    sim.reset();
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"串口已断开，请检查串口设备。已返回首页。"});
    EXPECT_TRUE(BackHome());
    EXPECT_FALSE(page->WriteRunning());
    EXPECT_EQ(PageSlots::WritingPage(), nullptr);
}

} // namespace
