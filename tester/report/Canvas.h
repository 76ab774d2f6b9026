#pragma once
// Pictures drawn on a painter and written by the output name's extension: PNG, SVG or PDF. A picture is a
// size and a function that draws it; several pictures become PDF pages, or are stacked on one PNG or SVG.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/draw/Painter.h"
#include "tester/draw/Text.h"

namespace Kestrix::Report {

using Draw::cleanText;

enum class OutputKind { Png, Svg, Pdf };

// By extension, case-insensitive; none for any other name.
boost::optional<OutputKind> outputKindOf(const std::string& path);

using DrawFn = std::function<void(Draw::Painter&)>;

// The numbers a picture plots, for a spreadsheet: a column per axis and per curve (limits included), NaN
// where a curve has no point.
struct PlotTable {
    std::vector<std::string> headers;
    std::vector<std::vector<double>> columns;
};

struct Picture {
    std::string name;   // short name the CLI selects it by ("otdr", "next", "wiremap", ...)
    std::string title;  // what a person reads
    double width = 0;   // pixels (points in a PDF)
    double height = 0;
    DrawFn draw;
    std::function<PlotTable()> table;  // empty when the picture plots no curves
};

// Writes the pictures to `path` (kind from its extension) through a temporary name in the same folder, then
// renames it; nothing is left behind on failure. "" when written, else why not.
std::string writePictures(const std::string& path, const std::vector<Picture>& pictures);

// One picture as a standalone SVG document, as an <svg> element for a web page (`idPrefix` keeps its ids
// apart from the page's other pictures), or as a PNG file's bytes (empty on failure).
std::string svgText(const Picture& picture);
std::string svgElement(const Picture& picture, const std::string& idPrefix);
std::vector<uint8_t> pngBytes(const Picture& picture);

// Renames `temp` over `path`, or removes it. "" or the reason.
std::string commitFile(const std::string& temp, const std::string& path);
std::string tempNameFor(const std::string& path);
// Writes `bytes` to `path` through a temporary name. "" or the reason.
std::string writeFileAtomically(const std::string& path, const std::string& bytes);

// Hands cairo's and fontconfig's caches back at exit (see Draw::releaseFontCachesAtExit).
void releaseFontCachesAtExit();

}  // namespace Kestrix::Report
