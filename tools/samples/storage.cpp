// A project as the tester stores it, and an instrument settings file.
#include "SampleRegistry.h"
#include "common/InstrumentSettingsFile.h"
#include "storage/ProjectBuilders.h"
#include "storage/ProjectSetupFile.h"

namespace {

kx::samples::SampleRegistration project("project.blob", [] {
    std::vector<uint8_t> bytes;
    std::string error;
    Project::encodeProject(kx::test::sampleProject(), bytes, error);
    return bytes;
});
kx::samples::SampleRegistration settings("instrument.settings", [] {
    return Kestrix::InstrumentSettingsFile::write(kx::test::sampleInstrumentSettings());
});

}  // namespace
