#pragma once
// The two screens' message tables for the error number a command left behind. The
// entry screen's table knows 11 and 13 and names "[Output.Xls]" for 424; the results
// screen's does not know 11 and 13 and names "[Output.Xlsx]".

#include <optional>
#include <string_view>

namespace kalvoren {

std::optional<std::string_view> entryScreenErrorMessage(int number);
std::optional<std::string_view> resultsScreenErrorMessage(int number);

}  // namespace kalvoren
