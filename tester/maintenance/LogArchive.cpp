#include "tester/maintenance/LogArchive.h"

#include <archive.h>
#include <archive_entry.h>

#include <ctime>
#include <memory>

namespace Kestrix::Tester {
namespace {

constexpr uint64_t kZip32Limit = 0xFFFFFFFFull;

la_ssize_t appendOutput(archive*, void* client, const void* buffer, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(client);
    const auto* p = static_cast<const uint8_t*>(buffer);
    out->insert(out->end(), p, p + length);
    return static_cast<la_ssize_t>(length);
}

struct ArchiveFree {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

}  // namespace

boost::optional<std::vector<uint8_t>> buildZip(const std::vector<ArchiveFile>& files) {
    std::vector<uint8_t> out;
    std::unique_ptr<archive, ArchiveFree> a(archive_write_new());
    if (!a) return boost::none;
    // Without "!zip64" every local header of an entry written in pieces gets a Zip64 field.
    if (archive_write_set_format_zip(a.get()) != ARCHIVE_OK ||
        archive_write_set_options(a.get(), "zip:!zip64,zip:compression=deflate") != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK ||
        archive_write_open2(a.get(), &out, nullptr, appendOutput, nullptr, nullptr) != ARCHIVE_OK)
        return boost::none;
    const time_t now = std::time(nullptr);
    for (const auto& f : files) {
        if (f.bytes.size() >= kZip32Limit) return boost::none;
        std::unique_ptr<archive_entry, EntryFree> e(archive_entry_new());
        archive_entry_set_pathname(e.get(), f.name.c_str());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), static_cast<la_int64_t>(f.bytes.size()));
        archive_entry_set_mtime(e.get(), now, 0);
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK) return boost::none;
        if (!f.bytes.empty() &&
            archive_write_data(a.get(), f.bytes.data(), f.bytes.size()) != static_cast<la_ssize_t>(f.bytes.size()))
            return boost::none;
        if (archive_write_finish_entry(a.get()) != ARCHIVE_OK) return boost::none;
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK) return boost::none;
    return out;
}

}  // namespace Kestrix::Tester
