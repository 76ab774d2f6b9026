#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

// One file of a group read: the data stays none when the file did not arrive, and `error` says why.
struct FileCopyInfo {
    std::string remotePath;
    boost::optional<std::vector<uint8_t>> data;
    bool done = false;
    std::string error;  // printable
};

class FileCopyGroup {
public:
    void AddFile(const std::string& remotePath) { _files.push_back({remotePath, boost::none, false, {}}); }
    // True when every entry is done (also for an empty group).
    bool GroupFinished() const {
        for (const auto& f : _files)
            if (!f.done) return false;
        return true;
    }
    std::vector<FileCopyInfo>& files() { return _files; }
    const std::vector<FileCopyInfo>& files() const { return _files; }
    size_t size() const { return _files.size(); }

private:
    std::vector<FileCopyInfo> _files;
};

// The keys of the results imported from one project, for marking them on the tester.
class ImportKeyList {
public:
    explicit ImportKeyList(std::string folder) : _folder(std::move(folder)) {}
    const std::string& Folder() const { return _folder; }
    const std::vector<int64_t>& GetKeys() const { return _keys; }
    void Add(int64_t key) { _keys.push_back(key); }
    // Removes the last occurrence of `key` (the one added most recently).
    void Remove(int64_t key) {
        for (size_t i = _keys.size(); i-- > 0;) {
            if (_keys[i] == key) {
                _keys.erase(_keys.begin() + static_cast<long>(i));
                return;
            }
        }
    }

private:
    std::string _folder;
    std::vector<int64_t> _keys;
};

}  // namespace Kestrix::Tester
