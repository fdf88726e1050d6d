#pragma once
// One reason a Set cannot start, as both settings pages and the command-line client report it.

#include <string>

struct SetProblem {
    std::string field;   // what is wrong, named as in a settings document ("channels[4].frequency")
    std::string chinese; // the message the page shows, in each language
    std::string english;

    const std::string& Text(bool inEnglish) const { return inEnglish ? english : chinese; }

    bool operator==(const SetProblem&) const = default;
};
