// Output files for pictures: PNG, SVG and PDF written under a temporary name and renamed.
#include "tester/report/Canvas.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "tester/draw/CairoPainter.h"
#include "tester/draw/Raster.h"
#include "tester/draw/SvgPainter.h"

namespace Kestrix::Report {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// Pictures stacked top to bottom on one canvas as wide as the widest.
void stackedSize(const std::vector<Picture>& pictures, double& width, double& height) {
    width = 1;
    height = 0;
    for (const Picture& p : pictures) {
        width = std::max(width, p.width);
        height += p.height;
    }
    height = std::max(height, 1.0);
}

void drawStacked(Draw::Painter& painter, const std::vector<Picture>& pictures, double width, double height) {
    painter.setColour({1, 1, 1});
    painter.rectangle(0, 0, width, height);
    painter.fill();
    double y = 0;
    for (const Picture& p : pictures) {
        painter.save();
        painter.translate(0, y);
        painter.clipRect(0, 0, p.width, p.height);
        if (p.draw) p.draw(painter);
        painter.restore();
        y += p.height;
    }
}

std::string stackedSvg(const std::vector<Picture>& pictures, const std::string& idPrefix) {
    double width = 0, height = 0;
    stackedSize(pictures, width, height);
    Draw::SvgPainter painter(width, height, idPrefix);
    drawStacked(painter, pictures, width, height);
    return painter.document();
}

}  // namespace

void releaseFontCachesAtExit() { Draw::releaseFontCachesAtExit(); }

boost::optional<OutputKind> outputKindOf(const std::string& path) {
    const std::string p = lower(path);
    if (endsWith(p, ".png")) return OutputKind::Png;
    if (endsWith(p, ".svg")) return OutputKind::Svg;
    if (endsWith(p, ".pdf")) return OutputKind::Pdf;
    return boost::none;
}

std::string tempNameFor(const std::string& path) {
    static std::mt19937_64 rng{std::random_device{}()};
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%d.%08llx.tmp", static_cast<int>(getpid()),
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
    const fs::path p(path);
    std::string name = ".";
    name += p.filename().string();
    name += suffix;
    return (p.parent_path() / name).string();
}

std::string commitFile(const std::string& temp, const std::string& path) {
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (!ec) return "";
    fs::remove(temp, ec);
    return "cannot write " + path;
}

std::string writeFileAtomically(const std::string& path, const std::string& bytes) {
    const std::string temp = tempNameFor(path);
    {
        std::ofstream out(temp, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            return "cannot write " + path;
        }
    }
    return commitFile(temp, path);
}

std::string writePictures(const std::string& path, const std::vector<Picture>& pictures) {
    const auto kind = outputKindOf(path);
    if (!kind) return "the output name must end in .png, .svg or .pdf: " + path;
    if (pictures.empty()) return "nothing to draw";
    releaseFontCachesAtExit();
    if (*kind == OutputKind::Svg)
        return writeFileAtomically(path,
                                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + stackedSvg(pictures, "k") + "\n");
    if (*kind == OutputKind::Png) {
        double width = 0, height = 0;
        stackedSize(pictures, width, height);
        if (width * height > Draw::kMaxPixels) return "the picture would be too large";
        const auto png = Draw::renderPng(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)),
                                         [&](Draw::Painter& p) { drawStacked(p, pictures, width, height); });
        if (png.empty()) return "cannot write " + path + ": the picture could not be drawn";
        return writeFileAtomically(path, std::string(png.begin(), png.end()));
    }
    const std::string temp = tempNameFor(path);
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    {
        Draw::SurfacePtr surface(
            cairo_pdf_surface_create(temp.c_str(), pictures.front().width, pictures.front().height));
        ContextPtr cr(cairo_create(surface.get()));
        Draw::CairoPainter painter(cr.get());
        for (const Picture& p : pictures) {
            cairo_pdf_surface_set_size(surface.get(), p.width, p.height);
            painter.save();
            if (p.draw) p.draw(painter);
            painter.restore();
            cairo_show_page(cr.get());
        }
        status = cairo_status(cr.get());
        cairo_surface_finish(surface.get());
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        std::error_code ec;
        fs::remove(temp, ec);
        return "cannot write " + path + ": " + cairo_status_to_string(status);
    }
    return commitFile(temp, path);
}

std::string svgText(const Picture& picture) {
    releaseFontCachesAtExit();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + stackedSvg({picture}, "k") + "\n";
}

std::string svgElement(const Picture& picture, const std::string& idPrefix) {
    releaseFontCachesAtExit();
    return stackedSvg({picture}, idPrefix);
}

std::vector<uint8_t> pngBytes(const Picture& picture) {
    if (picture.width * picture.height > Draw::kMaxPixels || picture.width < 1 || picture.height < 1) return {};
    return Draw::renderPng(static_cast<int>(std::ceil(picture.width)), static_cast<int>(std::ceil(picture.height)),
                           [&](Draw::Painter& p) { drawStacked(p, {picture}, picture.width, picture.height); });
}

}  // namespace Kestrix::Report
