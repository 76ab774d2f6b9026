#include "tester/maintenance/UpdatePackage.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>

#include <json/value.h>

#include "tester/host/JsonRead.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr uint64_t kTarHeaderBytes = 512;

// One pass over the package: gzip, then tar, nothing else.
class TarWalk {
public:
    TarWalk(const uint8_t* data, size_t size, const PackageLimits& limits, std::string& error)
        : _a(archive_read_new()), _limits(limits), _error(error) {
        if (!_a) {
            _error = "out of memory";
            return;
        }
        archive_read_support_filter_gzip(_a);
        archive_read_support_format_tar(_a);
        if (archive_read_open_memory(_a, data, size) != ARCHIVE_OK) fail("not a readable package");
    }
    ~TarWalk() {
        if (_a) archive_read_free(_a);
    }
    TarWalk(const TarWalk&) = delete;
    TarWalk& operator=(const TarWalk&) = delete;

    // The next entry, or null at the end or on failure (failed() tells which).
    archive_entry* next() {
        if (_failed) return nullptr;
        archive_entry* e = nullptr;
        const int r = archive_read_next_header(_a, &e);
        if (r == ARCHIVE_EOF) return nullptr;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
            return failAt(std::string("damaged package: ") + text(archive_error_string(_a)));
        // Checked here, once the gzip layer has been recognised: a bare tar is not a package.
        if (archive_filter_code(_a, 0) != ARCHIVE_FILTER_GZIP) return failAt("the package is not gzip-compressed");
        const int64_t announced = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
        if (!spend(kTarHeaderBytes) || !spend(announced > 0 ? static_cast<uint64_t>(announced) : 0))
            return failAt("the package unpacks to more than the limit");
        return e;
    }

    // The current entry's bytes, which must be exactly its announced size and at most `limit`.
    bool readAll(archive_entry* e, uint64_t limit, std::vector<uint8_t>& out) {
        out.clear();
        const int64_t announced = archive_entry_size(e);
        if (announced <= 0 || static_cast<uint64_t>(announced) > limit) return fail("entry too large: " + entryName(e));
        uint8_t chunk[kReadChunk];
        for (;;) {
            const la_ssize_t n = archive_read_data(_a, chunk, sizeof chunk);
            if (n < 0) return fail("damaged entry " + entryName(e) + ": " + text(archive_error_string(_a)));
            if (n == 0) break;
            // The vector grows with the bytes that really arrived, never with the announced size.
            if (static_cast<uint64_t>(n) > static_cast<uint64_t>(announced) - out.size())
                return fail("entry longer than announced: " + entryName(e));
            out.insert(out.end(), chunk, chunk + n);
        }
        if (out.size() != static_cast<uint64_t>(announced)) return fail("short entry " + entryName(e));
        return true;
    }

    // Reads the current entry through without keeping it: a cut or damaged entry shows here, not on the tester.
    bool readThrough(archive_entry* e) {
        const int64_t announced = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
        uint64_t got = 0;
        uint8_t chunk[kReadChunk];
        for (;;) {
            const la_ssize_t n = archive_read_data(_a, chunk, sizeof chunk);
            if (n < 0) return fail("damaged entry " + entryName(e) + ": " + text(archive_error_string(_a)));
            if (n == 0) break;
            got += static_cast<uint64_t>(n);
        }
        if (announced > 0 && got != static_cast<uint64_t>(announced)) return fail("short entry " + entryName(e));
        return true;
    }

    bool failed() const { return _failed; }

    static std::string entryName(archive_entry* e) {
        const char* n = archive_entry_pathname(e);
        return n ? n : "";
    }

private:
    static std::string text(const char* s) { return s ? s : "unknown error"; }

    bool spend(uint64_t n) {
        if (n > _limits.maxUnpackedBytes - _spent) return false;
        _spent += n;
        return true;
    }

    bool fail(const std::string& why) {
        if (!_failed) _error = why;
        _failed = true;
        return false;
    }

    archive_entry* failAt(const std::string& why) {
        fail(why);
        return nullptr;
    }

    archive* _a;
    const PackageLimits& _limits;
    std::string& _error;
    uint64_t _spent = 0;
    bool _failed = false;
};

