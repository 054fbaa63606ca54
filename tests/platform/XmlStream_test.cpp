#include "platform/XmlStream.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvoren {
namespace {

// Records the events as one line: "<a x=1>" "[text]" "</a>".
class EventLog final : public XmlEventHandler {
  public:
    std::string log;
    int stopAfterStarts = -1;

    bool startElement(std::string_view name, std::span<const XmlAttribute> attributes) override {
        log += "<" + std::string(name);
        for (const auto& a : attributes)
            log += " " + std::string(a.name) + "=" + std::string(a.value);
        log += ">";
        return --stopAfterStarts != 0;
    }
    bool endElement(std::string_view name) override {
        log += "</" + std::string(name) + ">";
        return true;
    }
    bool characters(std::string_view text) override {
        // Pieces of one text run may arrive separately; join neighbouring ones.
        if (!log.empty() && log.back() == ']') {
            log.pop_back();
            log += std::string(text) + "]";
        } else {
            log += "[" + std::string(text) + "]";
        }
        return true;
    }
};

struct Parsed {
    bool ok;
    std::string log;
    std::string error;
};

Parsed parse(const std::string& document, std::size_t pieceSize) {
    EventLog events;
    XmlStream xml(events);
    bool ok = true;
    for (std::size_t i = 0; ok && i < document.size(); i += pieceSize)
        ok = xml.feed(std::string_view(document).substr(i, pieceSize));
    if (ok) ok = xml.finish();
    return {ok, events.log, xml.error()};
}

struct Case {
    const char* document;
    const char* log;
};

TEST(XmlStream, ReadsTheXmlOfWorkbookPartsWhateverTheSizeOfThePieces) {
    const Case cases[] = {
        {"<?xml version=\"1.0\"?>\n<a><b/></a>", "<a><b></b></a>"},
        {"<x:row r=\"2\" spans='1:3'><c>1</c></x:row>", "<x:row r=2 spans=1:3><c>[1]</c></x:row>"},
        {"<a t=\"x&gt;y\">&lt;&amp;&quot;&apos;&#65;&#x42;&#xE9;</a>",
         "<a t=x>y>[<&\"'AB\xC3\xA9]</a>"},
        {"<a>x<!-- <b> --><![CDATA[<b>&amp;]]>y</a>", "<a>[x<b>&amp;y]</a>"},
        {"<a>line\r\nnext\rlast</a>", "<a>[line\nnext\nlast]</a>"},
        {"<a v=\"tab\there\"/>", "<a v=tab here></a>"},
        {"\xEF\xBB\xBF<a q='>'/>", "<a q=>></a>"},
        {"<a>&#9;&#10;&#13;</a>", "<a>[\t\n\r]</a>"},
    };
    for (const auto& c : cases) {
        for (std::size_t pieceSize : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
            const Parsed p = parse(c.document, pieceSize);
            EXPECT_TRUE(p.ok) << c.document << " / " << p.error;
            EXPECT_EQ(p.log, c.log) << c.document << " in pieces of " << pieceSize;
        }
    }
}

TEST(XmlStream, RefusesDamagedAndTruncatedDocuments) {
    const char* cases[] = {
        "<a><b></a></b>",                              // tags do not match
        "<a><b>",                                      // truncated
        "<a>text",                                     // truncated in text
        "<a x=\"1",                                    // truncated in a tag
        "<a>&bogus;</a>",                              // unknown entity
        "<a>&#0;</a>",                                 // no such character
        "<a>& b</a>",                                  // bare ampersand
        "<!DOCTYPE a [<!ENTITY x \"y\">]><a>&x;</a>",  // entity definitions
        "<a/><b/>",                                    // two roots
        "<a x=1/>",                                    // unquoted attribute
        "",                                            // nothing at all
        "\xFF\xFE<\0a\0/\0>\0",                        // UTF-16
    };
    for (const char* document : cases) {
        const Parsed p = parse(document, 2);
        EXPECT_FALSE(p.ok) << document;
        EXPECT_FALSE(p.error.empty()) << document;
    }
}

TEST(XmlStream, StopsWhenTheHandlerHasEnoughWithoutAnError) {
    EventLog events;
    events.stopAfterStarts = 2;
    XmlStream xml(events);
    EXPECT_FALSE(xml.feed("<a><b/><c/><d/></a>"));
    EXPECT_TRUE(xml.stopped());
    EXPECT_TRUE(xml.error().empty());
    EXPECT_TRUE(xml.finish());
    EXPECT_EQ(events.log, "<a><b>");
}

TEST(XmlStream, RefusesATagLongerThanTheBound) {
    EventLog events;
    XmlStream xml(events);
    const std::string piece(1 << 20, 'x');
    bool ok = xml.feed("<a v=\"");
    for (int i = 0; ok && i < 20; ++i) ok = xml.feed(piece);
    EXPECT_FALSE(ok);
    EXPECT_NE(xml.error().find("16 MB"), std::string::npos);
}

}  // namespace
}  // namespace kalvoren
