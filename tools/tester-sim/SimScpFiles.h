#pragma once
// What the simulator's two SCP sources (one file, a tree of files) share: the open file, the sizes of a
// piece and of the channel's queue, and the download faults applied to each piece.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "SimChannel.h"

namespace Kestrix::Sim {

inline constexpr size_t kScpPiece = 256 * 1024;
inline constexpr size_t kScpMaxQueued = 1024 * 1024;

struct FileCloser {
    void operator()(FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

std::string scpBaseName(const std::string& path);

// The next piece of a download, bytes [sent, sent + up to maxBytes) but not past `end`, with the faults
// applied: a corrupt database's first page header overwritten, and the connection's byte budget (`drop`
// set when the connection must drop after this piece). False when the file ended early.
bool readScpPiece(FILE* file, SimChannel& ch, int64_t sent, int64_t end, int64_t maxBytes, bool corrupt,
                  std::string& piece, bool& drop);

}  // namespace Kestrix::Sim
