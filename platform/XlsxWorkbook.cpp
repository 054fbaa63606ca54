// The .xlsx reader: the package's relationships lead from the root to the workbook part,
// from the workbook to its sheets and shared strings. Small parts are parsed whole with
// pugixml; the sheet and the shared strings are streamed.

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Utf8.h"
#include "platform/SheetRows.h"
#include "platform/XmlStream.h"
#include "platform/ZipArchive.h"

namespace kalvoren {

namespace {

constexpr std::uint64_t kMaxSmallPartBytes = 16u << 20;
constexpr std::uint64_t kMaxSharedStringsBytes = 64u << 20;
constexpr std::uint64_t kMaxSheetBytes = 256u << 20;

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string_view localName(const pugi::xml_node& node) {
    return xmlLocalName(node.name());
}

// A relationship's id attribute ("r:id") under whatever prefix the writer chose.
std::string_view relationshipId(const pugi::xml_node& node) {
    for (const pugi::xml_attribute& a : node.attributes()) {
        const std::string_view name = a.name();
        if (name.find(':') != std::string_view::npos && xmlLocalName(name) == "id")
            return a.value();
    }
    return {};
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A relationship target, relative to the folder of the part that holds it, or absolute
// from the package root ("/xl/worksheets/sheet1.xml", as pandas and openpyxl write).
std::string resolvePartName(std::string_view baseFolder, std::string_view target) {
    std::string joined;
    if (!target.empty() && target.front() == '/')
        joined = std::string(target.substr(1));
    else
        joined = std::string(baseFolder) + std::string(target);
    std::string decoded;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined[i] == '%' && i + 2 < joined.size() && hexDigit(joined[i + 1]) >= 0 &&
            hexDigit(joined[i + 2]) >= 0) {
            decoded += static_cast<char>(hexDigit(joined[i + 1]) * 16 + hexDigit(joined[i + 2]));
            i += 2;
        } else {
            decoded += joined[i] == '\\' ? '/' : joined[i];
        }
    }
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= decoded.size()) {
        auto slash = decoded.find('/', start);
        if (slash == std::string::npos) slash = decoded.size();
        const std::string segment = decoded.substr(start, slash - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = slash + 1;
    }
    std::string out;
    for (const auto& s : segments) {
        if (!out.empty()) out += '/';
        out += s;
    }
    return out;
}

std::string folderOf(std::string_view part) {
    const auto slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

std::string relationshipsPartOf(std::string_view part) {
    const auto slash = part.rfind('/');
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return folderOf(part) + "_rels/" + std::string(file) + ".rels";
}

struct Relationship {
    std::string id, type, part;
};

bool loadXml(const ZipArchive& package, const std::string& part, pugi::xml_document& doc,
             std::string& reason) {
    std::string text;
    if (!package.readAll(part, kMaxSmallPartBytes, text, reason)) return false;
    const pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size());
    if (!parsed) {
        reason = "the part \"" + part + "\" is damaged (" + parsed.description() + ")";
        return false;
    }
    return true;
}

// Relationships of `part`; a missing relationships part means none.
bool loadRelationships(const ZipArchive& package, std::string_view part,
                       std::vector<Relationship>& out, std::string& reason) {
    out.clear();
    const std::string relsPart = relationshipsPartOf(part);
    if (!package.contains(relsPart)) return true;
    pugi::xml_document doc;
    if (!loadXml(package, relsPart, doc, reason)) return false;
    const std::string base = folderOf(part);
    for (const pugi::xml_node& rel : doc.document_element().children()) {
        if (localName(rel) != "Relationship") continue;
        if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
        out.push_back({rel.attribute("Id").value(), rel.attribute("Type").value(),
                       resolvePartName(base, rel.attribute("Target").value())});
    }
    return true;
}

// Decodes the _xHHHH_ escapes by which the format stores characters XML cannot carry
// (Excel writes a CR as "_x000D_").
std::string unescapeText(std::string_view s) {
    if (s.find("_x") == std::string_view::npos) return std::string(s);
    std::string out;
    std::uint32_t pendingHigh = 0;
    auto put = [&](std::uint32_t cp) { appendUtf8(out, cp); };
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            std::uint32_t unit = 0;
            bool hex = true;
            for (std::size_t k = 2; k < 6; ++k) {
                const int d = hexDigit(s[i + k]);
                if (d < 0) hex = false;
                unit = unit * 16 + static_cast<std::uint32_t>(d < 0 ? 0 : d);
            }
            if (hex) {
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    pendingHigh = unit;
                } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    if (pendingHigh)
                        put(0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
                    pendingHigh = 0;
                } else {
                    pendingHigh = 0;
                    put(unit);
                }
                i += 6;
                continue;
            }
        }
        pendingHigh = 0;
        out += s[i];
    }
    return out;
}

