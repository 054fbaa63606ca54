#pragma once
// The eleven diagram data files: a heading line and one line per qualifying row,
// fields laid out in print zones 14 characters wide, CR LF line ends, Windows-1252.

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

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
// the batch tool's --plot-data DIR). A file that cannot be created is skipped.
class PlotDataFiles final : public PlotDataSink {
public:
    explicit PlotDataFiles(std::filesystem::path folder);
    ~PlotDataFiles() override;
    PlotDataFiles(const PlotDataFiles&) = delete;  // owns open files
    PlotDataFiles& operator=(const PlotDataFiles&) = delete;
    void open() override;
    void writeRow(const RowResult& row) override;
    void close() override;

private:
    std::filesystem::path folder_;
    std::array<std::FILE*, kPlotDataFileCount> files_{};
};

}  // namespace kalvoren
