#include "serial/PublishedPorts.h"

#include "base/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#include <unistd.h>
#endif

namespace {

const QString kNamePattern = QStringLiteral("port-*.json");
// An entry names a port, its device, a description and a process: far below this.
constexpr qint64 kMostEntryBytes = 64 * 1024;

QString UserTag() {
#ifdef Q_OS_UNIX
    return QString::number(static_cast<qulonglong>(::getuid()));
#else
    return qEnvironmentVariable("USERNAME", QStringLiteral("user"));
#endif
}

#ifdef Q_OS_UNIX
// A process that ended but was not yet reaped by its parent still answers kill(pid, 0).
bool IsZombie(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    // "pid (command) S ...": the command may hold spaces and parentheses, the state follows the
    // last parenthesis.
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line[close + 2] == 'Z';
}
#endif

bool OwnerAlive(qint64 pid) {
    if (pid <= 0) {
        return false;
    }
#ifdef Q_OS_UNIX
    const bool exists = ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    return exists && !IsZombie(pid);
#else
    return true;
#endif
}

bool ReadEntry(const QString& file, PublishedPort* port) {
    // Any program of the user can put a file there: read no more than an entry can be.
    const WholeFile::ReadResult in = WholeFile::Read(file, kMostEntryBytes);
    if (!in.Ok()) {
        return false;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(in.bytes);
    if (!doc.isObject()) {
        return false;
    }
    const QJsonObject o = doc.object();
    port->name = o.value(QStringLiteral("name")).toString();
    port->devicePath = o.value(QStringLiteral("devicePath")).toString();
    port->description = o.value(QStringLiteral("description")).toString();
    port->ownerPid = static_cast<qint64>(o.value(QStringLiteral("ownerPid")).toDouble());
    return !port->name.isEmpty() && !port->devicePath.isEmpty() && port->ownerPid > 0;
}

} // namespace

namespace PublishedPorts {

QString Directory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return QDir(runtime).filePath(QStringLiteral("orvconf-ports"));
    }
    // Shared temporary folder: one sub-folder per user keeps users apart.
    return QDir(QDir::tempPath()).filePath(QStringLiteral("orvconf-ports-") + UserTag());
}

QString Publish(const PublishedPort& port) {
    if (port.name.isEmpty() || port.devicePath.isEmpty()) {
        return {};
    }
    const QString dir = Directory();
    if (!QDir().mkpath(dir)) {
        return {};
    }
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const qint64 pid = port.ownerPid > 0 ? port.ownerPid : QCoreApplication::applicationPid();
    QJsonObject o;
    o.insert(QStringLiteral("name"), port.name);
    o.insert(QStringLiteral("devicePath"), port.devicePath);
    o.insert(QStringLiteral("description"), port.description);
    o.insert(QStringLiteral("ownerPid"), static_cast<double>(pid));
    // One file per owner and device, so that a process may publish several ports.
    QString device = port.devicePath;
    device.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString file = QDir(dir).filePath(QStringLiteral("port-%1%2.json").arg(pid).arg(device));
    if (!WholeFile::Write(file, QJsonDocument(o).toJson(QJsonDocument::Indented)).isEmpty()) {
        return {};
    }
    return file;
}

void Withdraw(const QString& file) {
    if (!file.isEmpty()) {
        QFile::remove(file);
    }
}

QList<PublishedPort> Live() {
    QList<PublishedPort> ports;
    const QDir dir(Directory());
    if (!dir.exists()) {
        return ports;
    }
    for (const QString& name : dir.entryList({kNamePattern}, QDir::Files, QDir::Name)) {
        const QString file = dir.filePath(name);
        PublishedPort port;
        // Entries are replaced atomically, so one that cannot be read is left over from an owner
        // that died while writing; so is one whose owner or device is gone.
        if (!ReadEntry(file, &port) || !OwnerAlive(port.ownerPid) ||
            !QFileInfo::exists(port.devicePath)) {
            QFile::remove(file);
            continue;
        }
        ports.append(port);
    }
    return ports;
}

} // namespace PublishedPorts