// <sst><si><t>text</t></si> or rich text <si><r><t>part</t></r>...</si>; the phonetic
// runs <rPh> are not part of the value.
class SharedStringsHandler final : public XmlEventHandler {
  public:
    explicit SharedStringsHandler(TextPool& out) : out_(out) {}
    bool startElement(std::string_view name, std::span<const XmlAttribute>) override {
        const std::string_view local = xmlLocalName(name);
        if (local == "si") {
            inItem_ = true;
            text_.clear();
        } else if (local == "rPh") {
            ++phonetic_;
        } else if (local == "t" && inItem_ && phonetic_ == 0) {
            inText_ = true;
        }
        return true;
    }
    bool endElement(std::string_view name) override {
        const std::string_view local = xmlLocalName(name);
        if (local == "t") {
            inText_ = false;
        } else if (local == "rPh") {
            if (phonetic_ > 0) --phonetic_;
        } else if (local == "si") {
            out_.add(unescapeText(text_));
            inItem_ = false;
        }
        return true;
    }
    bool characters(std::string_view text) override {
        if (inText_) text_.append(text);
        return true;
    }

  private:
    TextPool& out_;
    std::string text_;
    bool inItem_ = false, inText_ = false;
    int phonetic_ = 0;
};

// "B7" -> column 1, row 6; false when it is not a cell reference within the sheet.
bool parseCellReference(std::string_view ref, int& row, int& col) {
    std::size_t i = 0;
    long long c = 0;
    while (i < ref.size() && i < 4) {
        char ch = ref[i];
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (ch < 'A' || ch > 'Z') break;
        c = c * 26 + (ch - 'A' + 1);
        ++i;
    }
    if (i == 0 || c > kMaxSheetColumns) return false;
    long long r = 0;
    if (!parseCount(ref.substr(i), kMaxSheetRows, r) || r < 1) return false;
    row = static_cast<int>(r - 1);
    col = static_cast<int>(c - 1);
    return true;
}

class SheetHandler final : public XmlEventHandler {
  public:
    SheetHandler(const TextPool& shared, const SheetRowSink& sink) : shared_(shared), sink_(sink) {}

    const std::string& failure() const { return failure_; }

    bool startElement(std::string_view name, std::span<const XmlAttribute> attributes) override {
        const std::string_view local = xmlLocalName(name);
        if (local == "sheetData") {
            inData_ = true;
        } else if (!inData_) {
            return true;
        } else if (local == "row") {
            return startRow(attributes);
        } else if (local == "c") {
            return startCell(attributes);
        } else if (!inCell_) {
            return true;
        } else if (local == "v") {
            inValue_ = true;
            hasValue_ = true;
        } else if (local == "is") {
            inInline_ = true;
            hasInline_ = true;
        } else if (local == "rPh") {
            ++phonetic_;
        } else if (local == "t" && inInline_ && phonetic_ == 0) {
            inText_ = true;
        }
        return true;
    }

    bool endElement(std::string_view name) override {
        const std::string_view local = xmlLocalName(name);
        if (!inData_) return true;
        if (local == "sheetData") return false;  // the rest of the sheet holds no cells
        if (local == "v") {
            inValue_ = false;
        } else if (local == "t") {
            inText_ = false;
        } else if (local == "rPh") {
            if (phonetic_ > 0) --phonetic_;
        } else if (local == "is") {
            inInline_ = false;
        } else if (local == "c" && inCell_) {
            return endCell();
        } else if (local == "row" && inRow_) {
            inRow_ = false;
            lastRow_ = row_.index;
            if (!row_.cells.empty() && !sink_(row_)) return false;
        }
        return true;
    }

