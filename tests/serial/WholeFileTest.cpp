// The writer of every file the tool keeps on disk (exported tables, saved logs and documents)
// leaves either the whole new file or the old one, never a partial one.
#include "base/WholeFile.h"
#include "connect/pages/SettingsPage.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
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

// Each writes a file at path; true when it reports success.
const QByteArray kBody(900, 'x');
const std::pair<const char*, std::function<bool(const QString&)>> kWriters[] = {
    {"whole file", [](const QString& path) { return WholeFile::Write(path, kBody).isEmpty(); }},
    {"table export",
     [](const QString& path) { return PageWriter::WriteFileReadOnly(path, kBody); }},
};

// On a full disk 900 bytes sit in a write buffer: the failure comes only when the file is
// closed. A superuser writes into any folder whatever its mode, but not into a read-only file
// system: /proc stands in for one then.
TEST(WholeFile, AFullDiskOrAReadOnlyFolderLeavesTheOldFileAndNoPartialOne) {
    const bool super = geteuid() == 0;
    for (const bool full : {true, false}) {
        for (const auto& [name, write] : kWriters) {
            SCOPED_TRACE(std::string(name) + (full ? ", full disk" : ", read-only folder"));
            QTemporaryDir temporary;
            const bool proc = !full && super;
            const QString dir = proc ? QStringLiteral("/proc") : temporary.path();
            const QString existing = dir + (proc ? "/version" : "/existing");
            if (!proc) {
                ASSERT_TRUE(WholeFile::Write(existing, "good old file\n").isEmpty());
            }
            const QByteArray before = FileBytes(existing);
            if (!full && !super) {
                ASSERT_TRUE(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
            }
            {
                std::optional<FullDisk> disk;
                if (full) {
                    disk.emplace(64);
                }
                EXPECT_FALSE(write(existing));
                EXPECT_FALSE(write(dir + "/fresh"));
            }
            QFile::setPermissions(temporary.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            EXPECT_EQ(FileBytes(existing), before);
            if (!proc) { // no partial file left behind; with room again the writer makes it
                EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"existing"});
                EXPECT_TRUE(write(dir + "/fresh"));
            }
        }
    }
}

} // namespace
