#pragma once
// Channel plans (CSV) and the plan check where a page or a settings document holds the table:
// which rows an import may change, what it had to leave, and the slots the check looks at.

#include "document/ChannelPlanCsv.h"
#include "document/PlanCheck.h"
#include "document/SettingsJson.h"

#include <array>
#include <string>
#include <vector>

namespace Doc {

using ChannelTable = std::array<ChannelEntry, RadioSettings::kChannelRows>;

// The family's frequency step: 1250 Hz for ORV, 50 Hz for QX.
std::int64_t PlanStepHz(RadioFamily family);

// An ORV plan put into a table as the page holds it (frequencies in the cells): only the rows
// the layout writes take the plan's frequency (in the repeater layout row 63 takes row 61's, as
// the radio lists it), and their bandwidth and direction too when those are editable. Returns
// the rows whose plan was not taken whole, in order.
std::vector<std::size_t> ApplyOrvPlan(const ChannelPlanCsv::Plan& plan, bool repeaterLayout,
                                      bool bandwidthEditable, ChannelTable& table);

// "channels 2, 3 and 6" / "频道 2、3、6"
std::string RowList(const std::vector<std::size_t>& rows, bool english);

// The check of a document's table with the slots its registers and power-on report name.
PlanCheck::PlanInput PlanInputOf(const SettingsDocument& document);

// The document's 64 channels as a CSV plan.
std::string PlanCsvOf(const SettingsDocument& document);

struct PlanImport {
    std::vector<ChannelPlanCsv::LineError> refused; // the document is unchanged when set
    std::vector<std::size_t> left;                  // ORV rows the layout does not write
    std::vector<PlanCheck::Finding> findings;       // the check of the table imported
};

// A CSV plan put into a document's channels: the whole table for QX; for ORV the rows its
// mode's layout writes. Refused whole when the file has any error.
PlanImport ImportPlanCsv(const std::string& bytes, SettingsDocument& document);

// What a page says after it imported a plan: that it did, the rows it left, and what the check
// found. Empty when there is nothing to say beyond the import itself.
std::string PlanImportedText(const std::vector<std::size_t>& left,
                             const std::vector<PlanCheck::Finding>& findings, bool english);

// What Set says of the check: the errors that stop it, or the advice it goes on after. Empty
// for that severity when there is none.
std::string PlanErrorsText(const std::vector<PlanCheck::Finding>& findings, bool english);
std::string PlanAdviceText(const std::vector<PlanCheck::Finding>& findings, bool english);

} // namespace Doc
