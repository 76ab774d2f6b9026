#include "SimScpFiles.h"

#include <algorithm>

namespace Kestrix::Sim {
namespace {

// SQLite refuses a file whose first page header was overwritten as "not a database".
constexpr int64_t kDamagedBytes = 100;

void damage(std::string& piece, int64_t at) {
    for (int64_t i = at; i < kDamagedBytes && i - at < static_cast<int64_t>(piece.size()); ++i) {
        piece[static_cast<size_t>(i - at)] = static_cast<char>(0xA5 ^ i);
    }
}

}  // namespace

std::string scpBaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool readScpPiece(FILE* file, SimChannel& ch, int64_t sent, int64_t end, int64_t maxBytes, bool corrupt,
                  std::string& piece, bool& drop) {
    piece.assign(static_cast<size_t>(std::min<int64_t>(end - sent, maxBytes)), '\0');
    const size_t got = std::fread(piece.data(), 1, piece.size(), file);
    drop = false;
    if (got == 0) return false;
    piece.resize(got);
    if (corrupt) damage(piece, sent);
    const int64_t pass = ch.state.passScpBytes(static_cast<int64_t>(got), drop);
    piece.resize(static_cast<size_t>(pass));
    return true;
}

}  // namespace Kestrix::Sim
