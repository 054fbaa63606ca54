#pragma once
// The analysis file (.pyx): the data cells of the table (rows 1..Rows-1, columns
// 1..Cols-1) as one quoted block text in Windows-1252: `"` + block + `"` CR LF.

#include <cstddef>
#include <string>
#include <string_view>

#include "entry/BlockText.h"
#include "entry/CellGrid.h"

namespace kalvoren {

// The one field of an analysis file, read as every reader of the format reads it.
struct AnalysisField {
    enum class Failure { None, Empty, OnlyBlanks, NoClosingQuote };
    std::string_view text;  // a view into the bytes that were read
    bool quoted = false;
    Failure failure = Failure::None;
    bool found() const { return failure == Failure::None; }
};

// Leading spaces are skipped. A field that opens with `"` runs up to the last `"` of the
// file, so a cell holding a double quote no longer cuts the table short; what follows
// that quote is ignored. An unquoted field runs up to the first comma, CR or LF (or the
// end) and loses its surrounding spaces. No field is found when the bytes end before it
// is complete: nothing but spaces, or an opening quote without a closing one.
AnalysisField readAnalysisField(std::string_view bytes);

struct AnalysisLoad {
    bool read = false;          // the file's field was pasted; otherwise the fallback was
    std::string reason;         // why the file was not read, naming the file
    std::string pastedText;     // what was pasted, UTF-8
    BlockShape shape;           // lines and fields of the file's field (when read)
    bool beyondTable = false;   // lines or fields fell outside the table and were not loaded
    bool shortOfTable = false;  // fewer lines or fields than the table: those cells were kept
    std::string warning;        // either of the two above, in words
};

// Selects the data range (row 1, column 1 current, corner at Rows-1, Cols-1) and pastes
// the file's field into it, or `fallbackText` when the file cannot be read. The file is
// decoded from Windows-1252. Callers give the table its standard shape first.
AnalysisLoad loadAnalysisFile(CellGrid& table, const std::string& path,
                              std::string_view fallbackText);

struct AnalysisSave {
    bool saved = false;
    std::string reason;                  // why the file was not written, naming the file
    std::size_t replacedCharacters = 0;  // not held by Windows-1252, written as "?"
    int cellsWithQuote = 0;              // older readers stop the table at such a cell
    int cellsWithSeparator = 0;          // a TAB or line break inside: reads back as more cells
    std::string warning;                 // the three counts above, in words
};

// Selects the data range and writes its block text. The file is replaced safely: the
// text goes to a temporary file beside it, which is flushed to disk and then renamed over
// the target, so a failed save leaves the previous file as it was.
AnalysisSave saveAnalysisFile(CellGrid& table, const std::string& path);

// True when a cell text holds a double quote, which older readers of the format take as
// the end of the table.
bool holdsDoubleQuote(std::string_view cellText);

}  // namespace kalvoren
