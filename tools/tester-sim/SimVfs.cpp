#include "SimVfs.h"

#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace Kestrix::Sim {

SimVfs::SimVfs(const fs::path& root) {
    std::error_code ec;
    _root = fs::canonical(root, ec);
    if (ec || !fs::is_directory(_root, ec)) {
        throw std::runtime_error("simulator root is not a folder: " + root.string());
    }
}

std::optional<std::string> SimVfs::normalize(std::string_view testerPath) {
    std::vector<std::string_view> parts;
    size_t pos = 0;
    while (pos <= testerPath.size()) {
        size_t slash = testerPath.find('/', pos);
        if (slash == std::string_view::npos) {
            slash = testerPath.size();
        }
        const std::string_view part = testerPath.substr(pos, slash - pos);
        if (part == "..") {
            if (parts.empty()) {
                return std::nullopt;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = slash + 1;
    }
    std::string out;
    for (const auto& p : parts) {
        out += '/';
        out += p;
    }
    return out.empty() ? std::string("/") : out;
}

bool SimVfs::inside(const fs::path& p) const {
    const std::string& r = _root.native();
    const std::string& s = p.native();
    if (s.size() < r.size() || s.compare(0, r.size(), r) != 0) {
        return false;
    }
    return s.size() == r.size() || s[r.size()] == '/' || r == "/";
}

std::optional<fs::path> SimVfs::map(std::string_view testerPath) const {
    if (testerPath.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const auto norm = normalize(testerPath);
    if (!norm) {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    for (size_t pos = 1; pos < norm->size();) {
        size_t slash = norm->find('/', pos);
        if (slash == std::string::npos) {
            slash = norm->size();
        }
        parts.push_back(norm->substr(pos, slash - pos));
        pos = slash + 1;
    }
    fs::path cur = _root;
    for (size_t i = 0; i < parts.size(); ++i) {
        cur /= parts[i];
        std::error_code ec;
        const auto st = fs::symlink_status(cur, ec);
        if (ec || st.type() == fs::file_type::not_found) {
            // Nothing below a missing component exists yet; the rest stays lexical.
            for (size_t j = i + 1; j < parts.size(); ++j) {
                cur /= parts[j];
            }
            return cur;
        }
        if (st.type() != fs::file_type::symlink) {
            continue;
        }
        const fs::path target = fs::canonical(cur, ec);
        if (ec || !inside(target)) {
            return std::nullopt;  // dangling, looping or pointing out of the root
        }
        if (i + 1 < parts.size()) {
            cur = target;
        }
    }
    return cur;
}

}  // namespace Kestrix::Sim
