#include "platform/XmlStream.h"
#include "engine/Utf8.h"

#include <cstdint>

namespace kalvoren {

namespace {

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool allSpace(std::string_view s) {
    for (char c : s)
        if (!isXmlSpace(c)) return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isXmlSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isXmlSpace(s.back())) s.remove_suffix(1);
    return s;
}

enum class Prefix { Match, Partial, NoMatch };

// Whether `s` starts with `prefix`, or could once more of the document arrives.
Prefix startsWith(std::string_view s, std::string_view prefix) {
    if (s.size() >= prefix.size())
        return s.substr(0, prefix.size()) == prefix ? Prefix::Match : Prefix::NoMatch;
    return prefix.substr(0, s.size()) == s ? Prefix::Partial : Prefix::NoMatch;
}

bool parseCharacterReference(std::string_view ref, std::uint32_t& cp) {
    // ref is the part between "&#" and ";"
    int base = 10;
    if (!ref.empty() && (ref.front() == 'x' || ref.front() == 'X')) {
        base = 16;
        ref.remove_prefix(1);
    }
    if (ref.empty() || ref.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : ref) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
    }
    if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
    cp = v;
    return true;
}

}  // namespace

std::string_view xmlLocalName(std::string_view qualifiedName) {
    const auto colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
}

bool XmlStream::fail(std::string message) {
    if (!failed_) error_ = std::move(message);
    failed_ = true;
    return false;
}

bool XmlStream::feed(std::string_view piece) {
    if (failed_ || stopped_) return false;
    if (pos_ > 0) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    buffer_.append(piece);
    if (parseAvailable() == Step::Fail) return false;
    if (stopped_) return false;
    if (buffer_.size() - pos_ > kMaxTokenBytes)
        return fail("it holds a tag or text longer than 16 MB");
    return true;
}

bool XmlStream::finish() {
    if (failed_) return false;
    if (stopped_) return true;
    if (parseAvailable() == Step::Fail) return false;
    if (stopped_) return true;
    if (!allSpace(std::string_view(buffer_).substr(pos_)) || !open_.empty())
        return fail("the XML ends early (the file may be truncated)");
    if (!seenRoot_) return fail("it holds no XML element");
    return true;
}

XmlStream::Step XmlStream::parseAvailable() {
    if (!seenRoot_ && pos_ == 0 && open_.empty()) {
        const std::string_view head(buffer_);
        if (startsWith(head, "\xEF\xBB\xBF") == Prefix::Match) {
            pos_ = 3;
        } else if (startsWith(head, "\xFF\xFE") == Prefix::Match ||
                   startsWith(head, "\xFE\xFF") == Prefix::Match) {
            fail("it is UTF-16 text, which is not supported");
            return Step::Fail;
        }
    }
    while (pos_ < buffer_.size() && !stopped_) {
        Step step;
        if (buffer_[pos_] == '<') {
            step = parseMarkup();
        } else {
            const auto lt = buffer_.find('<', pos_);
            if (lt == std::string::npos) {
                // Text after the root element may end the document without a '<'.
                if (seenRoot_ && open_.empty() &&
                    allSpace(std::string_view(buffer_).substr(pos_))) {
                    pos_ = buffer_.size();
                    return Step::Done;
                }
                return Step::NeedMore;
            }
            step = parseText(lt);
        }
        if (step != Step::Done) return step;
    }
    return Step::Done;
}

XmlStream::Step XmlStream::parseText(std::size_t end) {
    const std::string_view raw = std::string_view(buffer_).substr(pos_, end - pos_);
    pos_ = end;
    if (open_.empty()) {
        if (!allSpace(raw)) {
            fail("it holds text outside the root element");
            return Step::Fail;
        }
        return Step::Done;
    }
    text_.clear();
    if (!decode(raw, text_, false)) return Step::Fail;
    if (!handler_.characters(text_)) stopped_ = true;
    return Step::Done;
}

