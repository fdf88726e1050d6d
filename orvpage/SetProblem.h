#pragma once
// One reason a Set cannot start, as both settings pages and the command-line client report it.

#include <string>
#include <vector>

struct SetProblem {
    std::string field;   // what is wrong, named as in a settings document ("channels[4].frequency")
    std::string chinese; // the message the page shows, in each language
    std::string english;

    const std::string& Text(bool inEnglish) const { return inEnglish ? english : chinese; }

    bool operator==(const SetProblem&) const = default;
};

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
