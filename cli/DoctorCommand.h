#pragma once
// "orvconf-cli doctor [--port NAME]": every check of the port doctor with its result and fix.

#include "cli/Command.h"
#include "serial/PortDoctor.h"

namespace Cli {

class CDoctorCommand : public CCommand {
public:
    CDoctorCommand(QTextStream& out, QTextStream& err,
                   const PortDoctor::IPortSystem& system = PortDoctor::HostSystem())
        : CCommand("doctor", out, err), m_system(system) {}
    int Execute(const QStringList& args) override;

private:
    const PortDoctor::IPortSystem& m_system;
};

} // namespace Cli
