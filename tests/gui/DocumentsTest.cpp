// Settings documents in the window: the history of reads, offline pages opened from a file,
// Save, Review and the check after a write, clicked through against orvconf-sim.

#include "app/DocumentDesk.h"
#include "document/History.h"
#include "document/SettingsJson.h"
#include "orvpage/OrvSettingsDlg.h"
#include "qxpage/QxChannelModel.h"
#include "qxpage/QxSettingsDlg.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/JsonEdit.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QListWidget>
#include <QMenu>
#include <QSettings>

namespace {

using namespace guitest;

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A document in the form the program writes it, whatever the spacing of the file.
QByteArray Normalised(const QByteArray& json) {
    SettingsDocument document;
    const QStringList problems = SettingsFromJson(json, &document);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    return SettingsToJson(document.settings, document.family);
}

// The bytes the radio took, from its log's "in" lines.
std::string RadioTook(const QString& logPath) {
    QFile file(logPath);
    std::string taken;
    if (!file.open(QIODevice::ReadOnly)) {
        return taken;
    }
    while (!file.atEnd()) {
        const QStringList words =
            QString::fromUtf8(file.readLine()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (qsizetype i = 4;
             words.size() >= 5 && words[2] == "in" && i < words.size() && words[i].size() == 2;
             ++i) {
            taken.push_back(static_cast<char>(words[i].toInt(nullptr, 16)));
        }
    }
    return taken;
}

// The last write the radio took: from its last "ATP0=" on.
std::string LastWrite(const QString& logPath) {
    const std::string taken = RadioTook(logPath);
    const std::size_t from = taken.rfind("ATP0=\r");
    return from == std::string::npos ? std::string() : taken.substr(from);
}

class DocumentsTest : public RoadTest {
protected:
    void SetUp() override {
        // The history and the remembered choices of this process stay apart from the user's.
        static QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
        RoadTest::SetUp();
        QDir(Doc::HistoryFolder()).removeRecursively();
        QSettings().clear();
    }
    void TearDown() override {
        g_orvRepeaterLayout = 0;
        RoadTest::TearDown();
    }

    template <typename T = QAction> T* Item(const char* name) {
        return main->findChild<T*>(QLatin1String(name));
    }
    // Opens the "文件" menu as a click on it would, so that its items are up to date.
    void OpenFileMenu() { emit Item<QMenu>("fileMenu")->aboutToShow(); }

    CSettingsPage* Read(SimRadio& sim, RadioFamily family) {
        if (family == FAMILY_ORV) {
            StartOrvRead(sim);
        } else {
            Start(sim.port, kQx, kSoftDiag);
        }
        CSettingsPage* page = nullptr;
        EXPECT_TRUE(WaitUntil([&page, family] {
            page = PageSlots::SettingsPage(family);
            return Shown(page) && !Shown(g_readingDlg);
        }));
        return page;
    }
    void Leave(CSettingsPage* page) {
        Click(Control(page, "exitButton"));
        ASSERT_TRUE(WaitUntil([this] { return BackHome(); }));
    }
    // Set on a page, until the radio's confirmation (and, with the check, its verdict).
    void Set(CSettingsPage* page, std::size_t messages = 1) {
        prompts.texts.clear();
        Click(Control(page, "setButton"));
        ASSERT_TRUE(WaitUntil([this, messages] { return prompts.texts.size() >= messages; }));
        ASSERT_EQ(prompts.texts.front(), "保存完毕！");
    }
    CSettingsPage* OpenDocument(const QString& path) {
        prompts.openPaths = {path.toStdString()};
        Item("openSettingsAction")->trigger();
        return Shown(g_orvPage) ? g_orvPage.data() : Shown(g_qxPage) ? g_qxPage.data() : nullptr;
    }
    QString SaveDocument(const QString& name) {
        const QString path = dir.filePath(name);
        prompts.savePaths = {path.toStdString()};
        OpenFileMenu();
        Item("saveSettingsAction")->trigger();
        return path;
    }
    // The lines the review dialog lists (none when it says nothing would change), and its
    // summary.
    QStringList Review(QString* summary) {
        QStringList lines;
        WhenModal([&lines, summary](QWidget* modal) {
            *summary = LabelText(modal, "summaryLabel");
            if (auto* list = Control<QListWidget>(modal, "changesList")) {
                for (int i = 0; i < list->count(); ++i) {
                    lines.append(list->item(i)->text());
                }
            }
            qobject_cast<QDialog*>(modal)->accept();
        });
        OpenFileMenu();
        Item("reviewChangesAction")->trigger();
        return lines;
    }

    QTemporaryDir dir;
};

// ---- The history, and a document's way through Save and Open.

class RoundTrip : public DocumentsTest, public ::testing::WithParamInterface<RadioFamily> {};

TEST_P(RoundTrip, AReadIsKeptAndOpensOfflineAndSavesAndOpensAgainUnchanged) {
    const RadioFamily family = GetParam();
    SimRadio sim({"--family", family == FAMILY_ORV ? "orv" : "qx", "--rate", "9600",
                  "--announce-delay", "200", "--no-pace"});
    ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
    CSettingsPage* page = Read(sim, family);
    ASSERT_NE(page, nullptr);
    OpenFileMenu();
    EXPECT_TRUE(Item("saveSettingsAction")->isEnabled());
    Leave(page);
    OpenFileMenu();
    EXPECT_FALSE(Item("saveSettingsAction")->isEnabled() ||
                 Item("reviewChangesAction")->isEnabled());

    const QList<Doc::HistoryEntry> history = Doc::ListHistory();
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history.front().family, family);
    EXPECT_EQ(history.front().port, Doc::PortForFileName(sim.port));

    // The recent read, chosen in the menu: the family's page, offline, as after the read.
    QMenu* recent = Item<QMenu>("recentReadsMenu");
    emit recent->aboutToShow();
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_TRUE(recent->actions().front()->text().contains(Doc::PortForFileName(sim.port)));
    recent->actions().front()->trigger();
    CSettingsPage* offline = PageSlots::SettingsPage(family);
    ASSERT_TRUE(Shown(offline));
    EXPECT_TRUE(offline->Offline());
    EXPECT_TRUE(offline->windowTitle().endsWith("（离线）"));
    EXPECT_FALSE(main->isVisible() || main->PortOpen());
    EXPECT_TRUE(prompts.texts.empty());

    const QString saved = SaveDocument("saved.json");
    EXPECT_EQ(Normalised(FileBytes(saved)), Normalised(FileBytes(history.front().path)));
    ASSERT_NE(OpenDocument(saved), nullptr);
    const QString again = SaveDocument("again.json");
    EXPECT_EQ(FileBytes(again), FileBytes(saved));
    EXPECT_TRUE(prompts.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(Families, RoundTrip, ::testing::Values(FAMILY_QX, FAMILY_ORV));

// A file that is not a valid document is named with its first bad field, and the page that was
// showing stays as it was.
TEST_F(DocumentsTest, ABadDocumentIsToldAndChangesNothing) {
    CreateMain();
    QJsonObject good = QJsonDocument::fromJson(SettingsToJson(RadioSettings{}, FAMILY_QX)).object();
    const QString goodPath = dir.filePath("good.json");
    WriteBytes(goodPath, QJsonDocument(good).toJson());
    CSettingsPage* page = OpenDocument(goodPath);
    ASSERT_NE(page, nullptr);
    const QString caption = page->windowTitle();

    QJsonObject badRegister = good;
    SetRegister(badRegister, "qx", "s186", QStringLiteral("two"));
    QJsonObject badRow = good;
    SetChannel(badRow, 5, {{"frequency", 440.5}});
    QJsonObject newer = good;
    newer["format"] = 99;
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* named; // what the message must name
    };
    for (const Case& c : {Case{"register", QJsonDocument(badRegister).toJson(), "qx.s186"},
                          Case{"row", QJsonDocument(badRow).toJson(), "channels[5]"},
                          Case{"newer", QJsonDocument(newer).toJson(), "format"},
                          Case{"not json", QByteArray("{\"family\": \"qx\",", 16), "JSON"}}) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("%1.json").arg(c.name));
        WriteBytes(path, c.bytes);
        prompts.texts.clear();
        EXPECT_EQ(OpenDocument(path), page);
        ASSERT_EQ(prompts.texts.size(), 1U);
        EXPECT_NE(prompts.texts.front().find(c.named), std::string::npos) << prompts.texts.front();
        EXPECT_EQ(page->windowTitle(), caption);
        EXPECT_TRUE(page->Offline());
    }
}

