// `kestrix dump` of bare projects and of instrument settings files.
#include "Command.h"
#include "DumpRegistry.h"
#include "common/InstrumentSettingsFile.h"
#include "storage/Core.h"

namespace {

const bool regCore = kx::cli::registerBareObject<Project::Core>("Project::Core", Marshal::TypeIds::ProjectCore);

const bool regSettings = kx::cli::registerContainerPrinter(
    PFile::SectionType::InstrumentSettingsJson,
    [](const std::vector<uint8_t>& bytes, const kx::cli::DumpOptions& opts, std::ostream& out) {
        Kestrix::InstrumentSettings settings;
        std::string error;
        if (!Kestrix::InstrumentSettingsFile::read(bytes, settings, &error))
            throw kx::cli::BadInput("cannot read the instrument settings: " + error);
        kx::cli::printModel(settings, &settings, opts, out);
    });

}  // namespace
