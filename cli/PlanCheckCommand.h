#pragma once
// "plan-check": the plan check of a settings document, or of a CSV channel plan on its own or
// put into a document, as the settings pages run it on every import and before every Set.

#include "cli/Command.h"
#include "document/PlanCheck.h"

#include <vector>

namespace Cli {

class CPlanCheckCommand : public CCommand {
public:
    CPlanCheckCommand(QTextStream& out, QTextStream& err) : CCommand("plan-check", out, err) {}
    int Execute(const QStringList& args) override;
};

// One finding a line: "error: …" or "advice: …".
void WriteFindings(QTextStream& stream, const std::vector<PlanCheck::Finding>& findings);

} // namespace Cli
