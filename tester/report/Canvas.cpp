// Output surfaces for pictures: PNG, SVG and PDF files written under a temporary name and renamed.
#include "tester/report/Canvas.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>

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

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendToBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

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

void drawStacked(cairo_t* cr, const std::vector<Picture>& pictures, double width, double height) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    double y = 0;
    for (const Picture& p : pictures) {
        cairo_save(cr);
        cairo_translate(cr, 0, y);
        cairo_rectangle(cr, 0, 0, p.width, p.height);
        cairo_clip(cr);
        if (p.draw) p.draw(cr);
        cairo_restore(cr);
        y += p.height;
    }
}

std::string statusText(cairo_status_t s) { return cairo_status_to_string(s); }

// Pixel canvases beyond this are refused rather than allocated.
constexpr double kMaxPixels = 64.0 * 1024 * 1024;

}  // namespace

void releaseFontCachesAtExit() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
    });
}

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

std::string writePictures(const std::string& path, const std::vector<Picture>& pictures) {
    const auto kind = outputKindOf(path);
    if (!kind) return "the output name must end in .png, .svg or .pdf: " + path;
    if (pictures.empty()) return "nothing to draw";
    releaseFontCachesAtExit();
    const std::string temp = tempNameFor(path);
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    if (*kind == OutputKind::Pdf) {
        SurfacePtr surface(cairo_pdf_surface_create(temp.c_str(), pictures.front().width, pictures.front().height));
        ContextPtr cr(cairo_create(surface.get()));
        for (const Picture& p : pictures) {
            cairo_pdf_surface_set_size(surface.get(), p.width, p.height);
            cairo_save(cr.get());
            if (p.draw) p.draw(cr.get());
            cairo_restore(cr.get());
            cairo_show_page(cr.get());
        }
        status = cairo_status(cr.get());
        cairo_surface_finish(surface.get());
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    } else {
        double width = 0, height = 0;
        stackedSize(pictures, width, height);
        if (*kind == OutputKind::Svg) {
            SurfacePtr surface(cairo_svg_surface_create(temp.c_str(), width, height));
            ContextPtr cr(cairo_create(surface.get()));
            drawStacked(cr.get(), pictures, width, height);
            status = cairo_status(cr.get());
            cairo_surface_finish(surface.get());
            if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
        } else {
            if (width * height > kMaxPixels) return "the picture would be too large";
            SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(width)),
                                                          static_cast<int>(std::ceil(height))));
            ContextPtr cr(cairo_create(surface.get()));
            drawStacked(cr.get(), pictures, width, height);
            status = cairo_status(cr.get());
            cairo_surface_flush(surface.get());
            if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface.get(), temp.c_str());
        }
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        std::error_code ec;
        fs::remove(temp, ec);
        return "cannot write " + path + ": " + statusText(status);
    }
    return commitFile(temp, path);
}

std::string svgText(const Picture& picture) {
    releaseFontCachesAtExit();
    std::string out;
    {
        SurfacePtr surface(cairo_svg_surface_create_for_stream(appendToString, &out, picture.width, picture.height));
        ContextPtr cr(cairo_create(surface.get()));
        drawStacked(cr.get(), {picture}, picture.width, picture.height);
        cairo_surface_finish(surface.get());
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return "";
    }
    return out;
}

std::vector<uint8_t> pngBytes(const Picture& picture) {
    releaseFontCachesAtExit();
    std::vector<uint8_t> out;
    if (picture.width * picture.height > kMaxPixels || picture.width < 1 || picture.height < 1) return out;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(picture.width)),
                                                  static_cast<int>(std::ceil(picture.height))));
    ContextPtr cr(cairo_create(surface.get()));
    drawStacked(cr.get(), {picture}, picture.width, picture.height);
    cairo_surface_flush(surface.get());
    if (cairo_surface_write_to_png_stream(surface.get(), appendToBytes, &out) != CAIRO_STATUS_SUCCESS) out.clear();
    return out;
}

std::string cleanText(const std::string& text, size_t maxBytes) {
    std::string out;
    out.reserve(std::min(text.size(), maxBytes));
    size_t i = 0;
    while (i < text.size() && out.size() < maxBytes) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = len != 0 && i + len <= text.size();
        uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
        for (size_t k = 1; ok && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            ok = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok) ok = cp >= kLeast[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        if (len == 1 && (c < 0x20 || c == 0x7F)) {
            out += ' ';
        } else {
            out.append(text, i, len);
        }
        i += len;
    }
    return out;
}

}  // namespace Kestrix::Report
