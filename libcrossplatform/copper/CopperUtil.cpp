#include "copper/CopperUtil.h"

#include <cctype>

#include "serialization/Assert.h"
#include "serialization/CountedList.h"

namespace Kestrix {

int kHzToIdx(int f) {
    if (f < 1000) return 0;
    if (f < 31250) return (f - 1000) / 125;
    if (f < 100000) return (f - 31250) / 250 + 242;
    if (f < 250000) return (f - 100000) / 500 + 517;
    if (f < 1200000) return (f - 250000) / 1000 + 817;
    return (f - 1200000) / 2000 + 1767;
}

int idxToKHz(int i) {
    if (i < 0) return 1000;
    if (i < 242) return (i + 8) * 125;
    if (i < 517) return (i - 117) * 250;
    if (i < 817) return (i - 317) * 500;
    if (i < 1767) return (i - 567) * 1000;
    // Far beyond any stored grid; saturate rather than overflow.
    if (i > 1167 + INT32_MAX / 2000) return (INT32_MAX / 2000) * 2000;
    return (i - 1167) * 2000;
}

void packCurve(const int16_t* src, int srcLen, uint8_t* dst, unsigned* dstLen) {
    KX_ASSERT(srcLen >= 0);
    KX_ASSERT(*dstLen >= static_cast<unsigned>(srcLen * 3));
    unsigned out = 0;
    int32_t previous = 0;
    for (int i = 0; i < srcLen; ++i) {
        const int32_t s = src[i];
        const int32_t d = s - previous;
        if (d > -128 && d < 128) {
            dst[out++] = static_cast<uint8_t>(static_cast<int8_t>(d));
        } else {
            const auto u = static_cast<uint16_t>(s);
            dst[out++] = kCurveEscape;
            dst[out++] = static_cast<uint8_t>(u & 0xFF);
            dst[out++] = static_cast<uint8_t>(u >> 8);
        }
        previous = s;
    }
    *dstLen = out;
}

std::vector<uint8_t> packCurve(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out(samples.size() * 3);
    unsigned len = static_cast<unsigned>(out.size());
    packCurve(samples.data(), static_cast<int>(samples.size()), out.data(), &len);
    out.resize(len);
    return out;
}

bool unpackCurve(const uint8_t* src, uint32_t srcLen, int16_t* dst, uint32_t count, uint32_t* used) {
    uint32_t pos = 0;
    int32_t previous = 0;
    bool complete = true;
    for (uint32_t i = 0; i < count; ++i) {
        if (pos >= srcLen) {
            complete = false;
            break;
        }
        const uint8_t b = src[pos++];
        int32_t s;
        if (b == kCurveEscape) {
            if (srcLen - pos < 2) {
                complete = false;
                break;
            }
            const auto u = static_cast<uint16_t>(src[pos] | (src[pos + 1] << 8));
            pos += 2;
            s = static_cast<int16_t>(u);
        } else {
            // Wraps like the tester's 16-bit arithmetic.
            s = static_cast<int16_t>(static_cast<uint16_t>(previous + static_cast<int8_t>(b)));
        }
        dst[i] = static_cast<int16_t>(s);
        previous = s;
    }
    if (used) *used = pos;
    return complete;
}

void writePackedCurve(Marshal::IObjectWriter& w, const std::vector<int16_t>& samples) {
    w.write(static_cast<uint32_t>(samples.size()));
    if (samples.empty()) return;
    const std::vector<uint8_t> packed = packCurve(samples);
    w.write(static_cast<uint32_t>(packed.size()));
    w.write(packed.data(), static_cast<uint32_t>(packed.size()));
}

Marshal::StreamOpStatus readPackedCurve(Marshal::IObjectReader& r, std::vector<int16_t>& samples) {
    samples.clear();
    uint32_t count = 0;
    if (!r.read(count)) return Marshal::readError;
    if (count == 0) return Marshal::ok;
    std::vector<uint8_t> packed;
    // Every sample takes at least one packed byte.
    if (Marshal::readValues<uint32_t>(r, packed) != Marshal::ok || count > packed.size()) return Marshal::readError;
    const auto packedLen = static_cast<uint32_t>(packed.size());
    samples.resize(count);
    if (!unpackCurve(packed.data(), packedLen, samples.data(), count)) {
        samples.clear();
        return Marshal::readError;
    }
    return Marshal::ok;
}

namespace {
bool readNumber(const std::string& text, size_t& pos, int& out) {
    const size_t start = pos;
    long long v = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (v < 100000000) v = v * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) return false;
    out = static_cast<int>(v);
    return true;
}
}  // namespace

bool parseDbVersion(const std::string& text, DbVersionNumber& out) {
    if (text.empty() || (text[0] != 'V' && text[0] != 'v')) return false;
    size_t pos = 1;
    DbVersionNumber v;
    if (!readNumber(text, pos, v.major)) return false;
    if (pos >= text.size() || text[pos] != '.') return false;
    ++pos;
    if (!readNumber(text, pos, v.minor)) return false;
    out = v;
    return true;
}

bool dbVersionBelow(const std::string& text, int major, int minor) {
    DbVersionNumber v;
    if (!parseDbVersion(text, v)) return true;
    return v.major < major || (v.major == major && v.minor < minor);
}

}  // namespace Kestrix
