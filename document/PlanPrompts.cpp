#include "document/PlanPrompts.h"

#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "document/PlanDocument.h"

namespace Doc {
namespace {

constexpr const char* kPlanFilter = "CSV (*.csv);;All Files(*)";

} // namespace

void SavePlanAs(const ChannelPlanCsv::Plan& plan, const std::string& caption, bool english) {
    const std::optional<std::string> path = Prompts::Current().ChooseSaveFile(
        {english ? "Export plan (CSV)" : "导出频道计划（CSV）", kPlanFilter, "频道计划", "csv"});
    if (!path) {
        return;
    }
    const std::string csv = ChannelPlanCsv::Write(plan);
    if (const QString failure =
            WholeFile::Write(QString::fromStdString(*path), QByteArray::fromStdString(csv));
        !failure.isEmpty()) {
        Prompts::Current().ShowMessage(
            caption,
            (english ? "Cannot write the plan: " : "无法写入频道计划：") + failure.toStdString(),
            PromptIcon::Warning);
    }
}

std::optional<ChannelPlanCsv::Plan> OpenPlan(RadioFamily family, const std::string& caption,
                                             bool english) {
    const std::optional<std::string> path = Prompts::Current().ChooseOpenFile(
        {english ? "Import plan (CSV)" : "导入频道计划（CSV）", kPlanFilter, "", "csv"});
    if (!path) {
        return std::nullopt;
    }
    const QString name = QString::fromStdString(*path);
    const WholeFile::ReadResult file = WholeFile::Read(name);
    if (!file.Ok()) {
        Prompts::Current().ShowMessage(
            caption, WholeFile::ReadFailureText(file, name, english).toStdString(),
            PromptIcon::Warning);
        return std::nullopt;
    }
    ChannelPlanCsv::ReadResult read =
        ChannelPlanCsv::Read(file.bytes.toStdString(), PlanStepHz(family));
    if (!read.Ok()) {
        Prompts::Current().ShowMessage(caption, ChannelPlanCsv::RefusalText(read.errors, english),
                                       PromptIcon::Warning);
        return std::nullopt;
    }
    return std::move(read.plan);
}

void TellPlanImported(PlanCheck::PlanInput check, const ChannelPlanCsv::Plan& plan,
                      const std::vector<std::size_t>& left, const std::string& caption,
                      bool english) {
    for (std::size_t row = 0; row < check.lines.size(); ++row) {
        check.lines[row] = plan[row].line;
    }
    const std::vector<PlanCheck::Finding> findings = PlanCheck::Check(check);
    if (const std::string text = PlanImportedText(left, findings, english); !text.empty()) {
        Prompts::Current().ShowMessage(caption, text,
                                       PlanCheck::HasErrors(findings) ? PromptIcon::Warning
                                                                      : PromptIcon::Information);
    }
}

bool PlanAllowsSet(const PlanCheck::PlanInput& check, const std::string& caption, bool english) {
    const std::vector<PlanCheck::Finding> findings = PlanCheck::Check(check);
    if (PlanCheck::HasErrors(findings)) {
        Prompts::Current().ShowMessage(caption, PlanErrorsText(findings, english),
                                       PromptIcon::Warning);
        return false;
    }
    if (const std::string advice = PlanAdviceText(findings, english); !advice.empty()) {
        Prompts::Current().ShowMessage(caption, advice, PromptIcon::Information);
    }
    return true;
}

} // namespace Doc
