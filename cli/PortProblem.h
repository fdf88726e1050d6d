#pragma once
// Why a serial port could not be opened, in a few words for the command line's one-line message.

#include <QString>

namespace PortDoctor {
class IPortSystem;
}

namespace Cli {

// Called after opening port failed: the port doctor's finding as "it does not exist", "it is not
// a serial port", "no permission to use it" or "another program is using it" (with the doctor as
// the next step).
QString WhyPortNotOpened(const PortDoctor::IPortSystem& system, const QString& port);

} // namespace Cli
