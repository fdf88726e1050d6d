#include "sim/SimPortRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#include <unistd.h>
#endif

namespace {

QString UserTag() {
#ifdef Q_OS_UNIX
    return QString::number(static_cast<qulonglong>(::getuid()));
#else
    return qEnvironmentVariable("USERNAME", QStringLiteral("user"));
#endif
}

bool ProcessAlive(qint64 pid) {
    if (pid <= 0) {
        return false;
    }
#ifdef Q_OS_UNIX
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    return true;
#endif
}

QString EntryFile(qint64 pid) {
    return QDir(SimPortRegistry::Directory()).filePath(QStringLiteral("sim-%1.json").arg(pid));
}

bool ReadEntry(const QString& file, SimPortEntry* entry) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll());
    if (!doc.isObject()) {
        return false;
    }
    const QJsonObject o = doc.object();
    entry->portName = o.value(QStringLiteral("portName")).toString();
    entry->devicePath = o.value(QStringLiteral("devicePath")).toString();
    entry->family = o.value(QStringLiteral("family")).toString();
    entry->baud = o.value(QStringLiteral("baud")).toInt();
    entry->pid = static_cast<qint64>(o.value(QStringLiteral("pid")).toDouble());
    return !entry->portName.isEmpty() && !entry->devicePath.isEmpty() && entry->pid > 0;
}

} // namespace

namespace SimPortRegistry {

QString Directory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString dir;
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        dir = QDir(runtime).filePath(QStringLiteral("orvconf-sim"));
    } else {
        // Shared temporary folder: one sub-folder per user keeps users apart.
        dir = QDir(QDir::tempPath()).filePath(QStringLiteral("orvconf-sim-") + UserTag());
    }
    return dir;
}

QString Publish(const SimPortEntry& entry) {
    const QString dir = Directory();
    if (!QDir().mkpath(dir)) {
        return {};
    }
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const qint64 pid = entry.pid > 0 ? entry.pid : QCoreApplication::applicationPid();
    QJsonObject o;
    o.insert(QStringLiteral("portName"), entry.portName);
    o.insert(QStringLiteral("devicePath"), entry.devicePath);
    o.insert(QStringLiteral("family"), entry.family);
    o.insert(QStringLiteral("baud"), entry.baud);
    o.insert(QStringLiteral("pid"), static_cast<double>(pid));
    const QString file = EntryFile(pid);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) < 0 || !out.commit()) {
        return {};
    }
    return file;
}

void Withdraw(const QString& file) {
    if (!file.isEmpty()) {
        QFile::remove(file);
    }
}

QList<SimPortEntry> Running() {
    QList<SimPortEntry> entries;
    const QDir dir(Directory());
    if (!dir.exists()) {
        return entries;
    }
    const QStringList files =
        dir.entryList({QStringLiteral("sim-*.json")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString file = dir.filePath(name);
        SimPortEntry entry;
        // Entries are replaced atomically, so one that cannot be read is left over from a
        // simulator that died; so is one whose process or device is gone.
        if (!ReadEntry(file, &entry) || !ProcessAlive(entry.pid) ||
            !QFileInfo::exists(entry.devicePath)) {
            QFile::remove(file);
            continue;
        }
        entries.append(entry);
    }
    return entries;
}

} // namespace SimPortRegistry
