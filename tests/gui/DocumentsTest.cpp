// Settings documents in the window: the history of reads, offline pages opened from a file,
// Save, an offline page's Set and the check after a write, clicked through against orvconf-sim.

#include "document/History.h"
#include "document/SettingsJson.h"
#include "qxpage/QxChannelModel.h"
#include "qxpage/QxSettingsDlg.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/FileBytes.h"
#include "tests/support/JsonEdit.h"

#include <QAction>
#include <QDir>
#include <QJsonDocument>
#include <QMenu>
#include <QSettings>

namespace {

using namespace guitest;

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
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
        EXPECT_TRUE(WaitUntil([this, &page, family] {
            page = Pages().SettingsPage(family);
            return Shown(page) && !Shown(Pages().readingDlg);
        }));
        return page;
    }
    void Leave(CSettingsPage* page) {
        ASSERT_NE(page, nullptr);
        Click(Control(page, "exitButton"));
        ASSERT_TRUE(WaitUntil([this] { return BackHome(); }));
    }
    // Set on a page, until the one message that ends the write (with the check, its verdict).
    void Set(CSettingsPage* page) {
        prompts.texts.clear();
        Click(Control(page, "setButton"));
        ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
        ASSERT_TRUE(prompts.texts.front().starts_with("保存完毕！")) << prompts.texts.front();
    }
    CSettingsPage* OpenDocument(const QString& path) {
        prompts.openPaths = {path.toStdString()};
        Item("openSettingsAction")->trigger();
        return Shown(Pages().orvPage)  ? Pages().orvPage.data()
               : Shown(Pages().qxPage) ? Pages().qxPage.data()
                                       : nullptr;
    }
    QString SaveDocument(const QString& name) {
        const QString path = dir.filePath(name);
        prompts.savePaths = {path.toStdString()};
        OpenFileMenu();
        Item("saveSettingsAction")->trigger();
        return path;
    }

    QTemporaryDir dir;
};

class RoundTrip : public DocumentsTest, public ::testing::WithParamInterface<RadioFamily> {};

// A read is kept in the history and opens offline from the menu; what is saved from there opens
// and saves again unchanged.
TEST_P(RoundTrip, AReadIsKeptAndOpensOfflineAndSavesAndOpensAgainUnchanged) {
    const RadioFamily family = GetParam();
    SimRadio sim({"--family", family == FAMILY_ORV ? "orv" : "qx", "--rate", "9600",
                  "--announce-delay", "200", "--no-pace"});
    Leave(Read(sim, family));
    OpenFileMenu();
    EXPECT_FALSE(Item("saveSettingsAction")->isEnabled());
    const QList<Doc::HistoryEntry> history = Doc::ListHistory();
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history.front().family, family);
    QMenu* recent = Item<QMenu>("recentReadsMenu");
    emit recent->aboutToShow();
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_TRUE(recent->actions().front()->text().contains(Doc::PortForFileName(sim.port)));
    recent->actions().front()->trigger();
    CSettingsPage* offline = Pages().SettingsPage(family);
    ASSERT_TRUE(Shown(offline));
    EXPECT_TRUE(offline->Offline() && offline->windowTitle().endsWith("（离线）"));
    EXPECT_FALSE(main->isVisible() || main->PortOpen());
    const QString saved = SaveDocument("saved.json");
    SettingsDocument kept;
    SettingsDocument savedDocument;
    ASSERT_TRUE(SettingsFromJson(FileBytes(history.front().path), &kept).isEmpty());
    ASSERT_TRUE(SettingsFromJson(FileBytes(saved), &savedDocument).isEmpty());
    EXPECT_TRUE(savedDocument.settings == kept.settings && savedDocument.family == family);
    ASSERT_NE(OpenDocument(saved), nullptr);
    EXPECT_EQ(FileBytes(SaveDocument("again.json")), FileBytes(saved));
    EXPECT_TRUE(prompts.texts.empty());

    // A bad document is told by what is wrong in it and changes nothing.
    QJsonObject newer = QJsonDocument::fromJson(FileBytes(saved)).object();
    newer["format"] = 99;
    WriteBytes(dir.filePath("newer.json"), QJsonDocument(newer).toJson());
    WriteBytes(dir.filePath("cut.json"), FileBytes(saved).left(40));
    for (const auto& [name, named] : {std::pair{"newer.json", "format"}, {"cut.json", "JSON"}}) {
        prompts.texts.clear();
        EXPECT_EQ(OpenDocument(dir.filePath(name)), Pages().SettingsPage(family));
        ASSERT_EQ(prompts.texts.size(), 1U);
        EXPECT_NE(prompts.texts.front().find(named), std::string::npos) << prompts.texts.front();
    }
    EXPECT_EQ(FileBytes(SaveDocument("after.json")), FileBytes(saved));
}

