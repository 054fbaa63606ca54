// The .ods reader: the active table's name comes from settings.xml (the view setting
// "ActiveTable"), its cells from content.xml, which is streamed. OpenDocument compresses
// runs of equal rows and cells with repeat counts; empty runs only move the position, and
// repeated values are written out no further than the largest sheet, within the bounds of
// one row (kMaxRowBytes) and of the whole sheet (kMaxRepeatedCells).

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SheetRows.h"
#include "platform/XmlStream.h"
#include "platform/ZipArchive.h"

namespace kalvoren {

namespace {

constexpr std::uint64_t kMaxSettingsBytes = 16u << 20;
constexpr std::uint64_t kMaxContentBytes = 256u << 20;
constexpr std::size_t kMaxCellTextBytes = 1u << 20;
// A content.xml within its bound holds at most a few million cells written out; repeat
// counts can make a 400-byte file stand for 17 billion. A sheet is read up to this many
// cells, several times what any written-out sheet holds.
constexpr long long kMaxRepeatedCells = 1LL << 25;

std::string_view attribute(std::span<const XmlAttribute> attributes, std::string_view name) {
    for (const auto& a : attributes)
        if (a.name == name) return a.value;
    return {};
}

// A repeat count: at least 1; a count beyond the sheet is cut to the sheet.
long long repeatCount(std::span<const XmlAttribute> attributes, std::string_view name,
                      long long limit) {
    const std::string_view text = attribute(attributes, name);
    long long n = 1;
    if (text.empty()) return 1;
    if (!parseCount(text, limit, n)) {
        // Out of range or malformed: as many as the sheet can hold.
        bool digits = !text.empty();
        for (char c : text) digits = digits && c >= '0' && c <= '9';
        return digits ? limit : 1;
    }
    return std::max(1LL, n);
}

// The name of the table the workbook was saved with in view, or empty.
std::string activeTableName(const ZipArchive& package) {
    if (!package.contains("settings.xml")) return {};
    std::string text, reason;
    if (!package.readAll("settings.xml", kMaxSettingsBytes, text, reason)) return {};
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size())) return {};
    const pugi::xml_node item = doc.find_node([](const pugi::xml_node& node) {
        return xmlLocalName(node.name()) == "config-item" &&
               std::string_view(node.attribute("config:name").value()) == "ActiveTable";
    });
    return item ? std::string(item.text().get()) : std::string();
}

class ContentHandler final : public XmlEventHandler {
  public:
    // An empty `wanted` reads the first table.
    ContentHandler(std::string wanted, const SheetRowSink& sink)
        : wanted_(std::move(wanted)), sink_(sink) {}

    bool found() const { return found_; }
    const std::string& tableName() const { return tableName_; }
    const std::string& failure() const { return failure_; }

    bool startElement(std::string_view name, std::span<const XmlAttribute> attributes) override {
        if (name == "table:table") {
            if (inTable_) {
                ++nestedTables_;
            } else if (!found_) {
                const std::string_view tableName = attribute(attributes, "table:name");
                if (wanted_.empty() || tableName == wanted_) {
                    inTable_ = true;
                    found_ = true;
                    tableName_ = std::string(tableName);
                }
            }
            return true;
        }
        if (!inTable_ || nestedTables_ > 0) return true;
        if (inCell_) return cellContentStart(name, attributes);
        if (name == "table:table-row") {
            rowsRepeated_ = repeatCount(attributes, "table:number-rows-repeated", kMaxSheetRows);
            row_.clear();
            col_ = 0;
        } else if (name == "table:table-cell" || name == "table:covered-table-cell") {
            startCell(attributes);
        }
        return true;
    }

    bool endElement(std::string_view name) override {
        if (name == "table:table") {
            if (nestedTables_ > 0) {
                --nestedTables_;
                return true;
            }
            if (inTable_) return false;  // the table is read; the rest is not needed
            return true;
        }
        if (!inTable_ || nestedTables_ > 0) return true;
        if (inCell_) {
            if (name == "table:table-cell" || name == "table:covered-table-cell") return endCell();
            return cellContentEnd(name);
        }
        if (name == "table:table-row") return endRow();
        return true;
    }

    bool characters(std::string_view text) override {
        if (inCell_ && paragraphDepth_ > 0 && annotationDepth_ == 0) appendText(text);
        return true;
    }

  private:
    void appendText(std::string_view text) {
        if (text_.size() + text.size() <= kMaxCellTextBytes) text_.append(text);
    }

    void startCell(std::span<const XmlAttribute> attributes) {
        inCell_ = true;
        colsRepeated_ = repeatCount(attributes, "table:number-columns-repeated", kMaxSheetColumns);
        valueType_ = attribute(attributes, "office:value-type");
        value_ = attribute(attributes, "office:value");
        booleanValue_ = attribute(attributes, "office:boolean-value");
        dateValue_ = attribute(attributes, "office:date-value");
        stringValue_ = attribute(attributes, "office:string-value");
        hasStringValue_ = false;
        for (const auto& a : attributes)
            if (a.name == "office:string-value") hasStringValue_ = true;
        isError_ = attribute(attributes, "calcext:value-type") == "error";
        text_.clear();
        paragraphs_ = 0;
        paragraphDepth_ = 0;
        annotationDepth_ = 0;
    }

