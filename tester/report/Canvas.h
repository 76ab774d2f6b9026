#pragma once
// Pictures drawn with cairo and written by the output name's extension: PNG, SVG or PDF. A picture is a
// size and a function that draws it; several pictures become PDF pages, or are stacked on one PNG or SVG.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <boost/optional.hpp>

typedef struct _cairo cairo_t;

namespace Kestrix::Report {

enum class OutputKind { Png, Svg, Pdf };

// By extension, case-insensitive; none for any other name.
boost::optional<OutputKind> outputKindOf(const std::string& path);

using DrawFn = std::function<void(cairo_t*)>;

struct Picture {
    std::string name;   // short name the CLI selects it by ("otdr", "next", "wiremap", ...)
    std::string title;  // what a person reads
    double width = 0;   // pixels (points in a PDF)
    double height = 0;
    DrawFn draw;
};

// Writes the pictures to `path` (kind from its extension) through a temporary name in the same folder, then
// renames it; nothing is left behind on failure. "" when written, else why not.
std::string writePictures(const std::string& path, const std::vector<Picture>& pictures);

// One picture as an SVG document, or as a PNG file's bytes (empty on failure).
std::string svgText(const Picture& picture);
std::vector<uint8_t> pngBytes(const Picture& picture);

// Text that went through a cairo call must be valid UTF-8 without control characters; tester names are
// neither, so they are cleaned first.
std::string cleanText(const std::string& text, size_t maxBytes = 200);

// Renames `temp` over `path`, or removes it. "" or the reason.
std::string commitFile(const std::string& temp, const std::string& path);
std::string tempNameFor(const std::string& path);

// cairo and fontconfig keep their font caches for the life of the process; this hands them back at exit so
// leak checkers see a clean end. Every drawing entry point calls it.
void releaseFontCachesAtExit();

}  // namespace Kestrix::Report