INSTANTIATE_TEST_SUITE_P(Families, RoundTrip, ::testing::Values(FAMILY_QX, FAMILY_ORV));

// An offline page's Set reads the radio first, keeping its state in the history, then writes
// the document's values with the bytes a Set of the same values after a read sends. Without a
// radio, the page stays with what the user prepared.
TEST_F(DocumentsTest, AnOfflineSetWritesWhatASetAfterAReadWould) {
    const QString log = dir.filePath("sim.log");
    SimRadio sim(
        {"--family", "qx", "--rate", "9600", "--announce-delay", "200", "--no-pace", "--log", log});
    Leave(Read(sim, FAMILY_QX));
    ASSERT_EQ(Doc::ListHistory().size(), 1);
    QJsonObject prepared =
        QJsonDocument::fromJson(FileBytes(Doc::ListHistory().front().path)).object();
    SetRegister(prepared, "qx", "s108", 25);
    SetChannel(prepared, 9,
               {{"frequency", "440.550000"}, {"bandwidth", "12.5 KHz"}, {"direction", "Tx"}});
    const QString path = dir.filePath("prepared.json");
    WriteBytes(path, QJsonDocument(prepared).toJson());
    CSettingsPage* page = OpenDocument(path);
    ASSERT_NE(page, nullptr);
    // A port that is not there first.
    SelectPort(dir.filePath("no-such-port"));
    AnswerLinkMode(kPowerOn, "okButton");
    Click(Control(page, "setButton"));
    ASSERT_TRUE(WaitUntil([this] { return !prompts.texts.empty(); }));
    EXPECT_TRUE(Shown(page) && page->Offline());
    EXPECT_EQ(
        qobject_cast<CQxSettingsDlg*>(page)->ChannelModel().Text(9, CQxChannelModel::kFrequency),
        "440.550000");
    SelectPort(sim.port);
    QTest::qWait(200); // the radio takes a reopening this soon only once its power-on has passed
    AnswerLinkMode(kSoftDiag, "okButton");
    Set(page);
    EXPECT_TRUE(Shown(page) && !page->Offline());
    EXPECT_EQ(Doc::ListHistory().size(), 2);
    const std::string offlineWrite = LastWrite(log);
    EXPECT_NE(offlineWrite.find("440550000"), std::string::npos);
    Leave(page);
    QTest::qWait(200);
    CSettingsPage* online = Read(sim, FAMILY_QX);
    ASSERT_NE(online, nullptr);
    EXPECT_EQ(online->Settings().channels[9].frequency, "440.550000");
    Set(online);
    EXPECT_EQ(LastWrite(log), offlineWrite);
}

// With the check after writing on, a Set is read back: a radio that drops a channel is named, a
// healthy one passes; the page stays as after Set, and the choice is remembered.
TEST_F(DocumentsTest, VerifyAfterWritingCatchesADroppedChannelAndPassesAHealthyRadio) {
    for (const bool healthy : {true, false}) {
        SCOPED_TRACE(healthy ? "healthy" : "drops channel 9");
        SimRadio sim(QStringList{"--family", "qx", "--rate", "9600", "--announce-delay", "200",
                                 "--no-pace"} +
                     (healthy ? QStringList{} : QStringList{"--drop-channel", "9"}));
        CreateMain();
        Item("verifyAfterWritingAction")->setChecked(true);
        auto* page = qobject_cast<CQxSettingsDlg*>(Read(sim, FAMILY_QX));
        ASSERT_NE(page, nullptr);
        page->ChannelModel().SetText(9, CQxChannelModel::kFrequency, "440.550000");
        page->ChannelModel().SetText(9, CQxChannelModel::kBandwidth, "12.5 KHz");
        page->ChannelModel().SetText(9, CQxChannelModel::kDirection, "Tx");
        Set(page);
        ASSERT_EQ(prompts.texts.size(), 1U);
        const QString verdict = QString::fromStdString(prompts.texts[0]);
        EXPECT_EQ(verdict.contains("\n校验完毕"), healthy) << verdict.toStdString();
        EXPECT_EQ(verdict.contains("信道9"), !healthy) << verdict.toStdString();
        EXPECT_TRUE(Shown(page) && main->PortOpen() && !Shown(Pages().readingDlg));
        EXPECT_TRUE(Control(page, "setButton")->isEnabled());
        Leave(page);
    }
    CreateMain();
    EXPECT_TRUE(Item("verifyAfterWritingAction")->isChecked());
}

} // namespace
