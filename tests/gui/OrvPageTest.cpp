// The ORV settings page offscreen: what a fill shows, the cell editor and the layouts, and whole
// Sets against the simulated radio with the bytes on the wire compared to those of the
// widget-free path.

#include "orvpage/OrvChannelList.h"
#include "orvpage/OrvPageLogic.h"
#include "orvpage/OrvSettingsDlg.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/FileBytes.h"
#include "tests/support/SimLink.h"

#include <QFileInfo>

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

class OrvPageTest : public RoadTest {
public:
    // A page as the end of a read shows it, without a port, in a window whose last ORV page
    // left the given layout.
    void OpenPage(const RadioSettings& settings, int layoutLeft = 0) {
        CreateMain();
        Pages().orvRepeaterLayout = layoutLeft;
        main->hide();
        page = qobject_cast<COrvSettingsDlg*>(main->PresentSettingsPage(FAMILY_ORV, settings));
    }

    template <typename T = QAbstractButton> T* On(const char* name) {
        return Control<T>(page, name);
    }
    QString Cell(int row, int column) { return page->ChannelModel().Cell(row, column); }
    void Type(int row, int column, const QString& text, Qt::Key key = Qt::Key_Return) {
        TypeInto(page, row, column, text, key);
    }
    // The checked protocol's list alone enabled, the layout's column count, the address rule.
    void ExpectProtocol(int protocol, int layout, bool address) {
        EXPECT_EQ(page->Protocol(), protocol);
        for (int p = 0; p < 5; ++p) {
            EXPECT_EQ(On<QComboBox>(kModeLists[p])->isEnabled(), p == protocol) << kModeLists[p];
        }
        EXPECT_EQ(Pages().orvRepeaterLayout, layout);
        EXPECT_EQ(page->ChannelModel().columnCount(), layout ? 5 : 3);
        EXPECT_EQ(On("closeAddressCheck")->isEnabled(), address);
    }

    // Reads the radio into the page, then makes the user's changes: BMK transparent 4FSK 9600
    // and a frequency in channel 3's Tx cell.
    void ReadAndChange(SimRadio& sim) {
        StartOrvRead(sim);
        ASSERT_TRUE(WaitUntil([this] { return Shown(Pages().orvPage); }));
        page = qobject_cast<COrvSettingsDlg*>(Pages().orvPage.data());
        Click(On(kProtocolButtons[0]));
        On<QComboBox>(kModeLists[0])->setCurrentIndex(2);
        Type(2, 1, "433.125");
    }

    COrvSettingsDlg* page = nullptr;
    QTemporaryDir dir;
};

TEST_F(OrvPageTest, FillShowsTheModeTheRateAndTheCurrentChannelOfTheRegistersRead) {
    struct Case {
        const char* name;
        int s128, s186, s127, s103, s141, s101, s226;
        int protocol;      // checked button, -1 for none
        const char* shown; // the protocol's list's edit text
        int layoutAfter;
    };
    const Case cases[] = {
        {"51", 0, 0, 0, 5, 1, 0, 0, 3, "*2FSK 9600bps 25k带宽 中继台", 1},
        {"4150/2", 0, 4, 1, 5, 0, 0, 2, 4, "*4FSK 9600bps 12.5k带宽 模式二", 0},
        {"2050/7", 0, 2, 0, 5, 0, 7, 0, -1, "", 1},
        {"S128", 1, 1, 0, 5, 0, 0, 0, -1, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RadioSettings s = ReadRadio();
        s.orv = OrvRegisters{c.s128, c.s186, c.s127, c.s103, c.s141, c.s101, c.s226, 1, "9"};
        // A mode without a layout of its own keeps the one the last page left.
        OpenPage(s, c.protocol < 0 ? c.layoutAfter : 1 - c.layoutAfter);
        EXPECT_EQ(On("unknownProtocolRadio")->isChecked(), c.s128 == 1);
        ExpectProtocol(c.protocol, c.layoutAfter, c.s186 != 2 && c.s186 != 3);
        if (c.protocol >= 0) {
            EXPECT_EQ(On<QComboBox>(kModeLists[c.protocol])->currentText(), c.shown);
        }
        EXPECT_EQ(On<QLineEdit>("addressEdit")->text(), "9");
    }
    OpenPage(ReadRadio());
    EXPECT_EQ(On<QComboBox>("portRateCombo")->currentText(), "*4800");
    EXPECT_EQ(Cell(15, 0), "*16");
    EXPECT_EQ(Cell(3, 1), "416.000000"); // row 12
    EXPECT_EQ(Cell(3, 2), "416.500000"); // row 13
    // Code 8 has no item: no rate is shown as the radio's, and Set asks for one.
    RadioSettings unlisted = ReadRadio();
    unlisted.orvPortRate = 8;
    OpenPage(unlisted);
    EXPECT_EQ(On<QComboBox>("portRateCombo")->currentText(), "");
    prompts.texts.clear();
    Click(On("setButton"));
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"没有选择串口速率，请选择！"});
}