// ---- An offline page's Set.

// The document's values reach the radio with the bytes a Set of the same values after a read
// sends; the radio's state before is kept in the history.
struct OfflineCase {
    RadioFamily family;
    const char* sim;
    std::function<void(QJsonObject&)> prepare; // the changes made at the desk
    int row;                                   // a channel changed, and its new frequency
    const char* frequency;
    const char* onWire;
};

class OfflineSet : public DocumentsTest, public ::testing::WithParamInterface<OfflineCase> {};

TEST_P(OfflineSet, ReadsTheRadioThenWritesWhatASetAfterAReadWould) {
    const OfflineCase& c = GetParam();
    const QString log = dir.filePath("sim.log");
    SimRadio sim({"--family", c.sim, "--rate", "9600", "--announce-delay", "200", "--no-pace",
                  "--log", log});
    ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
    Leave(Read(sim, c.family));
    ASSERT_EQ(Doc::ListHistory().size(), 1);

    QJsonObject prepared =
        QJsonDocument::fromJson(FileBytes(Doc::ListHistory().front().path)).object();
    c.prepare(prepared);
    const QString path = dir.filePath("prepared.json");
    WriteBytes(path, QJsonDocument(prepared).toJson());
    CSettingsPage* page = OpenDocument(path);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->Offline());

    // The radio takes a reopening this soon only once its power-on has passed.
    const int rest = c.family == FAMILY_ORV ? 2200 : 200;
    QTest::qWait(rest);
    if (c.family == FAMILY_QX) {
        AnswerLinkMode(kSoftDiag, "okButton");
    }
    Set(page);
    EXPECT_EQ(prompts.texts, std::vector<std::string>{"保存完毕！"});
    EXPECT_TRUE(Shown(page) && !page->Offline());
    EXPECT_EQ(Doc::ListHistory().size(), 2);
    const std::string offlineWrite = LastWrite(log);
    EXPECT_NE(offlineWrite.find(c.onWire), std::string::npos);
    Leave(page);

    // The same values, read back from the radio and set again: the same bytes.
    QTest::qWait(rest);
    CSettingsPage* online = Read(sim, c.family);
    ASSERT_NE(online, nullptr);
    EXPECT_EQ(main->Session().Settings().channels[static_cast<std::size_t>(c.row)].frequency,
              c.frequency);
    Set(online);
    EXPECT_EQ(LastWrite(log), offlineWrite);
}

