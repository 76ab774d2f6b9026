#pragma once
// Import folders as `kestrix import` lays them out (DIR/<project>/<site>/<cable id>~<n>.result, a host record
// beside each, DIR/index.json), made from the simulator's stock results, for the viewer's tests.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "SimStockResults.h"

namespace kx::test {

struct FolderRecord {
    FolderRecord(std::string project, std::string site, std::string cableId,
                 Kestrix::Sim::StockKind kind = Kestrix::Sim::StockKind::copperPass, int64_t when = 1793000000,
                 bool indexed = true)
        : project(std::move(project)),
          site(std::move(site)),
          cableId(std::move(cableId)),
          kind(kind),
          when(when),
          indexed(indexed) {}

    std::string project, site, cableId;
    Kestrix::Sim::StockKind kind = Kestrix::Sim::StockKind::copperPass;
    int64_t when = 1793000000;   // seconds since 1970
    bool indexed = true;         // listed in index.json
    std::vector<uint8_t> bytes;  // the result file itself; empty: a stock result of `kind` at `when`
};

// Writes every record's result (and, when indexed, its host record) and index.json; returns the result paths
// in record order.
std::vector<std::string> writeImportFolder(const std::filesystem::path& dir, const std::vector<FolderRecord>& records,
                                           const std::string& tester = "Lumetra KX1000001");

}  // namespace kx::test