    bool characters(std::string_view text) override {
        std::string* into = inValue_ ? &value_ : inText_ ? &inline_ : nullptr;
        if (into == nullptr) return true;
        // One cell's text cannot be larger than its row may be.
        if (text.size() > kMaxRowBytes - into->size()) return fail(rowTooLargeReason(row_.index));
        into->append(text);
        return true;
    }

  private:
    static std::string_view attribute(std::span<const XmlAttribute> attributes,
                                      std::string_view name) {
        for (const auto& a : attributes)
            if (a.name == name) return a.value;
        return {};
    }

    bool fail(std::string message) {
        failure_ = std::move(message);
        return false;
    }

    bool startRow(std::span<const XmlAttribute> attributes) {
        const std::string_view r = attribute(attributes, "r");
        long long index = lastRow_ + 2;  // a row without a number follows the previous one
        if (!r.empty() && (!parseCount(r, kMaxSheetRows, index) || index < 1))
            return fail("the sheet is damaged: a row number (\"" + std::string(r) +
                        "\") is not valid");
        if (index > kMaxSheetRows)
            return fail("the sheet is damaged: it holds more rows than a sheet can");
        row_.index = static_cast<int>(index - 1);
        row_.clear();
        nextCol_ = 0;
        inRow_ = true;
        return true;
    }

    bool startCell(std::span<const XmlAttribute> attributes) {
        const std::string_view r = attribute(attributes, "r");
        int row = 0, col = nextCol_;
        if (!r.empty()) {
            if (!parseCellReference(r, row, col))
                return fail("the sheet is damaged: a cell reference (\"" + std::string(r) +
                            "\") is not valid");
        } else if (col >= kMaxSheetColumns) {
            return fail("the sheet is damaged: a row holds more cells than a sheet can");
        }
        if (!inRow_) return true;  // a cell outside any row is not part of the sheet
        col_ = col;
        type_ = attribute(attributes, "t");
        inCell_ = true;
        hasValue_ = hasInline_ = false;
        value_.clear();
        inline_.clear();
        phonetic_ = 0;
        return true;
    }

    bool endCell() {
        inCell_ = inValue_ = inInline_ = inText_ = false;
        nextCol_ = col_ + 1;
        WorkbookCell cell;
        if (type_ == "s") {
            long long index = -1;
            if (!hasValue_) return true;
            if (!parseCount(value_, static_cast<long long>(shared_.size()) - 1, index))
                return fail(
                    "the sheet is damaged: a cell refers to a shared text that does not exist");
            cell = textCell(shared_.at(static_cast<std::size_t>(index)));
        } else if (type_ == "inlineStr") {
            cell = textCell(unescapeText(hasInline_ ? inline_ : value_));
        } else if (type_ == "str" || type_ == "d") {
            cell = textCell(unescapeText(value_));
        } else if (type_ == "b") {
            long long v = -1;
            if (!hasValue_) return true;
            cell = parseCount(value_, 1, v) ? logicalCell(v == 1) : errorCell();
        } else if (type_ == "e") {
            cell = errorCell();
        } else {
            if (!hasValue_ || value_.empty()) return true;
            cell = numberCell(value_);
        }
        if (cell.kind != WorkbookCell::Empty && !row_.add(col_, std::move(cell)))
            return fail(rowTooLargeReason(row_.index));
        return true;
    }

    const TextPool& shared_;
    const SheetRowSink& sink_;
    std::string failure_;
    bool inData_ = false, inRow_ = false, inCell_ = false;
    bool inValue_ = false, inInline_ = false, inText_ = false;
    bool hasValue_ = false, hasInline_ = false;
    int phonetic_ = 0;
    long long lastRow_ = -1;
    int nextCol_ = 0, col_ = 0;
    std::string type_, value_, inline_;
    SheetRow row_;
};

