// The setups exchange over arbitrary bytes. The first byte picks the reader, the rest is its input:
// 0 the settings editor's OpenData, 1 a project setup file, 2 the tester's master database, 3 names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tester/setups/CodePage.h"
#include "tester/setups/KestrixSetups.h"
#include "tester/setups/SetupDatabase.h"
#include "tester/setups/TarvelProject.h"

using namespace Kestrix::Tester;

namespace {

void settingsEditor(const std::vector<uint8_t>& bytes) {
    KestrixSetups editor;
    if (!editor.OpenData(bytes)) return;
    for (const auto& info : editor.GetSetupInfo()) {
        const int value = editor.GetSettingEnum(info.type);
        editor.SetSettingEnum(info.type, value);
        editor.SetSettingString(info.type, 0, editor.GetSettingString(info.type, 0));
    }
    // What the editor accepted, it writes, and what it writes it reads back.
    if (const auto saved = editor.SaveData()) {
        KestrixSetups again;
        if (!again.OpenData(*saved)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> bytes(data + 1, data + size);
    switch (data[0] % 4) {
        case 0: settingsEditor(bytes); break;
        case 1: {
            TarvelProject project;
            if (project.OpenData(bytes) == TarvelProject::kOpened)
                (void)project.GetFileNameForProject(project.GetProjectName());
            break;
        }
        case 2: (void)projectNamesFromMaster(bytes); break;
        default: {
            const std::string text(bytes.begin(), bytes.end());
            (void)projectFileName(text);
            (void)decodeUtf8Lenient(text);
            (void)throughSingleByte(text);
            break;
        }
    }
    return 0;
}
