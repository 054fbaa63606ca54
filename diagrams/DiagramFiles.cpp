#include "diagrams/DiagramFiles.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <system_error>

#include "diagrams/DiagramCatalogue.h"
#include "diagrams/DiagramSvg.h"
#include "diagrams/PlotDataReader.h"

namespace kalvoren {

namespace {

// Writes next to the target and renames, so a failed write never leaves half a diagram
// in place of a good one.
std::string writeWhole(const std::filesystem::path& file, const std::string& contents) {
    std::filesystem::path temporary = file;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return std::strerror(errno);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out) {
            const std::string reason = std::strerror(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return reason;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return ec.message();
    }
    return {};
}

}  // namespace

DiagramWriteReport writeDiagrams(const std::filesystem::path& dataFolder,
                                 const std::filesystem::path& outFolder) {
    DiagramWriteReport report;
    std::error_code ec;
    std::filesystem::create_directories(outFolder, ec);
    if (ec || !std::filesystem::is_directory(outFolder)) {
        report.errors.push_back("Cannot create the folder " + outFolder.string() + ": " +
                                (ec ? ec.message() : std::string("a file of that name exists")));
        return report;
    }
    // Several diagrams draw the same file; read each once.
    std::map<std::string_view, PlotData> files;
    for (const DiagramEntry& entry : kDiagramCatalogue) {
        auto it = files.find(entry.dataFile);
        if (it == files.end()) {
            it = files.emplace(entry.dataFile, readPlotData(dataFolder / entry.dataFile)).first;
        }
        const int index = static_cast<int>(&entry - kDiagramCatalogue.data());
        const std::filesystem::path target = outFolder / entry.svgFile;
        const std::string reason = writeWhole(target, drawDiagramSvg(index, it->second));
        if (!reason.empty()) {
            report.errors.push_back("Cannot write " + target.string() + ": " + reason);
            continue;
        }
        ++report.written;
        if (it->second.hasDataLines()) ++report.withData;
    }
    return report;
}

std::string renderDiagram(int index, const std::filesystem::path& dataFolder) {
    if (index < 0 || index >= kDiagramCount) return {};
    const DiagramEntry& entry = kDiagramCatalogue[static_cast<std::size_t>(index)];
    return drawDiagramSvg(index, readPlotData(dataFolder / entry.dataFile));
}

}  // namespace kalvoren
