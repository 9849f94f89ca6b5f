#pragma once

#include <string>
#include <vector>

// The cases of the editor paint benchmark, for the summary printed by main.
namespace paintcases
{
    struct Case
    {
        std::string name;              // texture copied from the kept picture
        std::string strokeByStrokeName; // texture drawn stroke by stroke on every paint
        std::string label;
    };

    const std::vector<Case>& cases();
    const std::vector<int>& heights();
}
