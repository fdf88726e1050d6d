#include "document/History.h"

#include "base/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace Doc {
namespace {

// "20261207-031502-123_qx_pts-4.json", with "-2", "-3"… after the milliseconds when that name
// is taken already. The time is UTC so that the names sort the same in every time zone.
const QRegularExpression& FileNamePattern() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{8}-\d{6}-\d{3})(?:-(\d{1,6}))?_(orv|qx)_([A-Za-z0-9.-]*)\.json$)"));
    return pattern;
}

constexpr const char* kTimeFormat = "yyyyMMdd-HHmmss-zzz";

struct Listed {
    HistoryEntry entry;
    int counter = 0;
};

QList<Listed> ListWithCounters() {
    QList<Listed> listed;
    const QDir folder(HistoryFolder());
    for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        const QRegularExpressionMatch m = FileNamePattern().match(name);
        if (!m.hasMatch()) {
            continue;
        }
        // Date and time apart: read as one they would be local time, which may skip an hour.
        const QString stamp = m.captured(1);
        const QDateTime when(QDate::fromString(stamp.left(8), QStringLiteral("yyyyMMdd")),
                             QTime::fromString(stamp.mid(9), QStringLiteral("HHmmss-zzz")),
                             Qt::UTC);
        if (!when.isValid()) {
            continue;
        }
        Listed item;
        item.entry = {folder.filePath(name), when,
                      m.captured(3) == QLatin1String("orv") ? FAMILY_ORV : FAMILY_QX,
                      m.captured(4)};
        item.counter = m.captured(2).toInt();
        listed << item;
    }
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        if (a.entry.when != b.entry.when) {
            return a.entry.when > b.entry.when;
        }
        if (a.counter != b.counter) {
            return a.counter > b.counter;
        }
        return a.entry.path > b.entry.path;
    });
    return listed;
}

} // namespace

QString HistoryFolder() {
    // Not the calling program's own data folder: the window and the command line have different
    // program names and must keep one history.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/ORVCONF/history");
    QDir().mkpath(folder);
    return folder;
}

QString PortForFileName(const QString& port) {
    static const QRegularExpression other(QStringLiteral("[^A-Za-z0-9.-]"));
    // "/dev/pts/4" and "pts/4" are one port.
    QString name = port.startsWith(QLatin1String("/dev/")) ? port.mid(5) : port;
    name.replace(other, QStringLiteral("-"));
    return name;
}

QString KeepRead(const SettingsDocument& document, const QString& port, QString* error) {
    const QString folder = HistoryFolder();
    if (!QDir(folder).exists()) {
        *error = QStringLiteral("cannot create the history folder %1").arg(folder);
        return {};
    }
    const QString stem = QDateTime::currentDateTimeUtc().toString(QLatin1String(kTimeFormat));
    const QString tail =
        QStringLiteral("_%1_%2.json")
            .arg(document.family == FAMILY_ORV ? "orv" : "qx", PortForFileName(port));
    QString path = folder + "/" + stem + tail;
    for (int counter = 2; QFile::exists(path); ++counter) {
        path = folder + "/" + stem + "-" + QString::number(counter) + tail;
    }
    const QString failure = WholeFile::Write(path, SettingsToJson(document));
    if (!failure.isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, failure);
        return {};
    }
    const QList<Listed> listed = ListWithCounters();
    for (qsizetype i = kHistoryKept; i < listed.size(); ++i) {
        QFile::remove(listed[i].entry.path);
    }
    return path;
}

QList<HistoryEntry> ListHistory() {
    QList<HistoryEntry> entries;
    for (const Listed& item : ListWithCounters()) {
        entries << item.entry;
    }
    return entries;
}

} // namespace Doc
