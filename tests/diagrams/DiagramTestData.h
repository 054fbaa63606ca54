#pragma once
// Helpers of the diagram tests: data lines laid out as the writer lays them out, a
// scratch folder, and the parsed SVG.

#include <gtest/gtest.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kalvoren::testing {

// Fields in print zones: each field at ((start + length) / 14 + 1) * 14 after the
// previous one; an empty field keeps its zone.
inline std::string zoneLine(const std::vector<std::string>& fields) {
    std::string line;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line.resize(start, ' ');
        line += fields[i];
        start = (start + fields[i].size()) / 14 * 14 + 14;
    }
    return line;
}

// A whole data file: heading and data lines, CR LF after each.
inline std::string dataFile(const std::vector<std::string>& heading,
                            const std::vector<std::vector<std::string>>& lines) {
    std::string s = zoneLine(heading) + "\r\n";
    for (const auto& l : lines) s += zoneLine(l) + "\r\n";
    return s;
}

class ScratchFolder {
  public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("kalvoren-diagrams-" + std::string(info->test_suite_name()) + "-" + info->name() +
                 "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& contents) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out << contents;
    }

  private:
    std::filesystem::path path_;
};

struct ParsedSvg {
    pugi::xml_document doc;
    bool ok = false;
    std::string error;

    explicit ParsedSvg(const std::string& svg) {
        const auto result = doc.load_string(svg.c_str());
        ok = static_cast<bool>(result);
        error = result.description();
    }
    pugi::xpath_node_set markers() const {
        return doc.select_nodes("//*[contains(concat(' ', @class, ' '), ' marker ')]");
    }
    pugi::xml_node frame() const { return doc.select_node("//*[@id='frame']").node(); }
    // The texts of a class, joined by blanks.
    std::string texts(const char* cssClass) const {
        std::string out;
        const std::string query =
            std::string("//*[local-name()='text' and @class='") + cssClass + "']";
        for (const auto& n : doc.select_nodes(query.c_str())) {
            if (!out.empty()) out += ' ';
            out += n.node().child_value();
        }
        return out;
    }
};

struct Point {
    double x = 0.0;
    double y = 0.0;
};

inline std::vector<Point> polygonPoints(const pugi::xml_node& node) {
    std::vector<Point> points;
    std::string s = node.attribute("points").as_string();
    for (char& c : s) {
        if (c == ',') c = ' ';
    }
    std::istringstream in(s);
    Point p;
    while (in >> p.x >> p.y) points.push_back(p);
    return points;
}

// Where a marker is drawn: the centre of a circle, square or triangle.
inline Point markerCentre(const pugi::xml_node& m) {
    const std::string name = m.name();
    if (name == "circle") return {m.attribute("cx").as_double(), m.attribute("cy").as_double()};
    if (name == "rect") {
        return {m.attribute("x").as_double() + m.attribute("width").as_double() / 2,
                m.attribute("y").as_double() + m.attribute("height").as_double() / 2};
    }
    // A triangle: the apex r above the centre, the base r / 2 below it.
    const auto pts = polygonPoints(m);
    if (pts.size() != 3) return {};
    return {pts[0].x, pts[0].y + (pts[1].y - pts[0].y) / 1.5};
}

}  // namespace kalvoren::testing
