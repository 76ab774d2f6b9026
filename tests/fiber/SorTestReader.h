#pragma once
// A reader of SR-4731 (issue 2) trace files written from the format's public description, independent of
// the writer: it follows the block map, decodes every field of the blocks the writer emits, insists that
// each block is exactly as long as the map says, and checks the CRC over the bytes it finds (the CRC function
// itself is the writer's, pinned by its known answer).
#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx::test {

// The decoded file as a document: "Map" (its revision and the blocks after it in file order) and one member
// per block with its fields by name; or nothing with the reason in `why` (a failed checksum included).
std::optional<Json::Value> readSorFile(const std::vector<uint8_t>& bytes, std::string* why = nullptr);

}  // namespace kx::test
