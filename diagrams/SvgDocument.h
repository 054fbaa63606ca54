#pragma once
// A standalone SVG document written element by element. Coordinates are pixels and are
// written with two decimals whatever the process locale, so the same diagram always
// gives the same text.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvoren {

struct SvgPoint {
    double x = 0.0;
    double y = 0.0;
};

enum class TextAnchor { Start, Middle, End };

struct SvgTextStyle {
    double size = 12.0;
    TextAnchor anchor = TextAnchor::Start;
    bool bold = false;
    bool italic = false;
    std::string_view fill = "#000000";
    double rotate = 0.0;  // degrees about the text's anchor point
    bool halo = false;    // a white outline underneath, to stay legible over markers
};

struct SvgStroke {
    std::string_view colour = "#000000";
    double width = 1.0;
    bool dashed = false;
};

class SvgDocument {
  public:
    SvgDocument(double width, double height, std::string_view title);

    void openGroup(std::string_view cssClass);
    void closeGroup();

    void rect(double x, double y, double w, double h, SvgStroke stroke, std::string_view fill,
              std::string_view id = {});
    void line(SvgPoint a, SvgPoint b, SvgStroke stroke);
    void polyline(const std::vector<SvgPoint>& points, SvgStroke stroke);
    void polygon(const std::vector<SvgPoint>& points, SvgStroke stroke, std::string_view fill,
                 std::string_view id = {});
    void text(SvgPoint at, std::string_view text, const SvgTextStyle& style,
              std::string_view cssClass = {});

    // Data markers: an element of class `cssClass` centred on `at`, its tooltip `title`.
    enum class Shape { Circle, Square, Triangle };
    void marker(SvgPoint at, Shape shape, std::string_view fill, std::string_view cssClass,
                std::string_view title);

    std::string finish();

  private:
    void append(std::string_view s) { out_.append(s); }
    void appendNumber(double v);
    void appendPoints(const std::vector<SvgPoint>& points);
    void appendStroke(const SvgStroke& stroke);
    void appendEscaped(std::string_view text);

    std::string out_;
    int openGroups_ = 0;
    double haloWidth_ = 0.0;  // set while writing the white copy under a haloed text
};

// Text width in pixels, estimated for a sans-serif face (no font metrics at hand).
double estimatedTextWidth(std::string_view utf8, double fontSize, bool bold = false);

// Splits text at blanks into lines no wider than `width` pixels (a word longer than the
// width stands alone on its line).
std::vector<std::string> wrapText(std::string_view text, double fontSize, double width,
                                  bool bold = false);

}  // namespace kalvoren