// Streams `part` through `xml`; the reason names the part when its XML is damaged.
bool streamPart(const ZipArchive& package, const std::string& part, std::uint64_t maxBytes,
                XmlStream& xml, std::string& reason) {
    std::string zipReason;
    const bool read = package.read(
        part, maxBytes, [&](std::string_view piece) { return xml.feed(piece); }, zipReason);
    if (xml.error().empty() && read && (xml.stopped() || xml.finish())) return true;
    if (!xml.error().empty())
        reason = "the part \"" + part + "\" is damaged (" + xml.error() + ")";
    else
        reason = zipReason;
    return false;
}

}  // namespace

std::string readXlsxSheet(const ZipArchive& package, const SheetRowSink& sink,
                          std::string& sheetName) {
    std::string reason;
    std::vector<Relationship> rels;

    // The package root leads to the workbook part.
    std::string workbookPart;
    if (!loadRelationships(package, "", rels, reason)) return reason;
    for (const auto& rel : rels)
        if (endsWith(rel.type, "/officeDocument")) workbookPart = rel.part;
    if (workbookPart.empty() || !package.contains(workbookPart)) workbookPart = "xl/workbook.xml";
    if (!package.contains(workbookPart)) return "the zip package holds no workbook";
    if (endsWith(workbookPart, ".bin"))
        return "it is a binary workbook (.xlsb), which cannot be read; save it as .xlsx";

    pugi::xml_document workbook;
    if (!loadXml(package, workbookPart, workbook, reason)) return reason;
    struct Sheet {
        std::string name, id;
    };
    std::vector<Sheet> sheets;
    std::size_t activeTab = 0;
    for (const pugi::xml_node& section : workbook.document_element().children()) {
        if (localName(section) == "sheets") {
            for (const pugi::xml_node& sheet : section.children())
                if (localName(sheet) == "sheet")
                    sheets.push_back(
                        {sheet.attribute("name").value(), std::string(relationshipId(sheet))});
        } else if (localName(section) == "bookViews") {
            for (const pugi::xml_node& view : section.children()) {
                if (localName(view) != "workbookView") continue;
                long long tab = 0;
                if (parseCount(view.attribute("activeTab").value(), kMaxSheetColumns, tab))
                    activeTab = static_cast<std::size_t>(tab);
                break;  // the first view is the one the workbook opens with
            }
        }
    }
    if (sheets.empty()) return "the workbook holds no sheet";
    if (activeTab >= sheets.size()) activeTab = 0;
    const Sheet& active = sheets[activeTab];
    sheetName = active.name;

    if (!loadRelationships(package, workbookPart, rels, reason)) return reason;
    std::string sheetPart, sharedPart;
    std::string sheetType;
    for (const auto& rel : rels) {
        if (rel.id == active.id) {
            sheetPart = rel.part;
            sheetType = rel.type;
        }
        if (endsWith(rel.type, "/sharedStrings")) sharedPart = rel.part;
    }
    if (sheetPart.empty() || !package.contains(sheetPart))
        return "the workbook is damaged (the part of sheet \"" + active.name + "\" is missing)";
    if (!endsWith(sheetType, "/worksheet")) {
        if (endsWith(sheetType, "/chartsheet"))
            return "the active sheet \"" + active.name + "\" is a chart and holds no cells";
        return "the active sheet \"" + active.name + "\" is not a worksheet";
    }

    TextPool shared;
    if (!sharedPart.empty() && package.contains(sharedPart)) {
        SharedStringsHandler handler(shared);
        XmlStream xml(handler);
        if (!streamPart(package, sharedPart, kMaxSharedStringsBytes, xml, reason)) return reason;
    }

    SheetHandler handler(shared, sink);
    XmlStream xml(handler);
    const bool read = streamPart(package, sheetPart, kMaxSheetBytes, xml, reason);
    if (!handler.failure().empty()) return handler.failure();
    return read ? std::string() : reason;
}

}  // namespace kalvoren