// Enter and Esc commit and check the cell; focus loss commits without a check; only the layout's
// frequency columns open an editor.
TEST_F(OrvPageTest, TheCellEditorCommitsAndChecks) {
    OpenPage(ReadRadio());
    Type(1, 2, "410.00125", Qt::Key_Escape);
    EXPECT_EQ(Cell(1, 2), "410.001250");
    EXPECT_TRUE(prompts.texts.empty());
    // A new row: a click on the cell just closed is the end of a double click. The message names
    // the cell and what it holds.
    Type(2, 2, "409.9", Qt::Key_Enter);
    EXPECT_EQ(Cell(2, 2), "409.9");
    const std::string told = "输入频段范围不对，请重新输入！\n信道 3 接收频率：“409.9”";
    EXPECT_EQ(prompts.texts, std::vector<std::string>{told});
    EXPECT_TRUE(OpenEditor(page) == nullptr && page->isVisible()); // no key closes the page
    prompts.texts.clear();
    Click(On("setButton")); // the bad cell is told again, once, and nothing is sent
    EXPECT_EQ(prompts.texts, std::vector<std::string>{told});
    EXPECT_FALSE(Shown(Pages().savingDlg) || main->Session().Writing());
    prompts.texts.clear();
    ClickCell(page, 5, 0);
    EXPECT_EQ(OpenEditor(page), nullptr);
    ClickCell(page, 5, 1);
    ASSERT_NE(OpenEditor(page), nullptr);
    EXPECT_EQ(OpenEditor(page)->text(), "420.000000");
    OpenEditor(page)->setText("409");
    ClickCell(page, 6, 2); // commits the first unchecked and opens the second
    QApplication::processEvents();
    EXPECT_EQ(Cell(5, 1), "409");
    EXPECT_TRUE(prompts.texts.empty());
    EXPECT_NE(OpenEditor(page), nullptr);
    // A mode picked in a list sets the layout and rebuilds the list: in the repeater layout
    // columns 3 and 4 are edited, 1 and 2 only shown.
    On<QComboBox>(kModeLists[1])->setCurrentIndex(2);
    ASSERT_EQ(Pages().orvRepeaterLayout, 1);
    EXPECT_EQ(page->ChannelModel().columnCount(), 5);
    ClickCell(page, 0, 1);
    EXPECT_EQ(OpenEditor(page), nullptr);
    Type(0, 4, "470.0125");
    EXPECT_EQ(Cell(0, 4), "470.012500");
    // Channel 16's Rep Rx is channel 61 (slot 16 receives there): shown, never edited, and the
    // tooltip says why, in the language in force.
    ClickCell(page, 15, 4);
    EXPECT_EQ(OpenEditor(page), nullptr);
    EXPECT_EQ(Cell(15, 4), Cell(15, 2));
    const auto tip = [this] {
        return page->ChannelModel().data(page->ChannelModel().index(15, 4), Qt::ToolTipRole);
    };
    EXPECT_TRUE(tip().toString().contains("61"));
    main->SetEnglish(true);
    page->RebuildChannelList();
    EXPECT_TRUE(tip().toString().startsWith("Slot 16"));
    EXPECT_FALSE(
        page->ChannelModel().data(page->ChannelModel().index(15, 3), Qt::ToolTipRole).isValid());
}

// Leaving asks only while the page holds something never written, typed text not yet taken by
// its cell included: from the exit button and the caption's close button. A change undone, or
// an editor opened and left as it was, asks nothing.
TEST_F(OrvPageTest, LeavingWithUnwrittenChangesAsksFirst) {
    OpenPage(ReadRadio());
    Click(On(kProtocolButtons[3])); // another protocol, and back: nothing to write
    Click(On(kProtocolButtons[0]));
    ClickCell(page, 0, 1);
    ASSERT_NE(OpenEditor(page), nullptr);
    Click(On("exitButton"));
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(main->isVisible() && !page->isVisible());

    OpenPage(ReadRadio());
    ClickCell(page, 0, 1);
    OpenEditor(page)->setText("433.125");
    prompts.answers = {false, true};
    page->close();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], "页面上有尚未写入电台的更改：仍要离开吗？");
    EXPECT_TRUE(page->isVisible() && !main->isVisible()); // No: the page stays as it was
    Click(On("exitButton"));
    EXPECT_EQ(prompts.questions.size(), 2u);
    EXPECT_TRUE(main->isVisible() && !page->isVisible());
}

