#include "fiber/FiberImage.h"

#include <cstdio>
#include <string>

#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

const char* toString(FiberImage::Format f) { return f == FiberImage::Format::png ? "png" : ""; }

bool FiberImage::operator==(const FiberImage& o) const {
    return imageBytes == o.imageBytes && heightPixels == o.heightPixels && widthPixels == o.widthPixels &&
           imageFormat == o.imageFormat && pixelPerUm == o.pixelPerUm;
}

void FiberImage::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberImage);
    h.serialize(w);
    w.write(static_cast<uint32_t>(imageBytes.size()));
    if (!imageBytes.empty()) w.write(imageBytes.data(), static_cast<uint32_t>(imageBytes.size()));
    w.write(heightPixels);
    w.write(widthPixels);
    w.write(static_cast<uint8_t>(imageFormat));
    w.write(pixelPerUm);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberImage::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberImage)) return st;
    *this = FiberImage();
    if (auto st = Marshal::readValues<uint32_t>(r, imageBytes)) return h.finishRead(r, st);
    r.read(heightPixels);
    r.read(widthPixels);
    imageFormat = Marshal::readEnum<Format>(r);
    r.read(pixelPerUm);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberImage::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("class", "FiberImage");
    f.write("imageSize", static_cast<uint32_t>(imageBytes.size()));
}

Json::Value FiberImage::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["imageSize"] = static_cast<Json::UInt64>(imageBytes.size());
    j["heightPixels"] = heightPixels;
    j["widthPixels"] = widthPixels;
    if (imageFormat == Format::png) {
        j["imageFormat"] = toString(imageFormat);
    } else {
        // A file may name a format this program does not know; say so instead of stopping.
        j["imageFormat"] = "unknown (" + std::to_string(static_cast<unsigned>(imageFormat)) + ")";
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(pixelPerUm));
    j["pixelPerUm"] = buf;
    return j;
}

}  // namespace Kestrix
