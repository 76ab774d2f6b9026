// `kestrix dump` of bare project objects, trace channel tables and instrument settings, and of instrument
// settings files.
#include "Command.h"
#include "DumpRegistry.h"
#include "common/InstrumentSettingsFile.h"
#include "serialization/JsonText.h"
#include "storage/Core.h"
#include "storage/CopperTestSet.h"
#include "storage/Cursor.h"
#include "storage/LabelSet.h"
#include "storage/LabelSetList.h"
#include "storage/LossLengthTestSet.h"
#include "storage/OtdrTestSet.h"
#include "storage/ProjectStatus.h"
#include "storage/TestSetList.h"
#include "trace/ChannelTable.h"

namespace {

namespace T = Marshal::TypeIds;
using kx::cli::registerBareObject;

const bool regCore = registerBareObject<Project::Core>("Project::Core", T::ProjectCore);
const bool regCursor = registerBareObject<Project::Cursor>("Project::Cursor", T::ProjectCursor);
const bool regCursors = registerBareObject<Project::CursorList>("Project::CursorList", T::ProjectCursorList);
const bool regOtdrSet = registerBareObject<Project::OtdrTestSet>("Project::OtdrTestSet", T::ProjectOtdrTestSet);
const bool regCopperSet = registerBareObject<Project::CopperTestSet>("Project::CopperTestSet", T::ProjectCopperTestSet);
const bool regLossSet =
    registerBareObject<Project::LossLengthTestSet>("Project::LossLengthTestSet", T::ProjectLossLengthTestSet);
const bool regImageSet = registerBareObject<Project::ImageTestSet>("Project::ImageTestSet", T::ProjectImageTestSet);
const bool regSets = registerBareObject<Project::TestSetList>("Project::TestSetList", T::ProjectTestSetList);
const bool regSequential =
    registerBareObject<Project::SequentialLabelSet>("Project::SequentialLabelSet", T::ProjectSequentialLabelSet);
const bool regAutoIncrement = registerBareObject<Project::AutoIncrementLabelSet>("Project::AutoIncrementLabelSet",
                                                                                T::ProjectAutoIncrementLabelSet);
const bool regRandom = registerBareObject<Project::RandomLabelSet>("Project::RandomLabelSet", T::ProjectRandomLabelSet);
const bool regLabels = registerBareObject<Project::LabelSetList>("Project::LabelSetList", T::ProjectLabelSetList);
const bool regInstrument =
    registerBareObject<Kestrix::InstrumentSettings>("InstrumentSettings", T::InstrumentSettings);

// The trace channel table and the project status share a type id: the table, whose layout is the
// stricter, is tried first. Neither has a public dump of the usual form.
const bool regChannels = kx::cli::registerBareObjectFactory("ChannelTable", T::ChannelTable.id(), [] {
    auto table = std::make_shared<Kestrix::ChannelTable>();
    kx::cli::LoadedObject lo;
    lo.read = [table](Marshal::IObjectReader& r) { return table->deserialize(r); };
    lo.dump = [table](Dump::IFormatter& f, const Dump::DumpFlags&) { table->dumpTable(f); };
    lo.toJson = [table](const Dump::DumpFlags&) {
        Json::Value channels(Json::arrayValue);
        for (const auto& c : table->channels) {
            Json::Value ch(Json::objectValue);
            ch["name"] = c.name;
            ch["mask"] = c.mask;
            channels.append(ch);
        }
        Json::Value root(Json::objectValue);
        root["ChannelTable"]["channels"] = channels;
        return root;
    };
    return lo;
});
const bool regStatus = kx::cli::registerBareObjectFactory("Project::Status", T::ProjectStatus.id(), [] {
    auto status = std::make_shared<Project::Status>();
    kx::cli::LoadedObject lo;
    lo.read = [status](Marshal::IObjectReader& r) { return status->deserialize(r); };
    lo.dump = [status](Dump::IFormatter& f, const Dump::DumpFlags&) { Dump::dumpStyledJson(*status, f); };
    lo.toJson = [status](const Dump::DumpFlags& fl) { return status->toJson(fl); };
    return lo;
});

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
