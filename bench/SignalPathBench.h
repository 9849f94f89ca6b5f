#pragma once

#include <string>
#include <utility>
#include <vector>

// The cases of the signal-path benchmark, for the per-frame summary printed by main.
namespace benchcases
{
    // (benchmark function name, label) in the order the summary lists them.
    const std::vector<std::pair<std::string, std::string>>& caseNames();
    const std::vector<int>& blockSizes();
    std::string baselineName();
}
