#pragma once
// Helpers of the workbook tests: fixture paths, a scratch folder, zip packages built from
// texts, and a compact view of a read block.

#include <unistd.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/Workbook.h"

namespace kalvoren::test {

inline std::filesystem::path workbookFixture(const std::string& name) {
    return std::filesystem::path(KALVOREN_TEST_DATA_DIR) / "workbooks" / name;
}

class ScratchFolder {
  public:
    ScratchFolder() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("kalvoren-sheets-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void writeFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using ZipParts = std::vector<std::pair<std::string, std::string>>;

// A zip package holding `parts` (name, content), deflated.
inline bool writeZip(const std::filesystem::path& file, const ZipParts& parts) {
    int error = 0;
    zip_t* zip = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) return false;
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
        if (!source || zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

// The minimal .xlsx package around one sheet: workbook, relationships, optional shared
// strings. `sheetTarget` is the relationship target as written in the workbook's
// relationships ("worksheets/sheet1.xml" or "/xl/worksheets/sheet1.xml").
inline ZipParts minimalXlsx(const std::string& sheetData, const std::string& sharedStrings = {},
                            const std::string& sheetTarget = "worksheets/sheet1.xml") {
    const std::string ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    ZipParts parts = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             ns + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"" +
             ns +
             "\"><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             ns + "/worksheet\" Target=\"" + sheetTarget + "\"/>" +
             (sharedStrings.empty() ? std::string()
                                    : "<Relationship Id=\"rId2\" Type=\"" + ns +
                                          "/sharedStrings\" Target=\"sharedStrings.xml\"/>") +
             "</Relationships>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<sheetData>" +
             sheetData + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.empty())
        parts.push_back({"xl/sharedStrings.xml",
                         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                         "main\">" +
                             sharedStrings + "</sst>"});
    return parts;
}

// A one-table .ods package with `tables` as the spreadsheet body and, when given, the
// saved active table.
inline ZipParts minimalOds(const std::string& tables, const std::string& activeTable = {}) {
    ZipParts parts = {
        {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\">"
         "<office:body><office:spreadsheet>" +
             tables + "</office:spreadsheet></office:body></office:document-content>"},
    };
    if (!activeTable.empty())
        parts.push_back(
            {"settings.xml",
             "<office:document-settings "
             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
             "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\"><office:settings>"
             "<config:config-item-set config:name=\"ooo:view-settings\">"
             "<config:config-item-map-indexed config:name=\"Views\"><config:config-item-map-entry>"
             "<config:config-item config:name=\"ActiveTable\" config:type=\"string\">" +
                 activeTable +
                 "</config:config-item></config:config-item-map-entry>"
                 "</config:config-item-map-indexed></config:config-item-set></office:settings>"
                 "</office:document-settings>"});
    return parts;
}

// A cell of a block as a short text: its text, "#ERR" for an error cell, "" when empty.
inline std::string shown(const WorkbookCell& cell) {
    return cell.kind == WorkbookCell::Error ? "#ERR" : cell.text;
}

// The cells of a block that hold something, as "r,c=text" lines in order.
inline std::vector<std::string> filledCells(const WorkbookBlock& block) {
    std::vector<std::string> out;
    for (int r = 0; r < block.rows; ++r)
        for (int c = 0; c < block.cols; ++c)
            if (block.at(r, c).kind != WorkbookCell::Empty)
                out.push_back(std::to_string(r) + "," + std::to_string(c) + "=" +
                              shown(block.at(r, c)));
    return out;
}

}  // namespace kalvoren::test
