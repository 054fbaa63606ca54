#include "engine/Utf8.h"
#include "entry/Windows1252.h"

#include <array>
#include <cstdint>

namespace kalvoren {

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t codePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80u];
    return byte;
}


// The byte for a code point, or -1 when the code page has none.
int byteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

// Reads one UTF-8 sequence at `pos`; returns its length, or 0 when it is not valid
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t readUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1Fu, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0Fu, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string utf8FromWindows1252(std::string_view bytes) {
    std::size_t high = 0;
    for (char c : bytes) high += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
    std::string out;
    out.reserve(bytes.size() + 2 * high);
    // Runs of ASCII, the bulk of any analysis file, are copied whole.
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
        out.append(bytes, pos, end - pos);
        if (end == bytes.size()) break;
        appendUtf8(out, codePointOf(static_cast<unsigned char>(bytes[end])));
        pos = end + 1;
    }
    return out;
}

Windows1252Text windows1252FromUtf8(std::string_view utf8) {
    Windows1252Text result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = pos;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) < 0x80) ++end;
        result.bytes.append(utf8, pos, end - pos);
        if (end == utf8.size()) break;
        pos = end;
        char32_t cp = 0;
        std::size_t length = readUtf8(utf8, pos, cp);
        int byte = -1;
        if (length == 0)
            length = 1;  // a stray byte stands for one unreadable character
        else
            byte = byteOf(cp);
        if (byte < 0) {
            result.bytes += '?';
            ++result.replaced;
        } else {
            result.bytes += static_cast<char>(byte);
        }
        pos += length;
    }
    return result;
}

}  // namespace kalvoren
