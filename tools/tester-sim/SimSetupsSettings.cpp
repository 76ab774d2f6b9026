// smputsharedsettings, smpullsharedsettings, uisavecurrentsettings, uiloadsettings: the settings the
// screen uses ("current") and the copy shared with the host ("shared").
#include "SimSetups.h"
#include "common/InstrumentSettingsFile.h"

namespace Kestrix::Sim::SimSetups {
namespace {

std::vector<uint8_t> currentSettings(const SimVfs& vfs) {
    if (auto bytes = readFile(vfs, kCurrentSettings)) return *bytes;
    return InstrumentSettingsFile::write(InstrumentSettings{});
}

CommandResult putShared(const CommandContext& c) {
    const Options o = parseOptions(c.args, "f:");
    if (!o.ok || !o.has('f')) return usage("smputsharedsettings -f FILE");
    const auto bytes = readFile(c.vfs, o['f']);
    if (!bytes) return reply("RC_ENTITY_NOT_FOUND");
    InstrumentSettings settings;
    if (!InstrumentSettingsFile::read(*bytes, settings)) return reply("DB_CORRUPT");
    return reply(writeFile(c.vfs, kSharedSettings, *bytes) ? "OK" : "OP_FAILED");
}

CommandResult pullShared(const CommandContext& c) {
    const Options o = parseOptions(c.args, "f:");
    if (!o.ok || !o.has('f')) return usage("smpullsharedsettings -f FILE");
    const auto bytes = readFile(c.vfs, kSharedSettings);
    if (!bytes) return reply("RC_ENTITY_NOT_FOUND");
    return reply(writeFile(c.vfs, o['f'], *bytes) ? "OK" : "OP_FAILED");
}

CommandResult saveCurrent(const CommandContext& c) {
    if (c.args.size() != 1) return usage("uisavecurrentsettings");
    return reply(writeFile(c.vfs, kSharedSettings, currentSettings(c.vfs)) ? "OK" : "OP_FAILED");
}

CommandResult loadShared(const CommandContext& c) {
    const Options o = parseOptions(c.args, "t:");
    if (!o.ok) return usage("uiloadsettings [-t TIMEOUT]");
    const auto bytes = readFile(c.vfs, kSharedSettings);
    if (!bytes) return reply("RC_ENTITY_NOT_FOUND");
    return reply(writeFile(c.vfs, kCurrentSettings, *bytes) ? "OK" : "OP_FAILED");
}

}  // namespace

void registerSettingsCommands(TesterSim& sim) {
    sim.addCommand("smputsharedsettings", putShared);
    sim.addCommand("smpullsharedsettings", pullShared);
    sim.addCommand("uisavecurrentsettings", saveCurrent);
    sim.addCommand("uiloadsettings", loadShared);
}

}  // namespace Kestrix::Sim::SimSetups
