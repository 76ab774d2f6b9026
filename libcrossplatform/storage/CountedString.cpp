#include "storage/CountedString.h"

namespace Project {

void writeCountedString(Marshal::IObjectWriter& w, const std::string& text) {
    w.write(static_cast<uint32_t>(text.size() + 1));
    w.write(text.data(), static_cast<uint32_t>(text.size()));
    w.write('\0');
}

Marshal::StreamOpStatus readCountedString(Marshal::IObjectReader& r, std::string& text, bool coreLimits) {
    text.clear();
    uint32_t count = 0;
    r.read(count);
    if (r.failed()) return Marshal::readError;
    if (coreLimits && (count == 0 || count > kCoreMaxCountedLength)) return Marshal::invalidData;
    // The count is untrusted: it must fit the bytes left before it sizes anything.
    if (count > r.remaining()) return Marshal::readError;
    std::string buf(count, '\0');
    r.read(buf.data(), count);
    if (r.failed()) return Marshal::readError;
    const auto nul = buf.find('\0');
    text = nul == std::string::npos ? buf : buf.substr(0, nul);
    return Marshal::ok;
}

std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

}  // namespace Project
