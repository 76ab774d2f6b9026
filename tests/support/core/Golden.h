#pragma once
// Whole documents pinned by expected files in the test area's golden folder (KESTRIX_GOLDEN_DIR).
// KESTRIX_UPDATE_GOLDEN=1 writes the files anew from the output; read what changed before committing them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <json/reader.h>

#include "serialization/JsonText.h"

namespace kx::test {

// The expected text in `file` (after writing `actual` there when asked to), for EXPECT_EQ(actual, ...).
inline std::string golden(const std::filesystem::path& file, const std::string& actual) {
    if (const char* update = std::getenv("KESTRIX_UPDATE_GOLDEN"); update && std::string(update) == "1")
        std::ofstream(file, std::ios::binary) << actual;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void expectGolden(const std::string& text, const std::string& name) {
    EXPECT_EQ(text, golden(std::filesystem::path(KESTRIX_GOLDEN_DIR) / name, text))
        << name << " (KESTRIX_UPDATE_GOLDEN=1 rewrites it)";
}

inline void expectGolden(const Json::Value& doc, const std::string& name) {
    expectGolden(Dump::toJsonString(doc, false), name);
}

// `text` read as JSON; a failure naming `what` when it does not parse (and a null value).
inline Json::Value parseJson(const std::string& text, const std::string& what = "") {
    Json::Value v;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &v, &errors)) << what << ": " << errors;
    return v;
}

}  // namespace kx::test
