// `kestrix dump` of bare project objects, trace channel tables and instrument settings, and of instrument
// settings files.
#include "Command.h"
#include "CommandTable.h"
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

namespace kx::cli {

void registerStorageDumpers() {
    namespace T = Marshal::TypeIds;

    registerBareObject<Project::Core>("Project::Core", T::ProjectCore);
    registerBareObject<Project::Cursor>("Project::Cursor", T::ProjectCursor);
    registerBareObject<Project::CursorList>("Project::CursorList", T::ProjectCursorList);
    registerBareObject<Project::OtdrTestSet>("Project::OtdrTestSet", T::ProjectOtdrTestSet);
    registerBareObject<Project::CopperTestSet>("Project::CopperTestSet", T::ProjectCopperTestSet);
    registerBareObject<Project::LossLengthTestSet>("Project::LossLengthTestSet", T::ProjectLossLengthTestSet);
    registerBareObject<Project::ImageTestSet>("Project::ImageTestSet", T::ProjectImageTestSet);
    registerBareObject<Project::TestSetList>("Project::TestSetList", T::ProjectTestSetList);
    registerBareObject<Project::SequentialLabelSet>("Project::SequentialLabelSet", T::ProjectSequentialLabelSet);
    registerBareObject<Project::AutoIncrementLabelSet>("Project::AutoIncrementLabelSet",
                                                       T::ProjectAutoIncrementLabelSet);
    registerBareObject<Project::RandomLabelSet>("Project::RandomLabelSet", T::ProjectRandomLabelSet);
    registerBareObject<Project::LabelSetList>("Project::LabelSetList", T::ProjectLabelSetList);
    registerBareObject<Kestrix::InstrumentSettings>("InstrumentSettings", T::InstrumentSettings);

    // The trace channel table and the project status share a type id: the table, whose layout is the
    // stricter, is tried first. Neither has a public dump of the usual form.
    registerBareObjectFactory("ChannelTable", T::ChannelTable.id(), [] {
        auto table = std::make_shared<Kestrix::ChannelTable>();
        LoadedObject lo;
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
    registerBareObjectFactory("Project::Status", T::ProjectStatus.id(), [] {
        auto status = std::make_shared<Project::Status>();
        LoadedObject lo;
        lo.read = [status](Marshal::IObjectReader& r) { return status->deserialize(r); };
        lo.dump = [status](Dump::IFormatter& f, const Dump::DumpFlags&) { Dump::dumpStyledJson(*status, f); };
        lo.toJson = [status](const Dump::DumpFlags& fl) { return status->toJson(fl); };
        return lo;
    });

    registerContainerPrinter(PFile::SectionType::InstrumentSettingsJson,
                             [](const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out) {
                                 Kestrix::InstrumentSettings settings;
                                 std::string error;
                                 if (!Kestrix::InstrumentSettingsFile::read(bytes, settings, &error))
                                     throw BadInput("cannot read the instrument settings: " + error);
                                 printModel(settings, &settings, opts, out);
                             });
}

}  // namespace kx::cli
