#pragma once
// The tester's maintenance commands: software update, kernel log, screen capture, and the log files
// they leave under /var/log.
namespace Kestrix::Sim {

class TesterSim;

void registerMaintenanceCommands(TesterSim& sim);

}  // namespace Kestrix::Sim
