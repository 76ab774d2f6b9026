#include "tester/host/Printable.h"

namespace Kestrix::Tester {

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7f) continue;
        // U+0080..U+009F is 0xC2 then 0x80..0x9F; a lone byte in that range is part of another character.
        if (c == 0xc2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9f) {
                ++i;
                continue;
            }
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

}  // namespace Kestrix::Tester