// The table goes out and comes back as it was; a file damaged in one digit, cut short or
// holding something else is refused whole with a warning saying why, and the table stays.
TEST_F(OrvPageTest, ATableFileComesBackWholeOrIsRefusedWhole) {
    OpenPage(ReadRadio());
    const std::string path = dir.filePath(QStringLiteral("table.tb")).toStdString();
    prompts.savePaths = {path};
    Click(On("exportButton"));
    const QByteArray exported = FileBytes(QString::fromStdString(path));
    ASSERT_FALSE(exported.isEmpty());
    const COrvChannelModel::Cells read = page->ChannelModel().CellTexts();

    Type(3, 1, "433.125");
    const COrvChannelModel::Cells changed = page->ChannelModel().CellTexts();
    ASSERT_NE(changed, read);
    QByteArray oneDigit = exported;
    const qsizetype digit = oneDigit.indexOf("1");
    ASSERT_GE(digit, 0);
    oneDigit[digit] = '2';
    const QByteArray damaged[] = {oneDigit, exported.left(exported.size() / 2), "433.125\n"};
    for (const QByteArray& bytes : damaged) {
        const QString file = dir.filePath(QStringLiteral("damaged.tb"));
        QFile::remove(file);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        prompts.texts.clear();
        prompts.icons.clear();
        prompts.openPaths = {file.toStdString()};
        Click(On("importButton"));
        ASSERT_EQ(prompts.texts.size(), 1u);
        EXPECT_EQ(prompts.texts[0].rfind("频率表文件未导入，频率表没有改变：", 0), 0u)
            << prompts.texts[0];
        EXPECT_EQ(prompts.icons, std::vector<PromptIcon>{PromptIcon::Warning});
        EXPECT_EQ(page->ChannelModel().CellTexts(), changed);
    }
    prompts.texts.clear();
    prompts.openPaths = {path};
    Click(On("importButton"));
    EXPECT_TRUE(prompts.texts.empty());
    EXPECT_EQ(page->ChannelModel().CellTexts(), read);
}

// ---- Whole Sets against the simulated radio.

// A Set that is saved puts exactly the widget-free path's bytes on the wire and offers the
// export; a refused or silent write keeps the page and the user's values; a radio vanishing
// mid-write leads home and leaves no write waiting.
TEST_F(OrvPageTest, ASetIsSavedWithThePlainWritesBytesOrEndsWithItsMessage) {
    struct Way {
        const char* name;
        QStringList args;
        std::string message;
    };
    const Way ways[] = {
        {"saved", {}, "保存完毕！"},
        {"refused", {"--error-on", "ats190="}, "数据有误，请检查！"},
        {"silent",
         {"--silent-on", "ats131="},
         "电台没有应答，设置未保存完毕。请检查电台后重新设置。"},
        {"vanished", {}, "串口已断开，请检查串口设备。已返回首页。"},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const bool saved = way.name == std::string("saved");
        const bool vanished = way.name == std::string("vanished");
        prompts.texts.clear();
        prompts.dialogs.clear();
        const QString log = dir.filePath(QStringLiteral("%1.log").arg(way.name));
        auto sim = std::make_unique<SimRadio>(
            QStringList{"--family", "orv", "--announce-delay", "200", "--no-pace", "--log", log} +
            way.args);
        ReadAndChange(*sim);
        const OrvPageLogic::OrvSetPreparation expected = OrvPageLogic::PrepareSet(page->SetInput());
        ASSERT_TRUE(expected.Writable());
        const QString table = dir.filePath("saved.tb");
        prompts.savePaths = {table.toStdString()};
        bool savingGone = false;
        prompts.onMessage = [&] { savingGone = !Shown(Pages().savingDlg); };
        Click(On("setButton"));
        ASSERT_TRUE(Shown(Pages().savingDlg) && page->WriteRunning());
        EXPECT_FALSE(On("setButton")->isEnabled() || On<QWidget>("channelList")->isEnabled());
        if (vanished) {
            sim.reset();
        }
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        prompts.onMessage = nullptr;
        EXPECT_EQ(prompts.texts, std::vector<std::string>{way.message});
        // A success looks like one.
        EXPECT_EQ(prompts.icons.back(), saved ? PromptIcon::Information : PromptIcon::Warning);
        EXPECT_FALSE(Shown(Pages().savingDlg) || page->WriteRunning());
        // The export is offered after a save only: then the table just written.
        EXPECT_EQ(prompts.dialogs.size(), saved ? 1U : 0U);
        if (vanished) {
            EXPECT_TRUE(BackHome());
            EXPECT_EQ(Pages().WritingPage(), nullptr);
            continue;
        }
        EXPECT_TRUE(page->isVisible() && main->PortOpen() && !main->isVisible());
        EXPECT_TRUE(On("setButton")->isEnabled());
        EXPECT_EQ(Cell(2, 1), "433.125000");
        EXPECT_EQ(page->Protocol(), 0);
        // A refusal is told over the saving page, the end of the write after it.
        EXPECT_EQ(savingGone, way.name != std::string("refused"));
        if (saved) {
            EXPECT_EQ(QFileInfo(table).size(), 1044);
            EXPECT_FALSE(QFileInfo(table).permissions() & QFile::WriteOwner);
            const std::string plain = WireOfWrite(FAMILY_ORV, expected.plan);
            ASSERT_NE(plain.find("433125000\r"), std::string::npos);
            EXPECT_EQ(LastWrite(log).substr(0, plain.size()), plain);
        }
        // After the save the radio holds the page; otherwise leaving asks first.
        prompts.questions.clear();
        Click(On("exitButton"));
        EXPECT_EQ(prompts.questions.size(), saved ? 0U : 1U);
        EXPECT_TRUE(BackHome());
    }
}

} // namespace
