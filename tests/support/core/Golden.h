#pragma once
// Whole-document comparisons against an expected file in the test area's golden folder (KESTRIX_GOLDEN_DIR).
// KESTRIX_UPDATE_GOLDEN=1 writes the files anew; read what changed before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "serialization/JsonText.h"

namespace kx::test {

inline void expectGolden(const std::string& text, const std::string& name) {
    const std::filesystem::path path = std::filesystem::path(KESTRIX_GOLDEN_DIR) / name;
    if (const char* update = std::getenv("KESTRIX_UPDATE_GOLDEN"); update && std::string(update) == "1")
        std::ofstream(path, std::ios::binary) << text;
    std::ifstream in(path, std::ios::binary);
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(text, expected.str()) << name << " (KESTRIX_UPDATE_GOLDEN=1 rewrites it)";
}

inline void expectGolden(const Json::Value& doc, const std::string& name) {
    expectGolden(Dump::toJsonString(doc, false), name);
}

}  // namespace kx::test
