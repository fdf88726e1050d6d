// Every writer of a file the tool keeps on disk (exported tables, saved logs and documents, the
// simulated radio's state) leaves either the whole new file or the old one, never a partial one.
#include "base/WholeFile.h"
#include "connect/pages/SettingsPage.h"
#include "sim/SimStateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A file system that has only `bytes` left: writes beyond fail with "File too large" (EFBIG).
struct FullDisk {
    rlimit saved{};
    explicit FullDisk(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

struct PageWriter : CSettingsPage {
    using CSettingsPage::WriteFileReadOnly;
};

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct Writer {
    const char* name;
    // Writes a file of about `size` bytes at path; true when it reports success.
    std::function<bool(const QString& path, qsizetype size)> write;
};

QByteArray Body(qsizetype size) {
    return QByteArray(size, 'x');
}

const std::vector<Writer>& Writers() {
    static const std::vector<Writer> writers = {
        {"whole file", [](const QString& path,
                          qsizetype size) { return WholeFile::Write(path, Body(size)).isEmpty(); }},
        {"table export",
         [](const QString& path, qsizetype size) {
             return PageWriter::WriteFileReadOnly(path, Body(size));
         }},
        {"simulator state",
         [](const QString& path, qsizetype) {
             QString error;
             const bool ok = SaveSimStateFile(path, DefaultSimState(0), &error);
             EXPECT_EQ(ok, error.isEmpty()) << error.toStdString();
             return ok;
         }},
    };
    return writers;
}

TEST(WholeFile, AFullDiskLeavesTheOldFileAndNoPartialOne) {
    // Small enough to sit in a write buffer (the failure comes only when the file is closed),
    // and larger than any buffer.
    for (const qsizetype size : {qsizetype{900}, qsizetype{200000}}) {
        for (const Writer& writer : Writers()) {
            SCOPED_TRACE(std::string(writer.name) + ", " + std::to_string(size) + " bytes");
            QTemporaryDir dir;
            const QString existing = dir.filePath("existing");
            const QString fresh = dir.filePath("fresh");
            Put(existing, "good old file\n");
            {
                const FullDisk full(64);
                EXPECT_FALSE(writer.write(existing, size));
                EXPECT_FALSE(writer.write(fresh, size));
            }
            EXPECT_EQ(Contents(existing), "good old file\n");
            EXPECT_EQ(Entries(dir.path()), QStringList{"existing"});

            // With room again the same writer replaces the file.
            EXPECT_TRUE(writer.write(fresh, size));
            EXPECT_GT(QFileInfo(fresh).size(), 64);
        }
    }
}

TEST(WholeFile, AReadOnlyFolderIsToldAndLeftAsItWas) {
    // A superuser writes into any folder whatever its mode, but not into a read-only file
    // system: /proc stands in for one then.
    const bool super = geteuid() == 0;
    QTemporaryDir temporary;
    const QString dir = super ? QStringLiteral("/proc") : temporary.path();
    const QString existing =
        super ? QStringLiteral("/proc/version") : temporary.filePath("existing");
    if (!super) {
        Put(existing, "good old file\n");
        ASSERT_TRUE(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QByteArray before = Contents(existing);
    const QStringList entries = Entries(dir);
    for (const Writer& writer : Writers()) {
        SCOPED_TRACE(writer.name);
        EXPECT_FALSE(writer.write(existing, 900));
        EXPECT_FALSE(writer.write(dir + "/orvconf-fresh", 900));
        EXPECT_EQ(Contents(existing), before);
        EXPECT_FALSE(QFile::exists(dir + "/orvconf-fresh"));
    }
    if (!super) {
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(Entries(dir), entries);
    }
}

TEST(WholeFile, TheReasonIsTheSystems) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t");
    QString reason;
    {
        const FullDisk full(64);
        reason = WholeFile::Write(path, Body(900));
    }
    EXPECT_TRUE(reason.contains("File too large")) << reason.toStdString();
    EXPECT_FALSE(WholeFile::Write(dir.filePath("no/such/folder/t"), "x").isEmpty());
}

} // namespace
