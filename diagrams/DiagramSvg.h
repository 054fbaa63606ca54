#pragma once
// Draws the diagrams of the Graph menu as standalone SVG: axes, ticks and labels, the
// field boundaries and names where they are published definitions, and one marker per
// data point with the sample name as its tooltip.

#include <string>

#include "diagrams/PlotDataReader.h"

namespace kalvoren {

// Nominal size in pixels; the drawing scales freely.
inline constexpr double kDiagramWidth = 640.0;
inline constexpr double kDiagramHeight = 560.0;

// Diagram `index` of kDiagramCatalogue drawn from the contents of its data file. A file
// that was not found or holds no data lines gives the frame and a "no data" caption.
// An index outside the catalogue gives an empty string.
std::string drawDiagramSvg(int index, const PlotData& data);

}  // namespace kalvoren
