#pragma once
// A stocked tester: the file system a tester has after some weeks of work. Projects in "master.sql" (one of
// them a site of another), a "project.sql" per project listing its results, and result files measured on
// modelled links and written by the library's own writers: one of every kind the model knows and every
// failure a crew meets, with database rows that agree with the files.
//
//   Kestrix::Sim::stockTester(root, {.extraRecords = 10000});   // then serve root with TesterSim
#include <cstdint>
#include <filesystem>

namespace Kestrix::Sim {

// Where the tester keeps its projects, and the databases' names.
inline constexpr const char* kProjectsFolder = "/microsd_userdata/projects";
inline constexpr const char* kMasterDbName = "master.sql";
inline constexpr const char* kProjectDbName = "project.sql";

// Which results the generated ones are.
enum class StockMix {
    every,   // every kind a crew tests
    copper,  // twisted-pair links, passing and failing
    otdr,    // OTDR from both ends: the large results
};

struct StockOptions {
    int extraRecords = 0;  // generated results spread over the projects, for scale runs
    StockMix mix = StockMix::every;
    uint32_t seed = 1;  // of the generated results: their links, days and crew
};

// Creates root (when missing) with the tester's folders and stocks it. A folder that already holds a master
// database is left as it is. The master database is written last, so an interrupted run is stocked again.
// Throws std::runtime_error when a file cannot be written.
void stockTester(const std::filesystem::path& root, const StockOptions& options);

// True when root is missing or an empty folder: what `kestrix sim --root` stocks.
bool wantsStock(const std::filesystem::path& root);

}  // namespace Kestrix::Sim
