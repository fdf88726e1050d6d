// The history of reads: whole documents under names that sort by time, the newest 200 kept,
// and nothing in the folder that is not the history's touched.

#include "document/History.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    static SettingsDocument Document(RadioFamily family) {
        SettingsDocument d{family, {}};
        if (family == FAMILY_ORV) {
            d.settings.orvCurrentChannel = 1; // a QX document has none
        }
        d.settings.channels[4] = {"4", "433.125000", "25   KHz", "Rx"};
        return d;
    }

    QTemporaryDir m_home;
};

TEST_F(HistoryTest, KeepsTheWholeDocumentAndListsItNewestFirst) {
    QString error;
    const QString first = Doc::KeepRead(Document(FAMILY_QX), "pts/4", &error);
    const QString second = Doc::KeepRead(Document(FAMILY_ORV), "ttyUSB0", &error);
    ASSERT_FALSE(first.isEmpty()) << error.toStdString();
    ASSERT_FALSE(second.isEmpty()) << error.toStdString();
    // Two reads within one millisecond must not share a file.
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(m_home.path()));

    const QList<Doc::HistoryEntry> entries = Doc::ListHistory();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].path, second);
    EXPECT_EQ(entries[0].family, FAMILY_ORV);
    EXPECT_EQ(entries[0].port, "ttyUSB0");
    EXPECT_EQ(entries[1].port, "pts-4");
    EXPECT_EQ(entries[1].family, FAMILY_QX);
    EXPECT_LE(qAbs(entries[1].when.secsTo(QDateTime::currentDateTimeUtc())), 60);

    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    SettingsDocument back;
    EXPECT_TRUE(SettingsFromJson(file.readAll(), &back).isEmpty());
    EXPECT_TRUE(back.settings == Document(FAMILY_QX).settings);
}

TEST_F(HistoryTest, KeepsTheNewest200AndLeavesOtherFilesAlone) {
    const QDir folder(Doc::HistoryFolder());
    // 200 older reads, one per minute of a past day, and files that are not the history's.
    const QDateTime start(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < Doc::kHistoryKept; ++i) {
        const QString name =
            start.addSecs(60 * i).toString("yyyyMMdd-HHmmss-zzz") + "_qx_ttyS0.json";
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QStringList foreign{"notes.json", "20200101-000000-000_vhf_x.json", "readme.txt"};
    for (const QString& name : foreign) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString error;
    const QString kept = Doc::KeepRead(Document(FAMILY_ORV), "COM3", &error);
    ASSERT_FALSE(kept.isEmpty()) << error.toStdString();

    const QList<Doc::HistoryEntry> entries = Doc::ListHistory();
    ASSERT_EQ(entries.size(), Doc::kHistoryKept);
    EXPECT_EQ(entries.first().path, kept);
    EXPECT_EQ(entries.last().when, start.addSecs(60)); // the oldest one went
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("20200101-000000-000_qx_ttyS0.json")));
    for (const QString& name : foreign) {
        EXPECT_TRUE(QFileInfo::exists(folder.filePath(name))) << name.toStdString();
    }
}

TEST_F(HistoryTest, AFolderThatCannotBeWrittenIsReportedNotThrown) {
    // The data folder is a file: no history folder can be made below it.
    const QString blocked = m_home.filePath("blocked");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_DATA_HOME", blocked.toUtf8());
    QString error;
    EXPECT_TRUE(Doc::KeepRead(Document(FAMILY_QX), "x", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(Doc::ListHistory().isEmpty());
}

} // namespace
