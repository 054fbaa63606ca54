#include "platform/qt/ErrorMessageTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kalvoren {

namespace {

using Entry = std::pair<int, std::string_view>;

// Shared by both tables; 11, 13 and 424 differ and are looked up first.
constexpr std::array<Entry, 34> kCommonMessages{{
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {14, "Out of string space"},
    {16, "Expression too complex"},
    {17, "Can't perform requested operation"},
    {18, "User interrupt occured"},
    {28, "Out of stack space"},
    {48, "Error in loading DLL"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {63, "Bad record number"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {71, "Disk not ready"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {321, "Invalid file format"},
    {325, "Invalid format in resource file"},
    {327, "Data value named not found"},
    {337, "Component not found"},
    {425, "Invalid object use"},
    {438, "Object doesn't support this property or method"},
    {445, "Object doesn't support this action"},
    {521, "Can't open clipboard"},
    {735, "Can't save file to TEMP directory"},
    {31001, "Out of memory"},
}};

std::optional<std::string_view> commonMessage(int number) {
    const auto it = std::find_if(kCommonMessages.begin(), kCommonMessages.end(),
                                 [number](const Entry& e) { return e.first == number; });
    if (it == kCommonMessages.end()) return std::nullopt;
    return it->second;
}

}  // namespace

std::optional<std::string_view> entryScreenErrorMessage(int number) {
    switch (number) {
        case 11:
            return "Division by zero";
        case 13:
            return "Type mismatch";
        case 424:
            return "Object required. Possibly [Output.Xls]";
        default:
            return commonMessage(number);
    }
}

std::optional<std::string_view> resultsScreenErrorMessage(int number) {
    if (number == 424) return "Object required. Possibly [Output.Xlsx]";
    return commonMessage(number);
}

}  // namespace kalvoren