INSTANTIATE_TEST_SUITE_P(
    Families, OfflineSet,
    ::testing::Values(OfflineCase{FAMILY_QX, "qx",
                                  [](QJsonObject& doc) {
                                      SetRegister(doc, "qx", "s108", 25);
                                      SetChannel(doc, 9,
                                                 {{"frequency", "440.550000"},
                                                  {"bandwidth", "12.5 KHz"},
                                                  {"direction", "Tx"}});
                                  },
                                  9, "440.550000", "440550000"},
                      OfflineCase{FAMILY_ORV, "orv",
                                  [](QJsonObject& doc) {
                                      SetChannel(doc, 1, {{"frequency", "433.125000"}});
                                  },
                                  1, "433.125000", "433125000"}),
    [](const ::testing::TestParamInfo<OfflineCase>& info) { return std::string(info.param.sim); });

// A failed connection gives the offline page back with what the user prepared.
TEST_F(DocumentsTest, AnOfflineSetWithoutARadioKeepsThePage) {
    CreateMain();
    RadioSettings settings; // every list on its first item: a writable page
    settings.qx.s108 = 20;
    settings.qx.s110 = 1;
    const QString path = dir.filePath("first-items.json");
    WriteBytes(path, SettingsToJson(settings, FAMILY_QX));
    auto* page = qobject_cast<CQxSettingsDlg*>(OpenDocument(path));
    ASSERT_NE(page, nullptr);
    page->ChannelModel().SetText(3, CQxChannelModel::kFrequency, "433.000000");

    // No port chosen yet: said so, with the home page up beside the page.
    Click(Control(page, "setButton"));
    ASSERT_EQ(prompts.texts.size(), 1U) << prompts.texts.back();
    EXPECT_TRUE(main->isVisible() && Shown(page) && page->Offline());

    // A port that is not there.
    prompts.texts.clear();
    SelectPort(dir.filePath("no-such-port"));
    AnswerLinkMode(kPowerOn, "okButton");
    Click(Control(page, "setButton"));
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_TRUE(Shown(page) && page->Offline());
    EXPECT_EQ(page->ChannelModel().Text(3, CQxChannelModel::kFrequency), "433.000000");
}

