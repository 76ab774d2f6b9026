#pragma once
// What the tool's test files share: gtest, files, golden documents, runs of the tool, and the tool's names.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandTable.h"
#include "core/Golden.h"
#include "core/TestFiles.h"
#include "core/ToolRun.h"

using namespace kx::cli;
namespace fs = std::filesystem;
