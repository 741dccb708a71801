#pragma once

#include <string>
#include <string_view>

namespace tessarin {

struct SplitData {
    std::string Command;
    std::string Parameters;
};

// Command and parameters to the one data string of a row: adjacent quote pairs in the command
// collapse to one quote, then command, one blank, parameters (the blank is always written).
std::string JoinActionData(std::string_view command, std::string_view parameters);

// The editor's split of a data string back into command and parameters.
SplitData SplitActionData(std::string_view data);

}  // namespace tessarin
