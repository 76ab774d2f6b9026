#pragma once
// A project setup file on the host (the database a tester exports): the project it holds, its name, and
// the name the tester gives such a file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/Core.h"

namespace Kestrix::Tester {

class TarvelProject {
public:
    static constexpr int kOpened = 1;
    static constexpr int kNotOpened = 2;
    // Larger files are not project setups (a real one is a few KB).
    static constexpr uint64_t kMaxFileSize = 64ull << 20;

    TarvelProject() = default;
    ~TarvelProject() { Close(); }
    TarvelProject(const TarvelProject&) = delete;
    TarvelProject& operator=(const TarvelProject&) = delete;

    // kOpened when the file holds a readable project, else kNotOpened (and closed).
    int Open(const std::string& path);
    // The same from the file's bytes.
    int OpenData(const std::vector<uint8_t>& bytes);
    std::string GetProjectName() const;
    std::string GetFileNameForProject(const std::string& name) const;
    void Close();

    // The project held (null when closed).
    const Project::Core* project() const { return _project.get(); }

private:
    std::unique_ptr<Project::Core> _project;
};

}  // namespace Kestrix::Tester
