// An import folder's index as the report and the import read it: every entry found again by its result path,
// and a record path never outside the folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tester/import/ImportFolder.h"

using namespace Kestrix::Import;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path dir = "/nonexistent-kestrix-import-folder";
    auto folder = ImportFolder::fromText(dir, text);
    if (!folder) return 0;
    for (const auto& e : folder->entries()) {
        if (e.result.empty() || e.result.size() > 4096) continue;
        const auto record = folder->recordPathOf(dir / e.result);
        if (!record) continue;
        const auto relative = record->lexically_relative(dir);
        if (relative.empty() || *relative.begin() == "..") std::abort();
    }
    return 0;
}
