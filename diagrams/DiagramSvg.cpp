#include "diagrams/DiagramSvg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "diagrams/DiagramCatalogue.h"
#include "diagrams/SvgDocument.h"

namespace kalvoren {

namespace {

// The plotting region between the title and the captions.
constexpr double kPlotLeft = 90.0;
constexpr double kPlotRight = 610.0;
constexpr double kPlotTop = 76.0;
constexpr double kPlotBottom = 456.0;
constexpr double kSin60 = 0.86602540378443865;
// The quadrilateral leaves room on its right for the Wo values of its boundaries.
constexpr double kQuadrilateralWidth = 470.0;

constexpr double kTitleFont = 16.0;
constexpr double kTickFont = 12.0;
constexpr double kAxisFont = 13.0;
constexpr double kCornerFont = 14.0;
constexpr double kFieldFont = 13.0;
constexpr double kCaptionFont = 12.0;

constexpr std::string_view kInk = "#1a1a1a";
constexpr std::string_view kMuted = "#444444";
constexpr std::string_view kGrid = "#dddddd";
constexpr std::string_view kTieLine = "#7a7a7a";
constexpr std::string_view kFirstSeries = "#2166ac";
constexpr std::string_view kSecondSeries = "#e66101";

constexpr SvgStroke kFrameStroke{kInk, 1.4, false};
constexpr SvgStroke kBoundaryStroke{kInk, 1.1, false};
constexpr SvgStroke kTickStroke{kInk, 1.0, false};
constexpr SvgStroke kGridStroke{kGrid, 0.8, false};
constexpr SvgStroke kExtensionStroke{kMuted, 0.9, true};

enum class Kind { QJ, WoEnFs, QJdAe, CaMgFeMn, Lindsley, AlIVAlVI, TiNaAlIV, Volumes };

struct Axis {
    double min = 0.0;
    double max = 1.0;
    double step = 0.1;
    int decimals = 1;
    std::string_view title;
};

struct Plan {
    Kind kind = Kind::QJ;
    std::string_view note;  // what the diagram shows, and what it leaves out
    Axis x;
    Axis y;
};

constexpr Axis kVcell{425, 445, 5, 0, "Vcell (Å³)"};
constexpr Axis kVM1{11.2, 12.2, 0.2, 1, "VM1 (Å³)"};

Plan planOf(int index) {
    switch (index) {
        case 0:
            return {Kind::QJ,
                    "Fields after Morimoto et al. (1988): Q = Ca + Mg + Fe²⁺, J = 2 Na (atoms "
                    "per formula unit).",
                    {0, 2, 0.25, 2, "J = 2 Na (apfu)"},
                    {0, 2, 0.25, 2, "Q = Ca + Mg + Fe²⁺ (apfu)"}};
        case 1:
        case 2:
            return {Kind::WoEnFs,
                    "Fields after Morimoto et al. (1988); Wo, En and Fs on the Ca + Mg + Fetot + "
                    "Mn basis.",
                    {},
                    {}};
        case 3:
        case 4:
            return {Kind::QJdAe,
                    "Fields after Morimoto et al. (1988) for Ca-Na and Na pyroxenes; Q + Jd + Ae = "
                    "100 %.",
                    {},
                    {}};
        case 5:
            return {Kind::CaMgFeMn,
                    "Ca, Mg and Fetot + Mn in atomic %. Poldervaart and Hess (1951) fields are not "
                    "drawn.",
                    {},
                    {}};
        case 6:
        case 7:
        case 8:
        case 9:
            return {Kind::Lindsley,
                    "Lindsley (1983) isotherms are not drawn; tie lines join the Cpx and Opx of a "
                    "pair.",
                    {},
                    {}};
        case 10:
            return {Kind::AlIVAlVI,
                    "Analyses with Al(IV) and Al(VI) up to 0.4. Aoki and Shiba (1973) field lines "
                    "are not drawn.",
                    {0, 0.4, 0.05, 2, "Al(IV) (apfu)"},
                    {0, 0.4, 0.05, 2, "Al(VI) (apfu)"}};
        case 11:
            return {Kind::TiNaAlIV,
                    "Ti, Na and Al(IV) normalised to their sum (%). Papike et al. (1974) fields "
                    "are not drawn.",
                    {},
                    {}};
        case 12:
            return {Kind::Volumes,
                    "Cell and M1-site volumes. Nimis (1995) fields and isobars are not drawn.",
                    kVcell, kVM1};
        case 13:
        case 14:
            return {Kind::Volumes,
                    "Cell and M1-site volumes. Nimis and Ulmer (1998) fields and isobars are not "
                    "drawn.",
                    kVcell, kVM1};
        case 15:
            return {Kind::Volumes,
                    "Corrected volumes (BH). Nimis and Ulmer (1998) fields and isobars are not "
                    "drawn.",
                    {438, 460, 2, 0, "Vcell corrected (Å³)"},
                    {11.6, 12.8, 0.2, 1, "VM1 corrected (Å³)"}};
        case 16:
            return {
                Kind::Volumes,
                "Corrected volumes of the MA and TH series. Nimis (1999) fields and isobars are "
                "not drawn.",
                {438, 460, 2, 0, "Vcell corrected (Å³)"},
                {11.6, 13.0, 0.2, 1, "VM1 corrected (Å³)"}};
        default:
            return {Kind::Volumes,
                    "Cell and M1-site volumes. Nimis (1999) fields and isobars are not drawn.",
                    {424, 444, 4, 0, "Vcell (Å³)"},
                    {11.2, 12.6, 0.2, 1, "VM1 (Å³)"}};
    }
}

std::string fixedText(double v, int decimals) {
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0.0;  // no "-0.0"
    std::array<char, 32> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    return std::string(buf.data(), r.ptr);
}

std::string counted(int n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// One kind of marker: its shape, colour and the name it has in the legend and status.
struct Series {
    SvgDocument::Shape shape = SvgDocument::Shape::Circle;
    std::string_view fill = kFirstSeries;
    std::string_view cssClass = "marker";
    std::string_view name;  // legend text; empty: no legend
    int plotted = 0;
};

// What became of the data lines, for the status caption.
struct Tally {
    int blankLines = 0;  // a value needed for a point was blank
    int outside = 0;     // points beyond the axes
};

std::string markerTitle(const PlotDataRow& row, std::string_view prefix) {
    std::string title(prefix);
    if (!row.sample.empty()) return title + row.sample;
    return title + "Data line " + std::to_string(row.lineNumber);
}

// ---------------------------------------------------------------- frame text

void drawTitle(SvgDocument& doc, std::string_view title) {
    constexpr double kWidest = kDiagramWidth - 80.0;
    auto lines = wrapText(title, kTitleFont, kWidest, true);
    // Two lines read best broken before the reference, "(Nimis 1995)" or "[i.e., ...]".
    if (lines.size() == 2) {
        for (const std::string_view mark : {" [", " ("}) {
            const std::size_t cut = title.rfind(mark);
            if (cut == std::string_view::npos || cut == 0) continue;
            const std::string_view first = title.substr(0, cut);
            const std::string_view second = title.substr(cut + 1);
            if (estimatedTextWidth(first, kTitleFont, true) <= kWidest &&
                estimatedTextWidth(second, kTitleFont, true) <= kWidest) {
                lines = {std::string(first), std::string(second)};
                break;
            }
        }
    }
    double y = lines.size() > 1 ? 24.0 : 32.0;
    for (const auto& line : lines) {
        doc.text({kDiagramWidth / 2, y}, line,
                 {kTitleFont, TextAnchor::Middle, true, false, kInk, 0.0}, "title");
        y += 20.0;
    }
}

void drawCaption(SvgDocument& doc, const std::vector<std::string>& paragraphs) {
    std::vector<std::string> lines;
    for (const auto& p : paragraphs) {
        for (auto& l : wrapText(p, kCaptionFont, kDiagramWidth - 40.0)) lines.push_back(l);
    }
    if (lines.empty()) return;
    double y = kDiagramHeight - 12.0 - 16.0 * static_cast<double>(lines.size() - 1);
    for (const auto& line : lines) {
        doc.text({20.0, y}, line, {kCaptionFont, TextAnchor::Start, false, false, kMuted, 0.0},
                 "caption");
        y += 16.0;
    }
}

void drawLegend(SvgDocument& doc, const std::vector<Series>& series, bool tieLine) {
    // One row above the plotting region, flush with its right edge.
    constexpr double kY = 62.0;
    constexpr double kGap = 18.0;
    double width = 0.0;
    for (const Series& s : series) width += 14.0 + estimatedTextWidth(s.name, kTickFont) + kGap;
    if (tieLine) width += 30.0 + estimatedTextWidth("tie line", kTickFont) + kGap;
    double x = kPlotRight - width + kGap;
    doc.openGroup("legend");
    for (const Series& s : series) {
        doc.marker({x + 5.0, kY - 4.0}, s.shape, s.fill, "legend-key", s.name);
        doc.text({x + 14.0, kY}, s.name, {kTickFont, TextAnchor::Start, false, false, kInk, 0.0});
        x += 14.0 + estimatedTextWidth(s.name, kTickFont) + kGap;
    }
    if (tieLine) {
        doc.line({x, kY - 4.0}, {x + 24.0, kY - 4.0}, {kTieLine, 1.0, false});
        doc.text({x + 30.0, kY}, "tie line",
                 {kTickFont, TextAnchor::Start, false, false, kInk, 0.0});
    }
    doc.closeGroup();
}

// A field name, centred on `centre`; written over the markers so it stays legible.
struct FieldName {
    SvgPoint centre;
    std::string_view name;
    double size = kFieldFont;
};

void drawFieldNames(SvgDocument& doc, const std::vector<FieldName>& names) {
    if (names.empty()) return;
    doc.openGroup("field-names");
    for (const FieldName& n : names) {
        doc.text({n.centre.x, n.centre.y + n.size * 0.35}, n.name,
                 {n.size, TextAnchor::Middle, false, true, kInk, 0.0, true}, "field-name");
    }
    doc.closeGroup();
}

void cornerLabel(SvgDocument& doc, SvgPoint at, std::string_view name, TextAnchor anchor) {
    doc.text(at, name, {kCornerFont, anchor, true, false, kInk, 0.0}, "corner");
}

// ---------------------------------------------------------------- x-y plots

struct CartesianFrame {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    Axis x;
    Axis y;

    SvgPoint at(double xv, double yv) const {
        return {left + (xv - x.min) / (x.max - x.min) * width,
                top + height - (yv - y.min) / (y.max - y.min) * height};
    }
    // Points a hair beyond the axes still show; anything further lies outside.
    bool holds(double xv, double yv) const {
        const double mx = 0.02 * (x.max - x.min);
        const double my = 0.02 * (y.max - y.min);
        return xv >= x.min - mx && xv <= x.max + mx && yv >= y.min - my && yv <= y.max + my;
    }
};

CartesianFrame cartesianFrame(const Axis& x, const Axis& y, bool square) {
    CartesianFrame f;
    f.x = x;
    f.y = y;
    f.top = kPlotTop;
    f.height = kPlotBottom - kPlotTop;
    f.width = kPlotRight - kPlotLeft;
    f.left = kPlotLeft;
    if (square) {
        f.width = f.height;
        f.left = kPlotLeft + (kPlotRight - kPlotLeft - f.width) / 2.0;
    }
    return f;
}

int tickCount(const Axis& a) {
    return static_cast<int>(std::lround((a.max - a.min) / a.step));
}

void drawCartesianAxes(SvgDocument& doc, const CartesianFrame& f, bool grid) {
    const int nx = tickCount(f.x);
    const int ny = tickCount(f.y);
    const double bottom = f.top + f.height;
    if (grid) {
        doc.openGroup("grid");
        for (int i = 1; i < nx; ++i) {
            const double px = f.at(f.x.min + i * f.x.step, f.y.min).x;
            doc.line({px, f.top}, {px, bottom}, kGridStroke);
        }
        for (int i = 1; i < ny; ++i) {
            const double py = f.at(f.x.min, f.y.min + i * f.y.step).y;
            doc.line({f.left, py}, {f.left + f.width, py}, kGridStroke);
        }
        doc.closeGroup();
    }
    doc.openGroup("axes");
    doc.rect(f.left, f.top, f.width, f.height, kFrameStroke, "none", "frame");
    const SvgTextStyle tick{kTickFont, TextAnchor::Middle, false, false, kInk, 0.0};
    for (int i = 0; i <= nx; ++i) {
        const double v = f.x.min + i * f.x.step;
        const double px = f.at(v, f.y.min).x;
        doc.line({px, bottom}, {px, bottom + 5.0}, kTickStroke);
        doc.text({px, bottom + 19.0}, fixedText(v, f.x.decimals), tick);
    }
    SvgTextStyle left = tick;
    left.anchor = TextAnchor::End;
    for (int i = 0; i <= ny; ++i) {
        const double v = f.y.min + i * f.y.step;
        const double py = f.at(f.x.min, v).y;
        doc.line({f.left - 5.0, py}, {f.left, py}, kTickStroke);
        doc.text({f.left - 8.0, py + 4.0}, fixedText(v, f.y.decimals), left);
    }
    doc.text({f.left + f.width / 2.0, bottom + 42.0}, f.x.title,
             {kAxisFont, TextAnchor::Middle, true, false, kInk, 0.0}, "axis-title");
    doc.text({f.left - 52.0, f.top + f.height / 2.0}, f.y.title,
             {kAxisFont, TextAnchor::Middle, true, false, kInk, -90.0}, "axis-title");
    doc.closeGroup();
}

// ---------------------------------------------------------------- triangles

// Percentages of three components, summing to 100.
struct Ternary {
    double top = 0.0;
    double left = 0.0;
    double right = 0.0;
};

std::optional<Ternary> normalised(Quantity top, Quantity left, Quantity right) {
    const Quantity sum = top + left + right;
    if (!(sum > 0.0)) return std::nullopt;
    return Ternary{(100.0 * top / sum).value(), (100.0 * left / sum).value(),
                   (100.0 * right / sum).value()};
}

bool inTriangle(const Ternary& t) {
    constexpr double kSlack = 1.0;
    return t.top >= -kSlack && t.left >= -kSlack && t.right >= -kSlack;
}

// The equilateral triangle of a ternary, or its lower part up to `topMax` % of the top
// component (the pyroxene quadrilateral for 50).
struct TernaryFrame {
    SvgPoint origin;     // the bottom-left corner
    double scale = 1.0;  // pixels per percent along the base

    SvgPoint at(double top, double right) const {
        return {origin.x + (right + top / 2.0) * scale, origin.y - top * kSin60 * scale};
    }
    SvgPoint at(const Ternary& t) const { return at(t.top, t.right); }
};

TernaryFrame ternaryFrame(double topMax, double widest) {
    constexpr double kRoomAbove = 26.0;  // for the labels of the upper corners
    const double height = topMax * kSin60;
    const double availableHeight = kPlotBottom - kPlotTop - kRoomAbove - 20.0;
    TernaryFrame f;
    f.scale = std::min(widest / 100.0, availableHeight / height);
    f.origin.x = kPlotLeft + (kPlotRight - kPlotLeft - 100.0 * f.scale) / 2.0;
    f.origin.y = (kPlotTop + kRoomAbove + kPlotBottom - 20.0) / 2.0 + height * f.scale / 2.0;
    return f;
}

struct TernaryLabels {
    std::string_view top;
    std::string_view left;
    std::string_view right;
};

// A full triangle with ticks every 20 % on each side, the top component read on the left
// side, the left one on the base and the right one on the right side.
void drawTriangleFrame(SvgDocument& doc, const TernaryFrame& f, const TernaryLabels& labels,
                       bool grid) {
    if (grid) {
        doc.openGroup("grid");
        for (int k = 20; k < 100; k += 20) {
            const double v = k;
            doc.line(f.at(v, 0), f.at(v, 100 - v), kGridStroke);        // top = k
            doc.line(f.at(0, 100 - v), f.at(100 - v, 0), kGridStroke);  // left = k
            doc.line(f.at(0, v), f.at(100 - v, v), kGridStroke);        // right = k
        }
        doc.closeGroup();
    }
    doc.openGroup("axes");
    doc.polygon({f.at(0, 0), f.at(0, 100), f.at(100, 0)}, kFrameStroke, "none", "frame");
    const SvgTextStyle tick{kTickFont, TextAnchor::End, false, false, kInk, 0.0};
    for (int k = 20; k < 100; k += 20) {
        const double v = k;
        const std::string text = std::to_string(k);
        // top component on the left side, ticks along its horizontal lines
        const SvgPoint l = f.at(v, 0);
        doc.line(l, {l.x - 6.0, l.y}, kTickStroke);
        doc.text({l.x - 9.0, l.y + 4.0}, text, tick);
        // left component on the base, ticks along its lines (parallel to the right side)
        const SvgPoint b = f.at(0, 100 - v);
        doc.line(b, {b.x + 3.0, b.y + 5.2}, kTickStroke);
        SvgTextStyle below = tick;
        below.anchor = TextAnchor::Middle;
        doc.text({b.x + 5.0, b.y + 20.0}, text, below);
        // right component on the right side, ticks along its lines (parallel to the left side)
        const SvgPoint r = f.at(100 - v, v);
        doc.line(r, {r.x + 3.0, r.y - 5.2}, kTickStroke);
        SvgTextStyle right = tick;
        right.anchor = TextAnchor::Start;
        doc.text({r.x + 6.0, r.y - 4.0}, text, right);
    }
    const SvgPoint apex = f.at(100, 0);
    cornerLabel(doc, {apex.x, apex.y - 10.0}, labels.top, TextAnchor::Middle);
    const SvgPoint bl = f.at(0, 0);
    cornerLabel(doc, {bl.x - 10.0, bl.y + 5.0}, labels.left, TextAnchor::End);
    const SvgPoint br = f.at(0, 100);
    cornerLabel(doc, {br.x + 10.0, br.y + 5.0}, labels.right, TextAnchor::Start);
    doc.closeGroup();
}

struct QuadrilateralLabels {
    std::string_view woAxis;
    std::string_view baseAxis;
};

// The Di-Hd-En-Fs quadrilateral: Wo 0 to 50 with Wo up; above 50 its sides go on dashed
// up to `topWo` so that Ca-richer points still have a place.
void drawQuadrilateralFrame(SvgDocument& doc, const TernaryFrame& f, double topWo,
                            const QuadrilateralLabels& labels) {
    doc.openGroup("axes");
    doc.polygon({f.at(0, 0), f.at(0, 100), f.at(50, 50), f.at(50, 0)}, kFrameStroke, "none",
                "frame");
    if (topWo > 50.0) {
        doc.line(f.at(50, 0), f.at(topWo, 0), kExtensionStroke);
        doc.line(f.at(50, 50), f.at(topWo, 100 - topWo), kExtensionStroke);
        if (topWo < 100.0) doc.line(f.at(topWo, 0), f.at(topWo, 100 - topWo), kExtensionStroke);
    }
    const SvgTextStyle end{kTickFont, TextAnchor::End, false, false, kInk, 0.0};
    // From Wo 10: the En corner stands at Wo 0.
    for (int wo = 10; wo <= 50; wo += 10) {
        const SvgPoint p = f.at(wo, 0);
        doc.line(p, {p.x - 6.0, p.y}, kTickStroke);
        doc.text({p.x - 9.0, p.y + 4.0}, std::to_string(wo), end);
    }
    SvgTextStyle below = end;
    below.anchor = TextAnchor::Middle;
    for (int fs = 0; fs <= 100; fs += 10) {
        const SvgPoint p = f.at(0, fs);
        doc.line(p, {p.x, p.y + 5.0}, kTickStroke);
        doc.text({p.x, p.y + 19.0}, std::to_string(fs), below);
    }
    const SvgPoint en = f.at(0, 0);
    const SvgPoint fs = f.at(0, 100);
    const SvgPoint di = f.at(50, 0);
    const SvgPoint hd = f.at(50, 50);
    cornerLabel(doc, {en.x - 10.0, en.y + 5.0}, "En", TextAnchor::End);
    cornerLabel(doc, {fs.x + 10.0, fs.y + 5.0}, "Fs", TextAnchor::Start);
    cornerLabel(doc, {di.x - 10.0, di.y - 8.0}, "Di", TextAnchor::End);
    cornerLabel(doc, {hd.x + 10.0, hd.y - 8.0}, "Hd", TextAnchor::Start);
    // The Wo axis runs along the left side, at 60 degrees.
    const SvgPoint mid = f.at(25, 0);
    doc.text({mid.x - 0.866 * 42.0, mid.y - 0.5 * 42.0}, labels.woAxis,
             {kAxisFont, TextAnchor::Middle, true, false, kInk, -60.0}, "axis-title");
    doc.text({(en.x + fs.x) / 2.0, en.y + 40.0}, labels.baseAxis,
             {kAxisFont, TextAnchor::Middle, true, false, kInk, 0.0}, "axis-title");
    doc.closeGroup();
}

// The quadrilateral's height: Wo 50, or enough for the most Ca-rich point.
double quadrilateralTop(const std::vector<Ternary>& points) {
    double most = 50.0;
    for (const Ternary& t : points) most = std::max(most, t.top);
    if (most <= 51.0) return 50.0;
    return std::min(100.0, std::ceil(most / 10.0) * 10.0);
}

// ---------------------------------------------------------------- the diagrams

Quantity valueAt(const PlotDataRow& row, std::size_t column) {
    return column < row.values.size() ? row.values[column] : Quantity::blank();
}

struct Drawing {
    SvgDocument& doc;
    const PlotData& data;
    const std::vector<std::size_t>* cols;  // null when there is nothing to plot
    std::vector<Series> series;
    Tally tally;
    std::vector<FieldName> fieldNames;
};

// The points of an x-y plot: the columns come in (y, x) pairs, one pair per series, as
// the volume files list VM1 before Vcell.
void plotXYPoints(Drawing& d, const CartesianFrame& f) {
    if (d.cols == nullptr) return;
    d.doc.openGroup("markers");
    for (const PlotDataRow& row : d.data.rows) {
        bool blank = false;
        for (std::size_t s = 0; s < d.series.size(); ++s) {
            const Quantity y = valueAt(row, (*d.cols)[2 * s]);
            const Quantity x = valueAt(row, (*d.cols)[2 * s + 1]);
            Series& series = d.series[s];
            if (x.isBlank() || y.isBlank()) {
                blank = true;
            } else if (!f.holds(x.value(), y.value())) {
                ++d.tally.outside;
            } else {
                const std::string prefix =
                    d.series.size() > 1 ? std::string(series.name) + ": " : std::string();
                d.doc.marker(f.at(x.value(), y.value()), series.shape, series.fill, series.cssClass,
                             markerTitle(row, prefix));
                ++series.plotted;
            }
        }
        if (blank) ++d.tally.blankLines;
    }
    d.doc.closeGroup();
}

// The points of a triangle: three columns, top, left and right component.
void plotTernaryPoints(Drawing& d, const TernaryFrame& f) {
    if (d.cols == nullptr) return;
    d.doc.openGroup("markers");
    for (const PlotDataRow& row : d.data.rows) {
        const auto t = normalised(valueAt(row, (*d.cols)[0]), valueAt(row, (*d.cols)[1]),
                                  valueAt(row, (*d.cols)[2]));
        if (!t) {
            ++d.tally.blankLines;
        } else if (!inTriangle(*t)) {
            ++d.tally.outside;
        } else {
            d.doc.marker(f.at(*t), d.series[0].shape, d.series[0].fill, d.series[0].cssClass,
                         markerTitle(row, ""));
            ++d.series[0].plotted;
        }
    }
    d.doc.closeGroup();
}

void drawQJ(Drawing& d, const Plan& plan) {
    const CartesianFrame f = cartesianFrame(plan.x, plan.y, true);
    drawCartesianAxes(d.doc, f, false);
    d.doc.openGroup("fields");
    // Q + J = 2.0 closes the field of the pyroxenes, Q + J = 1.5 bounds Quad, Ca-Na and Na
    // from Others, and J / (Q + J) = 0.2 and 0.8 part those three.
    d.doc.line(f.at(0, 2), f.at(2, 0), kBoundaryStroke);
    d.doc.line(f.at(0, 1.5), f.at(1.5, 0), kBoundaryStroke);
    for (const double r : {0.2, 0.8}) {
        d.doc.line(f.at(r * 1.5, (1 - r) * 1.5), f.at(r * 2.0, (1 - r) * 2.0), kBoundaryStroke);
    }
    d.doc.closeGroup();
    // Names in the lower, emptier part of each field, away from Q + J = 2.
    d.fieldNames = {{f.at(0.2, 1.44), "Quad"},
                    {f.at(0.82, 0.84), "Ca-Na"},
                    {f.at(1.6, 0.1), "Na"},
                    {f.at(0.55, 0.55), "Others"}};
    plotXYPoints(d, f);
}

void drawMorimotoQuadrilateralFields(Drawing& d, const TernaryFrame& f) {
    SvgDocument& doc = d.doc;
    doc.openGroup("fields");
    for (const double wo : {5.0, 20.0, 45.0})
        doc.line(f.at(wo, 0), f.at(wo, 100 - wo), kBoundaryStroke);
    // En = Fs parts diopside from hedenbergite and clinoenstatite from clinoferrosilite.
    doc.line(f.at(45, 27.5), f.at(50, 25), kBoundaryStroke);
    doc.line(f.at(0, 50), f.at(5, 47.5), kBoundaryStroke);
    doc.closeGroup();
    // Positions as (Wo, point on the base line below the name).
    const auto place = [&](double wo, double x) { return f.at(wo, x - wo / 2.0); };
    d.fieldNames = {{place(47.5, 37.0), "diopside", 12.0},
                    {place(47.5, 63.0), "hedenbergite", 12.0},
                    {place(32.5, 50.0), "augite"},
                    {place(12.5, 50.0), "pigeonite"},
                    {place(2.5, 27.0), "clinoenstatite", 12.0},
                    {place(2.5, 73.0), "clinoferrosilite", 12.0}};
    // The Wo values of the boundaries, beyond the right side.
    const SvgTextStyle note{11.0, TextAnchor::Start, false, false, kMuted, 0.0};
    for (const int wo : {5, 20, 45, 50}) {
        const SvgPoint p = f.at(wo, 100 - wo);
        doc.text({p.x + 8.0, p.y + 4.0}, "Wo " + std::to_string(wo), note);
    }
}

void drawQuadrilateral(Drawing& d, bool morimotoFields, const QuadrilateralLabels& labels) {
    std::vector<Ternary> placed;
    if (d.cols != nullptr) {
        for (const PlotDataRow& row : d.data.rows) {
            const auto t = normalised(valueAt(row, (*d.cols)[0]), valueAt(row, (*d.cols)[1]),
                                      valueAt(row, (*d.cols)[2]));
            if (t && inTriangle(*t)) placed.push_back(*t);
        }
    }
    const double topWo = quadrilateralTop(placed);
    const TernaryFrame f = ternaryFrame(topWo, kQuadrilateralWidth);
    drawQuadrilateralFrame(d.doc, f, topWo, labels);
    if (morimotoFields) drawMorimotoQuadrilateralFields(d, f);
    plotTernaryPoints(d, f);
}

void drawLindsley(Drawing& d) {
    struct Pair {
        std::optional<Ternary> cpx;
        std::optional<Ternary> opx;
    };
    std::vector<Pair> pairs;
    std::vector<Ternary> placed;
    if (d.cols != nullptr) {
        const auto& c = *d.cols;
        for (const PlotDataRow& row : d.data.rows) {
            Pair p{normalised(valueAt(row, c[0]), valueAt(row, c[1]), valueAt(row, c[2])),
                   normalised(valueAt(row, c[3]), valueAt(row, c[4]), valueAt(row, c[5]))};
            for (const auto& t : {p.cpx, p.opx}) {
                if (t && inTriangle(*t)) placed.push_back(*t);
            }
            pairs.push_back(p);
        }
    }
    const double topWo = quadrilateralTop(placed);
    const TernaryFrame f = ternaryFrame(topWo, kQuadrilateralWidth);
    drawQuadrilateralFrame(d.doc, f, topWo, {"Wo (mol %)", "Fs (mol %)"});
    drawLegend(d.doc, d.series, true);
    if (d.cols == nullptr) return;
    const auto usable = [](const std::optional<Ternary>& t) { return t && inTriangle(*t); };
    d.doc.openGroup("tie-lines");
    for (const Pair& p : pairs) {
        if (usable(p.cpx) && usable(p.opx)) {
            d.doc.line(f.at(*p.cpx), f.at(*p.opx), {kTieLine, 1.0, false});
        }
    }
    d.doc.closeGroup();
    d.doc.openGroup("markers");
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const PlotDataRow& row = d.data.rows[i];
        const std::string pairName = "Pair " + std::to_string(i + 1) + " ";
        const std::array<const std::optional<Ternary>*, 2> sides{&pairs[i].cpx, &pairs[i].opx};
        bool blank = false;
        for (std::size_t s = 0; s < 2; ++s) {
            const auto& t = *sides[s];
            Series& series = d.series[s];
            if (!t) {
                blank = true;
            } else if (!inTriangle(*t)) {
                ++d.tally.outside;
            } else {
                const std::string title = row.sample.empty()
                                              ? pairName + std::string(series.name) + " (line " +
                                                    std::to_string(row.lineNumber) + ")"
                                              : row.sample + " " + std::string(series.name);
                d.doc.marker(f.at(*t), series.shape, series.fill, series.cssClass, title);
                ++series.plotted;
            }
        }
        if (blank) ++d.tally.blankLines;
    }
    d.doc.closeGroup();
}

void drawQJdAe(Drawing& d) {
    const TernaryFrame f = ternaryFrame(100.0, kPlotRight - kPlotLeft);
    drawTriangleFrame(d.doc, f, {"Q", "Jd", "Ae"}, false);
    d.doc.openGroup("fields");
    for (const double q : {20.0, 80.0}) d.doc.line(f.at(q, 0), f.at(q, 100 - q), kBoundaryStroke);
    // Jd = Ae, from the middle of the base up to Q = 80.
    d.doc.line(f.at(0, 50), f.at(80, 10), kBoundaryStroke);
    d.doc.closeGroup();
    const auto place = [&](double q, double x) { return f.at(q, x - q / 2.0); };
    d.fieldNames = {{place(87.0, 50.0), "Quad"},
                    {place(38.0, 34.0), "omphacite"},
                    {place(38.0, 66.5), "aegirine-augite", 12.0},
                    {place(9.0, 28.0), "jadeite"},
                    {place(9.0, 72.0), "aegirine"}};
    plotTernaryPoints(d, f);
}

void drawTiNaAlIV(Drawing& d) {
    const TernaryFrame f = ternaryFrame(100.0, kPlotRight - kPlotLeft);
    drawTriangleFrame(d.doc, f, {"Ti", "Na", "Al(IV)"}, true);
    plotTernaryPoints(d, f);
}

void drawXY(Drawing& d, const Plan& plan, bool square) {
    const CartesianFrame f = cartesianFrame(plan.x, plan.y, square);
    drawCartesianAxes(d.doc, f, true);
    if (d.series.size() > 1) drawLegend(d.doc, d.series, false);
    plotXYPoints(d, f);
}

// The value headings each diagram reads, in the order its drawing uses them: (y, x)
// pairs for x-y plots, (top, left, right) for triangles.
std::vector<std::string_view> neededHeadings(int index, Kind kind) {
    switch (kind) {
        case Kind::QJ:
            return {"Q", "J"};
        case Kind::WoEnFs:
            return {"Wo", "En", "Fs"};
        case Kind::QJdAe:
            return {"Q", "Jd", "Ae"};
        case Kind::CaMgFeMn:
            return {"Ca", "Mg", "Fetot+Mn"};
        case Kind::Lindsley:
            return {"Wo", "En", "Fs", "Wo(o)", "En(o)", "Fs(o)"};
        case Kind::AlIVAlVI:
            return {"AlVI", "AlIV"};
        case Kind::TiNaAlIV:
            return {"Ti", "Na", "AlIV"};
        case Kind::Volumes:
            break;
    }
    if (index == 16) return {"VM1CorrMA", "VcellCorrMA", "VM1CorrTH", "VcellCorrTH"};
    return {"VM1", "Vcell"};
}

std::optional<std::vector<std::size_t>> columnsFor(const PlotData& data,
                                                   const std::vector<std::string_view>& names) {
    std::vector<std::size_t> out;
    const auto& headings = data.layout.valueHeadings;
    for (const std::string_view name : names) {
        const auto it = std::find(headings.begin(), headings.end(), name);
        if (it == headings.end()) return std::nullopt;
        out.push_back(static_cast<std::size_t>(it - headings.begin()));
    }
    return out;
}

std::vector<Series> seriesFor(int index, Kind kind) {
    using Shape = SvgDocument::Shape;
    if (kind == Kind::Lindsley) {
        return {{Shape::Circle, kFirstSeries, "marker cpx", "Cpx", 0},
                {Shape::Square, kSecondSeries, "marker opx", "Opx", 0}};
    }
    if (index == 16) {
        return {{Shape::Circle, kFirstSeries, "marker ma", "MA", 0},
                {Shape::Triangle, kSecondSeries, "marker th", "TH", 0}};
    }
    return {{Shape::Circle, kFirstSeries, "marker", {}, 0}};
}

std::string statusLine(const Drawing& d, bool columnsFound, bool volumes) {
    const std::string& file = d.data.fileName;
    if (!d.data.found) {
        if (d.data.missing) return "no data: " + file + " was not found.";
        return "no data: " + file + " could not be read (" + d.data.error + ").";
    }
    if (!d.data.hasDataLines()) return "no data: " + file + " holds no data lines.";
    if (!columnsFound)
        return "no data: " + file + " does not have the heading line of this diagram.";
    std::string s;
    int plotted = 0;
    for (const Series& series : d.series) plotted += series.plotted;
    if (d.data.rows.empty()) {
        s = "no data: " + file + " holds no readable data lines";
    } else if (d.series.size() == 1) {
        const bool named = d.data.layout.hasSample;
        s = file + ": " +
            counted(plotted, named ? "sample" : "analysis", named ? "samples" : "analyses") +
            " plotted";
    } else {
        s = file + ": ";
        for (std::size_t i = 0; i < d.series.size(); ++i) {
            if (i > 0) s += i + 1 == d.series.size() ? " and " : ", ";
            s += std::to_string(d.series[i].plotted) + " " + std::string(d.series[i].name);
        }
        s += " points plotted";
    }
    if (d.tally.blankLines > 0) {
        // A volume is blank when it failed its range test.
        s += "; " + counted(d.tally.blankLines, "line", "lines") +
             (volumes ? " with a blank (out-of-range) volume" : " with a blank value");
    }
    if (d.tally.outside > 0) {
        s += "; " + counted(d.tally.outside, "point", "points") + " beyond the axes not drawn";
    }
    if (d.data.skippedLines > 0) {
        s +=
            "; " + counted(d.data.skippedLines, "unreadable line", "unreadable lines") + " skipped";
    }
    return s + ".";
}

}  // namespace

std::string drawDiagramSvg(int index, const PlotData& data) {
    if (index < 0 || index >= kDiagramCount) return {};
    const DiagramEntry& entry = kDiagramCatalogue[static_cast<std::size_t>(index)];
    const std::string_view title = diagramTitle(entry);
    // The menu caption's runs of blanks read as one.
    std::string plainTitle;
    for (const char c : title) {
        if (c != ' ' || plainTitle.empty() || plainTitle.back() != ' ') plainTitle.push_back(c);
    }
    const Plan plan = planOf(index);

    SvgDocument doc(kDiagramWidth, kDiagramHeight, plainTitle);
    drawTitle(doc, plainTitle);

    const auto cols = columnsFor(data, neededHeadings(index, plan.kind));
    const bool plottable = data.found && cols.has_value() && !data.rows.empty();
    Drawing d{doc, data, plottable ? &*cols : nullptr, seriesFor(index, plan.kind), {}, {}};

    switch (plan.kind) {
        case Kind::QJ:
            drawQJ(d, plan);
            break;
        case Kind::WoEnFs:
            drawQuadrilateral(d, true, {"Wo (mol %)", "Fs (mol %)"});
            break;
        case Kind::CaMgFeMn:
            drawQuadrilateral(d, false, {"Ca (atomic %)", "Fetot + Mn (atomic %)"});
            break;
        case Kind::Lindsley:
            drawLindsley(d);
            break;
        case Kind::QJdAe:
            drawQJdAe(d);
            break;
        case Kind::TiNaAlIV:
            drawTiNaAlIV(d);
            break;
        case Kind::AlIVAlVI:
            drawXY(d, plan, true);
            break;
        case Kind::Volumes:
            drawXY(d, plan, false);
            break;
    }
    drawFieldNames(doc, d.fieldNames);
    drawCaption(
        doc, {std::string(plan.note), statusLine(d, cols.has_value(), plan.kind == Kind::Volumes)});
    return doc.finish();
}

}  // namespace kalvoren
