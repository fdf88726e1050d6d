#pragma once
// What a settings page asks and tells around a channel plan, through the prompts in use: the
// file to save or open, why a file was refused, what an import did and what the check found
// before Set. The page keeps only what is its own: which rows it shows and how it fills them.

#include "document/ChannelPlanCsv.h"
#include "document/PlanCheck.h"
#include "exchange/RadioSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace Doc {

// Asks where to save plan and writes it whole; a failure is told.
void SavePlanAs(const ChannelPlanCsv::Plan& plan, const std::string& caption, bool english);

// Asks for a plan file and reads it for family; nullopt when none was chosen, or the file could
// not be read or holds an error (told, every bad line named).
std::optional<ChannelPlanCsv::Plan> OpenPlan(RadioFamily family, const std::string& caption,
                                             bool english);

// Tells what an import did: the rows it left and what the check of check (the table as
// imported, with the plan's file lines put in) found. Nothing when there is nothing to tell.
void TellPlanImported(PlanCheck::PlanInput check, const ChannelPlanCsv::Plan& plan,
                      const std::vector<std::size_t>& left, const std::string& caption,
                      bool english);

// The check before Set: errors are told and stop it (false), advice is told and Set goes on.
bool PlanAllowsSet(const PlanCheck::PlanInput& check, const std::string& caption, bool english);

} // namespace Doc
