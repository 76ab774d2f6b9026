#pragma once
// What the report's test files share: gtest, files and golden documents, the record builders, and the
// report's pictures and names.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/Golden.h"
#include "core/TestFiles.h"
#include "tester/RecordFixtures.h"
#include "tester/report/RecordPlots.h"

using namespace Kestrix::Report;
namespace fs = std::filesystem;
