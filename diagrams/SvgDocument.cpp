#include "engine/Utf8.h"
#include "diagrams/SvgDocument.h"

#include <array>
#include <charconv>
#include <cmath>

namespace kalvoren {

namespace {

// One code point of UTF-8 text at `i`; sets `length`. Malformed input gives U+FFFD
// for one byte, so any byte string comes out as valid text.
char32_t decodeUtf8(std::string_view s, std::size_t i, std::size_t& length) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    length = 1;
    if (b0 < 0x80) return b0;
    int extra = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        c = b0 & 0x07;
    } else {
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) return 0xFFFD;
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr std::array<char32_t, 4> kSmallest{0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[static_cast<std::size_t>(extra)] || c > 0x10FFFF ||
        (c >= 0xD800 && c <= 0xDFFF)) {
        return 0xFFFD;
    }
    length = static_cast<std::size_t>(extra) + 1;
    return c;
}

// Characters XML 1.0 allows in text.
bool allowedInXml(char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    return c != 0xFFFE && c != 0xFFFF;
}


std::string_view anchorName(TextAnchor a) {
    switch (a) {
        case TextAnchor::Middle:
            return "middle";
        case TextAnchor::End:
            return "end";
        case TextAnchor::Start:
            break;
    }
    return "start";
}

}  // namespace

SvgDocument::SvgDocument(double width, double height, std::string_view title) {
    append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    append("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"");
    appendNumber(width);
    append("\" height=\"");
    appendNumber(height);
    append("\" viewBox=\"0 0 ");
    appendNumber(width);
    append(" ");
    appendNumber(height);
    append("\" font-family=\"DejaVu Sans, Liberation Sans, Arial, Helvetica, sans-serif\">\n");
    append("<title>");
    appendEscaped(title);
    append("</title>\n");
    rect(0, 0, width, height, SvgStroke{"none", 0.0, false}, "#ffffff");
}

void SvgDocument::openGroup(std::string_view cssClass) {
    append("<g class=\"");
    appendEscaped(cssClass);
    append("\">\n");
    ++openGroups_;
}

void SvgDocument::closeGroup() {
    if (openGroups_ == 0) return;
    append("</g>\n");
    --openGroups_;
}

void SvgDocument::rect(double x, double y, double w, double h, SvgStroke stroke,
                       std::string_view fill, std::string_view id) {
    append("<rect");
    if (!id.empty()) {
        append(" id=\"");
        appendEscaped(id);
        append("\"");
    }
    append(" x=\"");
    appendNumber(x);
    append("\" y=\"");
    appendNumber(y);
    append("\" width=\"");
    appendNumber(w);
    append("\" height=\"");
    appendNumber(h);
    append("\" fill=\"");
    appendEscaped(fill);
    append("\"");
    appendStroke(stroke);
    append("/>\n");
}

void SvgDocument::line(SvgPoint a, SvgPoint b, SvgStroke stroke) {
    append("<line x1=\"");
    appendNumber(a.x);
    append("\" y1=\"");
    appendNumber(a.y);
    append("\" x2=\"");
    appendNumber(b.x);
    append("\" y2=\"");
    appendNumber(b.y);
    append("\"");
    appendStroke(stroke);
    append("/>\n");
}

void SvgDocument::polyline(const std::vector<SvgPoint>& points, SvgStroke stroke) {
    append("<polyline points=\"");
    appendPoints(points);
    append("\" fill=\"none\"");
    appendStroke(stroke);
    append("/>\n");
}

void SvgDocument::polygon(const std::vector<SvgPoint>& points, SvgStroke stroke,
                          std::string_view fill, std::string_view id) {
    append("<polygon");
    if (!id.empty()) {
        append(" id=\"");
        appendEscaped(id);
        append("\"");
    }
    append(" points=\"");
    appendPoints(points);
    append("\" fill=\"");
    appendEscaped(fill);
    append("\"");
    appendStroke(stroke);
    append("/>\n");
}

void SvgDocument::text(SvgPoint at, std::string_view text, const SvgTextStyle& style,
                       std::string_view cssClass) {
    if (style.halo) {
        // A copy drawn first with a wide white stroke; renderers without paint-order
        // still show the text itself on top.
        SvgTextStyle under = style;
        under.halo = false;
        under.fill = "#ffffff";
        haloWidth_ = 4.0;
        this->text(at, text, under, "halo");
        haloWidth_ = 0.0;
    }
    append("<text");
    if (!cssClass.empty()) {
        append(" class=\"");
        appendEscaped(cssClass);
        append("\"");
    }
    append(" x=\"");
    appendNumber(at.x);
    append("\" y=\"");
    appendNumber(at.y);
    append("\" font-size=\"");
    appendNumber(style.size);
    append("\"");
    if (style.anchor != TextAnchor::Start) {
        append(" text-anchor=\"");
        append(anchorName(style.anchor));
        append("\"");
    }
    if (style.bold) append(" font-weight=\"bold\"");
    if (style.italic) append(" font-style=\"italic\"");
    append(" fill=\"");
    appendEscaped(style.fill);
    append("\"");
    if (haloWidth_ > 0.0) {
        append(" stroke=\"#ffffff\" stroke-linejoin=\"round\" stroke-width=\"");
        appendNumber(haloWidth_);
        append("\"");
    }
    if (style.rotate != 0.0) {
        append(" transform=\"rotate(");
        appendNumber(style.rotate);
        append(" ");
        appendNumber(at.x);
        append(" ");
        appendNumber(at.y);
        append(")\"");
    }
    append(">");
    appendEscaped(text);
    append("</text>\n");
}

void SvgDocument::marker(SvgPoint at, Shape shape, std::string_view fill, std::string_view cssClass,
                         std::string_view title) {
    constexpr double kRadius = 4.5;
    switch (shape) {
        case Shape::Circle:
            append("<circle class=\"");
            appendEscaped(cssClass);
            append("\" cx=\"");
            appendNumber(at.x);
            append("\" cy=\"");
            appendNumber(at.y);
            append("\" r=\"");
            appendNumber(kRadius);
            append("\"");
            break;
        case Shape::Square:
            append("<rect class=\"");
            appendEscaped(cssClass);
            append("\" x=\"");
            appendNumber(at.x - kRadius);
            append("\" y=\"");
            appendNumber(at.y - kRadius);
            append("\" width=\"");
            appendNumber(2 * kRadius);
            append("\" height=\"");
            appendNumber(2 * kRadius);
            append("\"");
            break;
        case Shape::Triangle: {
            const double r = kRadius * 1.25;
            append("<polygon class=\"");
            appendEscaped(cssClass);
            append("\" points=\"");
            appendPoints({{at.x, at.y - r},
                          {at.x + r * 0.866, at.y + r * 0.5},
                          {at.x - r * 0.866, at.y + r * 0.5}});
            append("\"");
            break;
        }
    }
    append(" fill=\"");
    appendEscaped(fill);
    append("\" fill-opacity=\"0.85\" stroke=\"#1a1a1a\" stroke-width=\"0.8\"><title>");
    appendEscaped(title);
    append("</title></");
    append(shape == Shape::Circle ? "circle" : shape == Shape::Square ? "rect" : "polygon");
    append(">\n");
}

std::string SvgDocument::finish() {
    while (openGroups_ > 0) closeGroup();
    append("</svg>\n");
    return std::move(out_);
}

void SvgDocument::appendNumber(double v) {
    if (!std::isfinite(v)) v = 0.0;  // never let "nan" or "inf" into the document
    v = std::round(v * 100.0) / 100.0;
    if (v == 0.0) v = 0.0;  // no "-0"
    std::array<char, 32> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, 2);
    std::string_view s(buf.data(), static_cast<std::size_t>(r.ptr - buf.data()));
    // Trailing zeros carry nothing: "12.50" -> "12.5", "3.00" -> "3".
    while (s.back() == '0') s.remove_suffix(1);
    if (s.back() == '.') s.remove_suffix(1);
    append(s);
}

