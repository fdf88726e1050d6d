#include "cli/PortProblem.h"

#include "serial/PortDoctor.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Cli {

QString WhyPortNotOpened(const QString& port) {
    const QString path = QString::fromStdString(PortDoctor::DevicePath(port.toStdString()));
    struct stat info {};
    if (::stat(path.toLocal8Bit().constData(), &info) != 0) {
        return QStringLiteral("it does not exist");
    }
    if (!S_ISCHR(info.st_mode)) {
        return S_ISDIR(info.st_mode) ? QStringLiteral("it is a folder, not a serial port")
                                     : QStringLiteral("it is not a serial port");
    }
    // A character device the kernel lists under another class than tty (/dev/null, a disk) is
    // no serial port. Pseudo-terminals are not listed at all and count as terminals. Found
    // without opening the device, which could disturb a line that another program is using.
    const QFileInfo subsystem(QStringLiteral("/sys/dev/char/%1:%2/subsystem")
                                  .arg(major(info.st_rdev))
                                  .arg(minor(info.st_rdev)));
    if (subsystem.exists() && QFileInfo(subsystem.symLinkTarget()).fileName() != "tty") {
        return QStringLiteral("it is not a serial port");
    }
    const QString doctor = QStringLiteral(" ('orvconf-cli doctor --port %1' tells more)").arg(port);
    if (::access(path.toLocal8Bit().constData(), R_OK | W_OK) != 0) {
        return QStringLiteral("no permission to use it") + doctor;
    }
    return QStringLiteral("another program is using it") + doctor;
}

} // namespace Cli
