#include "tester/setups/TarvelProject.h"

#include <fstream>

#include "storage/ProjectSetupFile.h"
#include "tester/setups/CodePage.h"
#include "tester/setups/SetupDatabase.h"

namespace Kestrix::Tester {

int TarvelProject::Open(const std::string& path) {
    Close();
    if (path.empty()) return kNotOpened;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return kNotOpened;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<uint64_t>(size) > kMaxFileSize) return kNotOpened;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return kNotOpened;
    return OpenData(bytes);
}

int TarvelProject::OpenData(const std::vector<uint8_t>& bytes) {
    Close();
    try {
        auto blob = projectBlobFromSetupFile(bytes);
        if (!blob) return kNotOpened;
        auto project = std::make_unique<Project::Core>();
        std::string error;
        if (!Project::decodeProject(*blob, *project, error)) return kNotOpened;
        _project = std::move(project);
        return kOpened;
    } catch (const std::exception&) {
        Close();
        return kNotOpened;
    }
}

std::string TarvelProject::GetProjectName() const { return _project ? decodeUtf8Lenient(_project->name) : ""; }

std::string TarvelProject::GetFileNameForProject(const std::string& name) const { return projectFileName(name); }

void TarvelProject::Close() { _project.reset(); }

}  // namespace Kestrix::Tester