bool isRegularWithData(archive_entry* e) {
    return archive_entry_filetype(e) == AE_IFREG && !TarWalk::entryName(e).empty() && archive_entry_size_is_set(e) &&
           archive_entry_size(e) > 0;
}

std::string withoutImagesFolder(std::string name) {
    static const std::string kFolder = "images/";
    for (size_t pos = name.find(kFolder); pos != std::string::npos; pos = name.find(kFolder, pos))
        name.erase(pos, kFolder.size());
    return name;
}

}  // namespace

boost::optional<KesManifest> parseKesManifest(const std::string& text) {
    std::string doc = text;
    static const std::string kOld = "remote update files";
    static const std::string kNew = "remote_update_files";
    for (size_t pos = doc.find(kOld); pos != std::string::npos; pos = doc.find(kOld, pos + kNew.size()))
        doc.replace(pos, kOld.size(), kNew);
    const auto parsed = parseUntrustedJson(doc);
    if (!parsed || !parsed->isObject()) return boost::none;
    const Json::Value& root = *parsed;
    KesManifest m;
    const Json::Value& files = root["remote_update_files"];
    if (files.isArray())
        for (const auto& f : files)
            if (f.isString()) m.remote_update_files.push_back(f.asString());
    if (root["version"].isString()) m.version = root["version"].asString();
    return m;
}

bool isSafeImageName(const std::string& name) {
    return !name.empty() && name != "." && name.find('/') == std::string::npos &&
           name.find("..") == std::string::npos && isTerminalSafe(name);
}

UpdatePackage::UpdatePackage(const uint8_t* data, size_t size, PackageLimits limits)
    : _data(data), _size(size), _limits(limits) {}

boost::optional<KesManifest> UpdatePackage::readManifest() {
    _error.clear();
    TarWalk walk(_data, _size, _limits, _error);
    while (archive_entry* e = walk.next()) {
        if (!isRegularWithData(e) || TarWalk::entryName(e).find("manifest") == std::string::npos) continue;
        std::vector<uint8_t> bytes;
        if (!walk.readAll(e, _limits.maxManifestBytes, bytes)) return boost::none;
        auto m = parseKesManifest(std::string(bytes.begin(), bytes.end()));
        if (!m) _error = "the manifest does not parse";
        return m;
    }
    if (!walk.failed()) _error = "no manifest in the package";
    return boost::none;
}

std::string UpdatePackage::problem(bool remote) {
    _error.clear();
    std::vector<std::string> files;
    {
        TarWalk walk(_data, _size, _limits, _error);
        while (archive_entry* e = walk.next()) {
            if (!walk.readThrough(e)) break;
            if (isRegularWithData(e)) files.push_back(withoutImagesFolder(TarWalk::entryName(e)));
        }
        if (walk.failed()) return _error;
    }
    if (files.empty()) return "the package holds no files";
    if (!remote) return "";
    const auto manifest = readManifest();
    if (!manifest) return _error;
    if (manifest->remote_update_files.empty()) return "the manifest lists no files";
    bool held = false;
    for (const auto& name : manifest->remote_update_files) {
        if (!isSafeImageName(name)) return "the manifest lists a name that is not a plain file name";
        held = held || std::find(files.begin(), files.end(), name) != files.end();
    }
    if (!held) return "the archive holds none of the files its manifest lists";
    return "";
}

bool UpdatePackage::forEachListedFile(const std::vector<std::string>& names, const TakeFn& take) {
    _error.clear();
    TarWalk walk(_data, _size, _limits, _error);
    std::vector<uint8_t> bytes;
    while (archive_entry* e = walk.next()) {
        if (!isRegularWithData(e)) continue;
        const std::string name = withoutImagesFolder(TarWalk::entryName(e));
        if (std::find(names.begin(), names.end(), name) == names.end()) continue;
        if (!walk.readAll(e, _limits.maxEntryBytes, bytes)) return false;
        if (!take(name, bytes)) {
            _error = "not taken: " + name;
            return false;
        }
    }
    return !walk.failed();
}

}  // namespace Kestrix::Tester
