#pragma once
// The eleven diagram data files: a heading line and one line per qualifying row,
// fields laid out in print zones 14 characters wide, CR LF line ends, Windows-1252.

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "classification/RowResult.h"

namespace kalvoren {

inline constexpr int kPlotDataFileCount = 11;

// File names, in the order the run creates them.
extern const std::array<std::string_view, kPlotDataFileCount> kPlotDataFileNames;

// Receives the data lines of a run. The run opens it at its start and closes it at its
// end; it writes one row's lines right after the row has been appended to the results.
class PlotDataSink {
  public:
    virtual ~PlotDataSink() = default;
    virtual void open() = 0;
    virtual void writeRow(const RowResult& row) = 0;
    virtual void close() = 0;
};

// The data lines of one row, file by file (empty where the file's condition fails).
// Each non-empty entry is one line including its CR LF.
std::array<std::string, kPlotDataFileCount> plotDataLines(const RowResult& row);
// The heading line of each file, including CR LF.
std::string plotDataHeading(int fileIndex);

// Writes the eleven files into a folder (the desktop program's current directory, or
// the batch tool's --plot-data DIR). A file that cannot be created is skipped and the
// others are written; a file whose writing fails part way (a full disk) is removed, so
// that no diagram is drawn from part of a run. Either is listed in errors(), which the
// caller reports once the run is over.
class PlotDataFiles final : public PlotDataSink {
  public:
    explicit PlotDataFiles(std::filesystem::path folder);
    ~PlotDataFiles() override;
    PlotDataFiles(const PlotDataFiles&) = delete;  // owns open files
    PlotDataFiles& operator=(const PlotDataFiles&) = delete;
    void open() override;
    void writeRow(const RowResult& row) override;
    void close() override;

    // One message per file that failed since the last open(), naming the file and the
    // reason; empty when every file was written in full.
    const std::vector<std::string>& errors() const { return errors_; }

  private:
    std::filesystem::path pathOf(std::size_t index) const;
    void write(std::size_t index, std::string_view text);
    // Closes and removes file `index` and records why (`error` is an errno value).
    void fail(std::size_t index, int error);

    std::filesystem::path folder_;
    std::array<std::FILE*, kPlotDataFileCount> files_{};
    std::vector<std::string> errors_;
};

}  // namespace kalvoren
