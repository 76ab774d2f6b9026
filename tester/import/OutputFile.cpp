#include "tester/import/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <cstring>
#include <stdexcept>

namespace fs = std::filesystem;

namespace Kestrix::Import {
namespace {

std::runtime_error cannotWrite(const fs::path& path, const std::string& reason) {
    return std::runtime_error("cannot write " + path.string() + ": " + reason);
}

// Makes a rename or a new entry in `folder` durable.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A temporary name beside `path` that nothing has: ".<name>.tmp-<8 hex digits>", made with O_EXCL (which
// never follows a link) and with the mode of an ordinary document, the user's umask applied. One call per
// file: no random numbers from the system and no chmod afterwards.
int createTemporary(const fs::path& path, std::string& temp) {
    static std::atomic<uint32_t> next{std::random_device{}()};
    std::string stem(1, '.');
    stem += path.filename().string();
    stem += ".tmp-";
    stem = (path.parent_path() / stem).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[9];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(next.fetch_add(0x9e3779b9u)));
        temp = stem + suffix;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

void writeAtomically(const fs::path& path, const uint8_t* data, size_t size, Durability d) {
    std::string temp;
    const int fd = createTemporary(path, temp);
    if (fd < 0) throw cannotWrite(path, std::strerror(errno));
    const auto fail = [&](const std::string& reason) {
        ::close(fd);
        ::unlink(temp.c_str());
        return cannotWrite(path, reason);
    };
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw fail(n == 0 ? "nothing written" : std::strerror(errno));
        done += static_cast<size_t>(n);
    }
    if (d == Durability::Now && ::fsync(fd) != 0) throw fail(std::strerror(errno));
    if (::close(fd) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temp.c_str());
        throw cannotWrite(path, reason);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temp.c_str());
        throw cannotWrite(path, reason);
    }
    if (d == Durability::Now) syncFolder(path.parent_path());
}

void writeAtomically(const fs::path& path, const std::string& bytes, Durability d) {
    writeAtomically(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), d);
}

void writeAtomically(const fs::path& path, const std::vector<uint8_t>& bytes, Durability d) {
    writeAtomically(path, bytes.data(), bytes.size(), d);
}

bool isInside(const fs::path& root, const fs::path& p) {
    if (p == root) return true;
    const auto rel = p.lexically_relative(root);
    return !rel.empty() && *rel.begin() != ".." && !rel.is_absolute();
}

fs::path makeFolderInside(const fs::path& root, const fs::path& relative) {
    fs::path at = root;
    for (const auto& part : relative.lexically_normal()) {
        if (part.empty() || part == ".") continue;
        if (part == ".." || part.is_absolute())
            throw std::runtime_error("refused folder " + (root / relative).string());
        at /= part;
        std::error_code ec;
        const auto st = fs::symlink_status(at, ec);
        if (st.type() == fs::file_type::not_found) {
            if (!fs::create_directory(at, ec) && !fs::is_directory(fs::symlink_status(at, ec)))
                throw std::runtime_error("cannot make the folder " + at.string() + ": " + ec.message());
            continue;
        }
        if (st.type() == fs::file_type::directory) continue;
        if (st.type() == fs::file_type::symlink) {
            // A link is followed only when it stays inside; it is never made to create anything elsewhere.
            const fs::path target = fs::canonical(at, ec);
            if (!ec && fs::is_directory(target, ec) && isInside(root, target)) {
                at = target;
                continue;
            }
        }
        throw std::runtime_error("refused folder " + at.string() + ": not a folder inside " + root.string());
    }
    return at;
}

void syncFileSystem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot sync " + folder.string() + ": " + std::strerror(errno));
    // One call for the whole file system: far cheaper than a sync per file, and it reports write-back errors.
    const int rc = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) throw std::runtime_error("cannot sync " + folder.string() + ": " + std::strerror(err));
}

}  // namespace Kestrix::Import
