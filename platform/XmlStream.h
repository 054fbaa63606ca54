#pragma once
// A small streaming XML reader for the large parts of a workbook (sheets, shared strings,
// OpenDocument content). The document arrives in pieces and is handed on as start tags,
// end tags and text, so memory stays bounded by the longest single tag or text run, not
// by the size of the sheet. It reads the XML that spreadsheet programs write: UTF-8,
// elements, attributes, the five named entities and character references, comments,
// CDATA and processing instructions. Document type declarations are refused (workbook
// parts never carry them, and refusing them rules out entity expansion).

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalvoren {

struct XmlAttribute {
    std::string_view name;   // qualified name as written, e.g. "table:name"
    std::string_view value;  // entities already replaced
};

// The local part of a qualified name: "x:row" -> "row".
std::string_view xmlLocalName(std::string_view qualifiedName);

// Receives the document's events. Views are valid only during the call.
// Returning false stops the reading early (not an error).
class XmlEventHandler {
  public:
    virtual ~XmlEventHandler() = default;
    virtual bool startElement(std::string_view name, std::span<const XmlAttribute> attributes) = 0;
    virtual bool endElement(std::string_view name) = 0;
    virtual bool characters(std::string_view text) = 0;
};

class XmlStream {
  public:
    // A single tag or text run longer than this is refused.
    static constexpr std::size_t kMaxTokenBytes = 16u << 20;
    static constexpr std::size_t kMaxDepth = 256;

    explicit XmlStream(XmlEventHandler& handler) : handler_(handler) {}

    // Feeds the next piece. False when the handler stopped the reading or on an error
    // (then error() says why).
    bool feed(std::string_view piece);
    // The document is complete: checks that nothing was left open.
    bool finish();

    bool stopped() const { return stopped_; }
    const std::string& error() const { return error_; }

  private:
    enum class Step { Done, NeedMore, Fail };
    Step parseAvailable();
    Step parseMarkup();
    Step parseText(std::size_t end);
    bool parseStartTag(std::string_view body);
    bool fail(std::string message);
    bool decode(std::string_view raw, std::string& out, bool normaliseLines);

    XmlEventHandler& handler_;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::vector<std::string> open_;
    std::string text_;
    std::string attributeValues_;
    std::vector<XmlAttribute> attributes_;
    std::vector<std::pair<std::size_t, std::size_t>> valueSpans_;
    bool seenRoot_ = false;
    bool stopped_ = false;
    bool failed_ = false;
    std::string error_;
};

}  // namespace kalvoren
