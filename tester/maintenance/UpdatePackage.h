#pragma once
// A software update package: a gzip-compressed tar stream, read entry by entry. Only one entry is held
// in memory at a time, and only entries the caller wants are read at all; sizes the archive announces
// are checked against limits before anything is read, never used to allocate.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

struct PackageLimits {
    uint64_t maxEntryBytes = uint64_t(512) << 20;   // one file for the tester's image folder
    uint64_t maxManifestBytes = uint64_t(1) << 20;  // the manifest is parsed as JSON
    uint64_t maxUnpackedBytes = uint64_t(4) << 30;  // a whole walk, headers included (bounds a gzip bomb)
};

// The manifest of a remote unit's package.
struct KesManifest {
    std::vector<std::string> remote_update_files;
    std::string version;
};

// The manifest text; the tester's older spelling "remote update files" is accepted. None when it is not a
// JSON object. Entries of the file list that are not texts are dropped.
boost::optional<KesManifest> parseKesManifest(const std::string& text);

// True for a name that can only name a file directly inside the image folder: not empty, not ".", no
// "/", no "..", no control character.
bool isSafeImageName(const std::string& name);

class UpdatePackage {
public:
    // Borrows the bytes, which must outlive the object.
    UpdatePackage(const uint8_t* data, size_t size, PackageLimits limits = {});

    // The first regular entry with a name holding "manifest" and a positive size, read and parsed. None
    // when there is none, it does not parse, or the archive cannot be read up to it (see error()).
    boost::optional<KesManifest> readManifest();

    // Walks the archive from its start and hands every regular entry whose name, with "images/" removed,
    // is one of `names` to `take` (in archive order, one at a time). False when the archive cannot be
    // read, an entry is short or too large, or `take` returns false; error() tells why.
    using TakeFn = std::function<bool(const std::string& name, const std::vector<uint8_t>& bytes)>;
    bool forEachListedFile(const std::vector<std::string>& names, const TakeFn& take);

    // Why the package must not be sent, or "" when it may: it must be a gzip-compressed tar that reads whole
    // (every entry as long as announced, up to the end of the archive) and holds at least one file; for a
    // remote unit also a manifest listing at least one file the archive holds, and only plain file names.
    std::string problem(bool remote);

    const std::string& error() const { return _error; }

private:
    const uint8_t* _data;
    size_t _size;
    PackageLimits _limits;
    std::string _error;
};

}  // namespace Kestrix::Tester