void SvgDocument::appendPoints(const std::vector<SvgPoint>& points) {
    bool first = true;
    for (const SvgPoint& p : points) {
        if (!first) append(" ");
        first = false;
        appendNumber(p.x);
        append(",");
        appendNumber(p.y);
    }
}

void SvgDocument::appendStroke(const SvgStroke& stroke) {
    append(" stroke=\"");
    appendEscaped(stroke.colour);
    append("\"");
    if (stroke.width > 0.0) {
        append(" stroke-width=\"");
        appendNumber(stroke.width);
        append("\"");
    }
    if (stroke.dashed) append(" stroke-dasharray=\"5,4\"");
}

void SvgDocument::appendEscaped(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const char32_t c = decodeUtf8(text, i, length);
        i += length;
        switch (c) {
            case '&':
                append("&amp;");
                break;
            case '<':
                append("&lt;");
                break;
            case '>':
                append("&gt;");
                break;
            case '"':
                append("&quot;");
                break;
            case '\'':
                append("&apos;");
                break;
            default:
                appendUtf8(out_, allowedInXml(c) ? c : 0xFFFD);
        }
    }
}

double estimatedTextWidth(std::string_view utf8, double fontSize, bool bold) {
    double em = 0.0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const char32_t c = decodeUtf8(utf8, i, length);
        i += length;
        if (c == ' ' || c == '.' || c == ',' || c == ':' || c == ';' || c == 'i' || c == 'l' ||
            c == 'j' || c == '(' || c == ')' || c == '[' || c == ']' || c == '\'') {
            em += 0.32;
        } else if (c == 'm' || c == 'w' || c == 'M' || c == 'W') {
            em += 0.9;
        } else if (c >= 'A' && c <= 'Z') {
            em += 0.7;
        } else {
            em += 0.6;
        }
    }
    return em * fontSize * (bold ? 1.12 : 1.0);
}

std::vector<std::string> wrapText(std::string_view text, double fontSize, double width, bool bold) {
    std::vector<std::string> lines;
    std::string current;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i == start) break;
        const std::string_view word = text.substr(start, i - start);
        std::string candidate =
            current.empty() ? std::string(word) : current + " " + std::string(word);
        if (!current.empty() && estimatedTextWidth(candidate, fontSize, bold) > width) {
            lines.push_back(std::move(current));
            current = std::string(word);
        } else {
            current = std::move(candidate);
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

}  // namespace kalvoren