XmlStream::Step XmlStream::parseMarkup() {
    const std::string_view rest = std::string_view(buffer_).substr(pos_);
    if (rest.size() < 2) return Step::NeedMore;

    auto skipTo = [&](std::size_t from, std::string_view terminator, std::size_t& end) {
        end = rest.find(terminator, from);
        return end != std::string_view::npos;
    };

    if (rest[1] == '?') {
        std::size_t end;
        if (!skipTo(2, "?>", end)) return Step::NeedMore;
        pos_ += end + 2;
        return Step::Done;
    }
    if (rest[1] == '!') {
        const Prefix comment = startsWith(rest, "<!--");
        const Prefix cdata = startsWith(rest, "<![CDATA[");
        if (comment == Prefix::Match) {
            std::size_t end;
            if (!skipTo(4, "-->", end)) return Step::NeedMore;
            pos_ += end + 3;
            return Step::Done;
        }
        if (cdata == Prefix::Match) {
            std::size_t end;
            if (!skipTo(9, "]]>", end)) return Step::NeedMore;
            if (open_.empty()) {
                fail("it holds text outside the root element");
                return Step::Fail;
            }
            const std::string_view content = rest.substr(9, end - 9);
            pos_ += end + 3;
            if (!handler_.characters(content)) stopped_ = true;
            return Step::Done;
        }
        if (comment == Prefix::Partial || cdata == Prefix::Partial) return Step::NeedMore;
        fail("it holds a document type declaration, which workbooks never carry");
        return Step::Fail;
    }

    // A tag: find its closing '>' outside quoted attribute values.
    char quote = 0;
    std::size_t gt = std::string_view::npos;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            gt = i;
            break;
        } else if (c == '<') {
            fail("it holds a damaged tag");
            return Step::Fail;
        }
    }
    if (gt == std::string_view::npos) return Step::NeedMore;
    const std::string_view body = rest.substr(1, gt - 1);
    const std::size_t tokenLength = gt + 1;

    if (body.front() == '/') {
        const std::string_view name = trimmed(body.substr(1));
        if (open_.empty() || open_.back() != name) {
            fail("its tags do not match (the file may be damaged)");
            return Step::Fail;
        }
        // The handler sees the name while the stack still owns it.
        const bool go = handler_.endElement(open_.back());
        open_.pop_back();
        pos_ += tokenLength;
        if (!go) stopped_ = true;
        return Step::Done;
    }
    if (!parseStartTag(body)) return Step::Fail;
    pos_ += tokenLength;
    return Step::Done;
}

bool XmlStream::parseStartTag(std::string_view body) {
    bool selfClosing = false;
    if (!body.empty() && body.back() == '/') {
        selfClosing = true;
        body.remove_suffix(1);
    }
    std::size_t i = 0;
    while (i < body.size() && !isXmlSpace(body[i])) ++i;
    const std::string_view name = body.substr(0, i);
    if (name.empty()) return fail("it holds a tag without a name");

    attributeValues_.clear();
    valueSpans_.clear();
    attributes_.clear();
    std::vector<std::string_view> names;
    while (true) {
        while (i < body.size() && isXmlSpace(body[i])) ++i;
        if (i >= body.size()) break;
        const std::size_t nameStart = i;
        while (i < body.size() && body[i] != '=' && !isXmlSpace(body[i])) ++i;
        const std::string_view attrName = body.substr(nameStart, i - nameStart);
        while (i < body.size() && isXmlSpace(body[i])) ++i;
        if (attrName.empty() || i >= body.size() || body[i] != '=')
            return fail("it holds a damaged attribute");
        ++i;
        while (i < body.size() && isXmlSpace(body[i])) ++i;
        if (i >= body.size() || (body[i] != '"' && body[i] != '\''))
            return fail("it holds a damaged attribute");
        const char quote = body[i++];
        const std::size_t valueEnd = body.find(quote, i);
        if (valueEnd == std::string_view::npos) return fail("it holds a damaged attribute");
        const std::size_t start = attributeValues_.size();
        if (!decode(body.substr(i, valueEnd - i), attributeValues_, true)) return false;
        valueSpans_.emplace_back(start, attributeValues_.size() - start);
        names.push_back(attrName);
        i = valueEnd + 1;
    }
    for (std::size_t k = 0; k < names.size(); ++k)
        attributes_.push_back({names[k], std::string_view(attributeValues_)
                                             .substr(valueSpans_[k].first, valueSpans_[k].second)});

    if (open_.empty() && seenRoot_) return fail("it holds more than one root element");
    if (open_.size() >= kMaxDepth) return fail("its elements are nested too deeply");
    seenRoot_ = true;
    if (!handler_.startElement(name, attributes_)) {
        stopped_ = true;
        return true;
    }
    if (selfClosing) {
        if (!handler_.endElement(name)) stopped_ = true;
        return true;
    }
    open_.emplace_back(name);
    return true;
}

bool XmlStream::decode(std::string_view raw, std::string& out, bool attribute) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '&') {
            const auto semi = raw.find(';', i + 1);
            if (semi == std::string_view::npos || semi - i > 12)
                return fail("it holds a damaged entity reference");
            const std::string_view ref = raw.substr(i + 1, semi - i - 1);
            if (ref == "lt")
                out += '<';
            else if (ref == "gt")
                out += '>';
            else if (ref == "amp")
                out += '&';
            else if (ref == "quot")
                out += '"';
            else if (ref == "apos")
                out += '\'';
            else if (!ref.empty() && ref.front() == '#') {
                std::uint32_t cp;
                if (!parseCharacterReference(ref.substr(1), cp))
                    return fail("it holds a damaged character reference");
                appendUtf8(out, cp);
            } else {
                return fail("it holds an unknown entity reference");
            }
            i = semi;
        } else if (c == '\r') {
            // Line ends are read as one LF; in attribute values all white space is a blank.
            if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
            out += attribute ? ' ' : '\n';
        } else if (attribute && (c == '\n' || c == '\t')) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return true;
}

}  // namespace kalvoren