// ---- Review and the check after a write.

TEST_F(DocumentsTest, ReviewListsWhatSetWouldChange) {
    SimRadio sim({"--family", "qx", "--rate", "9600", "--announce-delay", "200", "--no-pace"});
    ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
    auto* page = qobject_cast<CQxSettingsDlg*>(Read(sim, FAMILY_QX));
    ASSERT_NE(page, nullptr);

    QString summary;
    EXPECT_TRUE(Review(&summary).isEmpty());
    EXPECT_FALSE(summary.isEmpty());

    QComboBox* power = Control<QComboBox>(page, "powerCombo");
    const int other = (power->currentIndex() + 1) % power->count();
    power->setCurrentIndex(other);
    emit power->activated(other);
    page->ChannelModel().SetText(9, CQxChannelModel::kFrequency, "440.550000");
    page->ChannelModel().SetText(9, CQxChannelModel::kBandwidth, "12.5 KHz");
    page->ChannelModel().SetText(9, CQxChannelModel::kDirection, "Tx");
    const QStringList lines = Review(&summary);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.join('\n').contains("S108"));
    EXPECT_TRUE(lines.join('\n').contains("440.55"));
    EXPECT_TRUE(prompts.texts.empty());
}

TEST_F(DocumentsTest, VerifyAfterWritingCatchesADroppedChannelAndPassesAHealthyRadio) {
    struct Case {
        const char* name;
        QStringList faults;
        bool holds;
    };
    for (const Case& c :
         {Case{"healthy", {}, true}, Case{"drops channel 9", {"--drop-channel", "9"}, false}}) {
        SCOPED_TRACE(c.name);
        SimRadio sim(QStringList{"--family", "qx", "--rate", "9600", "--announce-delay", "200",
                                 "--no-pace"} +
                     c.faults);
        ASSERT_FALSE(sim.port.isEmpty()) << "orvconf-sim did not start";
        CreateMain();
        Item("verifyAfterWritingAction")->setChecked(true);
        auto* page = qobject_cast<CQxSettingsDlg*>(Read(sim, FAMILY_QX));
        ASSERT_NE(page, nullptr);
        page->ChannelModel().SetText(9, CQxChannelModel::kFrequency, "440.550000");
        page->ChannelModel().SetText(9, CQxChannelModel::kBandwidth, "12.5 KHz");
        page->ChannelModel().SetText(9, CQxChannelModel::kDirection, "Tx");
        Set(page, 2);
        ASSERT_EQ(prompts.texts.size(), 2U);
        const QString verdict = QString::fromStdString(prompts.texts[1]);
        EXPECT_EQ(verdict.startsWith("校验完毕"), c.holds) << verdict.toStdString();
        EXPECT_EQ(verdict.contains("信道9"), !c.holds) << verdict.toStdString();
        // Back to the page as after Set, the radio still in its command mode.
        EXPECT_TRUE(Shown(page) && main->PortOpen() && !Shown(g_readingDlg));
        EXPECT_TRUE(Control(page, "setButton")->isEnabled());
        EXPECT_EQ(Doc::ListHistory().size(), 2);
        Leave(page);
        QDir(Doc::HistoryFolder()).removeRecursively();
    }
    // The choice is remembered for the next window.
    CreateMain();
    EXPECT_TRUE(Item("verifyAfterWritingAction")->isChecked());
}

} // namespace
