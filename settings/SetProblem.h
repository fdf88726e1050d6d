#pragma once
// One reason a Set cannot start, as both settings pages and the command-line client report it.

#include <string>
#include <vector>

struct SetProblem {
    std::string field;   // what is wrong, named as in a settings document ("channels[4].frequency")
    std::string chinese; // the message the page shows, in each language
    std::string english;
    // Where on the page, and what was found there ("信道 2 发射频率：“409.9”"); empty when the
    // message names it already. The page shows it under the message.
    std::string whereChinese{};
    std::string whereEnglish{};

    const std::string& Text(bool inEnglish) const { return inEnglish ? english : chinese; }
    // The message with the place under it, as the page shows it.
    std::string PageText(bool inEnglish) const {
        const std::string& where = inEnglish ? whereEnglish : whereChinese;
        return where.empty() ? Text(inEnglish) : Text(inEnglish) + "\n" + where;
    }

    bool operator==(const SetProblem&) const = default;
};

// "信道 2 发射频率：“409.9”" / "Channel 2 Tx Fre: "409.9"": a place on the page and the text
// found there, quoted so that blanks and stray characters show.
inline std::string WhereChinese(const std::string& place, const std::string& text) {
    return place + "：“" + text + "”";
}
inline std::string WhereEnglish(const std::string& place, const std::string& text) {
    return place + ": \"" + text + "\"";
}

// Adds the write's own error message for a field (or a row such as "channels[4]") that no
// problem names yet.
inline void AddUnreported(const std::string& field, std::vector<SetProblem>& problems) {
    for (const SetProblem& problem : problems) {
        if (problem.field == field || problem.field.rfind(field + ".", 0) == 0) {
            return;
        }
    }
    problems.push_back({field, "数据有误，请检查！", "Error，Please check！"});
}
