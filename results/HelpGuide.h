#pragma once
// The HTML user guide shipped with the program (help/index.html of the program's
// folder), opened in the desktop's browser by the Help commands and F1 of both screens.

#include <QString>

namespace kalvoren {

class DesktopOpener;

inline constexpr const char* kHelpGuideFile = "help/index.html";

// The guide's absolute path, or empty when it is not where the program looks for it.
QString helpGuidePath();

// Hands the guide to the desktop without waiting. False when the guide is missing or no
// program took it, so the caller can say so.
bool openHelpGuide(DesktopOpener& opener);

}  // namespace kalvoren
