#include "cli/PortProblem.h"

#include "serial/PortDoctor.h"

namespace Cli {

QString WhyPortNotOpened(const PortDoctor::IPortSystem& system, const QString& port) {
    const QString doctor = QStringLiteral(" ('orvconf-cli doctor --port %1' tells more)").arg(port);
    switch (PortDoctor::WhyOpenFailed(system, port.toStdString())) {
    case PortDoctor::OpenFailure::Missing:
        return QStringLiteral("it does not exist");
    case PortDoctor::OpenFailure::Folder:
        return QStringLiteral("it is a folder, not a serial port");
    case PortDoctor::OpenFailure::NotSerialPort:
        return QStringLiteral("it is not a serial port");
    case PortDoctor::OpenFailure::NoPermission:
        return QStringLiteral("no permission to use it") + doctor;
    case PortDoctor::OpenFailure::InUse:
        break;
    }
    return QStringLiteral("another program is using it") + doctor;
}

} // namespace Cli
