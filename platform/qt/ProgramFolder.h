#pragma once
// "The program's folder": where the program finds the files it ships (help guide,
// template workbooks, examples, Output.xlsx), relative to its executable, both in the
// build tree and installed.

#include <QString>

namespace kalvoren {

// The absolute path of a shipped file, given its path relative to the data folder
// (for example "help/index.html", "templates/Kalvoren.xlsx"); the first existing
// candidate of: <exe dir>/<rel>, <exe dir>/../share/kalvoren/<rel>, the source tree's
// docs/ and examples/ folders (build tree). Empty when none exists.
QString programFile(const QString& relativePath);

// The folder of the running executable.
QString programFolder();

}  // namespace kalvoren