    bool cellContentStart(std::string_view name, std::span<const XmlAttribute> attributes) {
        if (name == "office:annotation") {
            ++annotationDepth_;
        } else if (annotationDepth_ > 0) {
            return true;
        } else if (name == "text:p" || name == "text:h") {
            // Paragraphs of one cell are lines of its text.
            if (paragraphDepth_ == 0 && paragraphs_++ > 0) appendText("\n");
            ++paragraphDepth_;
        } else if (paragraphDepth_ > 0) {
            if (name == "text:s") {
                long long n = 1;
                const std::string_view c = attribute(attributes, "text:c");
                if (!c.empty() && !parseCount(c, 1000, n)) n = 1000;
                appendText(std::string(static_cast<std::size_t>(std::max(1LL, n)), ' '));
            } else if (name == "text:tab") {
                appendText("\t");
            } else if (name == "text:line-break") {
                appendText("\n");
            }
        }
        return true;
    }

    bool cellContentEnd(std::string_view name) {
        if (name == "office:annotation") {
            if (annotationDepth_ > 0) --annotationDepth_;
        } else if (annotationDepth_ == 0 && (name == "text:p" || name == "text:h")) {
            if (paragraphDepth_ > 0) --paragraphDepth_;
        }
        return true;
    }

    WorkbookCell cellValue() const {
        if (isError_) return errorCell();
        if (valueType_ == "float" || valueType_ == "percentage" || valueType_ == "currency")
            return numberCell(value_);
        if (valueType_ == "boolean") {
            if (booleanValue_ == "true" || booleanValue_ == "1") return logicalCell(true);
            if (booleanValue_ == "false" || booleanValue_ == "0") return logicalCell(false);
            return errorCell();
        }
        if (valueType_ == "date" && !dateValue_.empty()) return textCell(dateValue_);
        if (valueType_ == "string" && hasStringValue_) return textCell(stringValue_);
        if (valueType_.empty()) return {};
        // Strings, times and anything else: the cell's text.
        return textCell(text_);
    }

    bool fail(std::string reason) {
        failure_ = std::move(reason);
        return false;
    }

    bool endCell() {
        inCell_ = false;
        const WorkbookCell cell = cellValue();
        if (cell.kind != WorkbookCell::Empty) {
            const long long last = std::min<long long>(col_ + colsRepeated_, kMaxSheetColumns);
            for (long long c = col_; c < last; ++c)
                if (!row_.add(static_cast<int>(c), cell))
                    return fail(rowTooLargeReason(static_cast<int>(rowIndex_)));
        }
        col_ = std::min<long long>(col_ + colsRepeated_, kMaxSheetColumns);
        return true;
    }

    bool endRow() {
        if (!row_.cells.empty()) {
            const long long last = std::min<long long>(rowIndex_ + rowsRepeated_, kMaxSheetRows);
            const auto width = static_cast<long long>(row_.cells.size());
            for (long long r = rowIndex_; r < last; ++r) {
                if (cellsRead_ > kMaxRepeatedCells - width)
                    return fail("its repeated rows and columns come to more than " +
                                std::to_string(kMaxRepeatedCells) + " cells");
                cellsRead_ += width;
                row_.index = static_cast<int>(r);
                if (!sink_(row_)) return false;
            }
        }
        rowIndex_ = std::min<long long>(rowIndex_ + rowsRepeated_, kMaxSheetRows);
        return rowIndex_ < kMaxSheetRows;
    }

    std::string wanted_;
    const SheetRowSink& sink_;
    std::string tableName_, failure_;
    bool found_ = false, inTable_ = false;
    long long cellsRead_ = 0;  // cells handed on, repeats included
    int nestedTables_ = 0;

    long long rowIndex_ = 0, rowsRepeated_ = 1;
    long long col_ = 0, colsRepeated_ = 1;
    SheetRow row_;

    bool inCell_ = false, isError_ = false, hasStringValue_ = false;
    std::string valueType_, value_, booleanValue_, dateValue_, stringValue_, text_;
    int paragraphs_ = 0, paragraphDepth_ = 0, annotationDepth_ = 0;
};

// Reads table `wanted` (the first table when empty); `found` tells whether it exists.
std::string readTable(const ZipArchive& package, const std::string& wanted,
                      const SheetRowSink& sink, bool& found, std::string& sheetName) {
    ContentHandler handler(wanted, sink);
    XmlStream xml(handler);
    std::string zipReason;
    const bool read = package.read(
        "content.xml", kMaxContentBytes, [&](std::string_view piece) { return xml.feed(piece); },
        zipReason);
    found = handler.found();
    sheetName = handler.tableName();
    if (!handler.failure().empty()) return handler.failure();
    if (!xml.error().empty()) return "the part \"content.xml\" is damaged (" + xml.error() + ")";
    if (!read) return zipReason;
    if (!xml.stopped() && !xml.finish())
        return "the part \"content.xml\" is damaged (" + xml.error() + ")";
    return {};
}

}  // namespace

std::string readOdsSheet(const ZipArchive& package, const SheetRowSink& sink,
                         std::string& sheetName) {
    if (!package.contains("content.xml")) return "the zip package holds no spreadsheet content";
    const std::string active = activeTableName(package);
    bool found = false;
    std::string reason = readTable(package, active, sink, found, sheetName);
    if (reason.empty() && !found && !active.empty()) {
        // The recorded table does not exist: read the first one, as when none is recorded.
        reason = readTable(package, {}, sink, found, sheetName);
    }
    if (reason.empty() && !found) return "the workbook holds no sheet";
    return reason;
}

}  // namespace kalvoren
