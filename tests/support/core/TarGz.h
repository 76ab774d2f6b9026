#pragma once
// Gzip-compressed tar streams written byte by byte, so that tests and fuzz seeds can make packages no
// well-behaved archiver would: names with "..", absolute names, sizes that do not match the data.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kx::test {

struct TarEntry {
    std::string name;
    std::string data;
    char type = '0';             // '0' file, '5' folder, '2' symbolic link
    int64_t announcedSize = -1;  // the size written in the header; -1: the data's size
};

inline void tarOctal(uint8_t* field, size_t width, uint64_t value) {
    std::snprintf(reinterpret_cast<char*>(field), width, "%0*llo", static_cast<int>(width - 1),
                  static_cast<unsigned long long>(value));
}

// A ustar stream: one 512-byte header per entry, the data padded to 512, two zero blocks at the end.
inline std::vector<uint8_t> tarBytes(const std::vector<TarEntry>& entries, bool endBlocks = true) {
    std::vector<uint8_t> out;
    for (const auto& e : entries) {
        uint8_t h[512] = {};
        std::memcpy(h, e.name.data(), std::min<size_t>(e.name.size(), 100));
        tarOctal(h + 100, 8, 0644);
        tarOctal(h + 108, 8, 0);
        tarOctal(h + 116, 8, 0);
        tarOctal(h + 124, 12, e.announcedSize >= 0 ? static_cast<uint64_t>(e.announcedSize) : e.data.size());
        tarOctal(h + 136, 12, 1733472000);
        h[156] = static_cast<uint8_t>(e.type);
        std::memcpy(h + 257, "ustar", 6);
        std::memcpy(h + 263, "00", 2);
        std::memset(h + 148, ' ', 8);
        unsigned sum = 0;
        for (uint8_t b : h) sum += b;
        std::snprintf(reinterpret_cast<char*>(h + 148), 8, "%06o", sum);
        h[155] = ' ';
        out.insert(out.end(), h, h + 512);
        out.insert(out.end(), e.data.begin(), e.data.end());
        out.resize(out.size() + (512 - e.data.size() % 512) % 512, 0);
    }
    if (endBlocks) out.resize(out.size() + 1024, 0);
    return out;
}

inline std::vector<uint8_t> gzipBytes(const uint8_t* data, size_t size) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(size)) + 64);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::vector<uint8_t> tarGz(const std::vector<TarEntry>& entries) {
    const auto tar = tarBytes(entries);
    return gzipBytes(tar.data(), tar.size());
}

// A remote unit's package: a manifest listing `listed` and the given files below "images/".
inline std::vector<uint8_t> remotePackage(const std::vector<std::string>& listed, const std::vector<TarEntry>& files,
                                          const std::string& key = "remote_update_files") {
    std::string manifest = "{\"" + key + "\": [";
    for (size_t i = 0; i < listed.size(); ++i) manifest += (i ? ", \"" : "\"") + listed[i] + "\"";
    manifest += "], \"version\": \"3.3.0\"}";
    std::vector<TarEntry> all{{"manifest.json", manifest}};
    all.insert(all.end(), files.begin(), files.end());
    return tarGz(all);
}

}  // namespace kx::test
