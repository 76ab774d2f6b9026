// A project as the tester stores it, and an instrument settings file.
#include "SampleRegistry.h"
#include "common/InstrumentSettingsFile.h"
#include "storage/ProjectBuilders.h"
#include "storage/ProjectSetupFile.h"

namespace {

kx::samples::SampleRegistration project("project.blob",
                                        [] { return Project::encodeProject(kx::support::sampleProject()); });
kx::samples::SampleRegistration settings("instrument.settings", [] {
    return Kestrix::InstrumentSettingsFile::write(kx::support::sampleInstrumentSettings());
});

}  // namespace
