// Seeds for the project and settings readers.
#include "SeedRegistry.h"
#include "common/InstrumentSettingsFile.h"
#include "storage/ProjectBuilders.h"

namespace {

kx::fuzz::SeedRegistration a("fuzz_project_core", "sample-project",
                             [] { return kx::test::bytesOf(kx::test::sampleProject()); });
kx::fuzz::SeedRegistration b("fuzz_project_core", "empty-project", [] { return kx::test::bytesOf(Project::Core{}); });
kx::fuzz::SeedRegistration c("fuzz_project_core", "version-7-project",
                             [] { return kx::test::coreBytesAtVersion(kx::test::sampleProject(), 7); });
kx::fuzz::SeedRegistration d("fuzz_settings_file", "sample-settings", [] {
    return Kestrix::InstrumentSettingsFile::write(kx::test::sampleInstrumentSettings());
});
kx::fuzz::SeedRegistration e("fuzz_settings_file", "default-settings",
                             [] { return Kestrix::InstrumentSettingsFile::write(Kestrix::InstrumentSettings{}); });
kx::fuzz::SeedRegistration f("fuzz_settings_file", "bare-settings",
                             [] { return kx::test::bytesOf(kx::test::sampleInstrumentSettings()); });

}  // namespace
