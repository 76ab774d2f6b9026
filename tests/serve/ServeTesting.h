#pragma once
// What the viewer's test files share: gtest, files and golden documents, stocked import folders, and the
// viewer's requests and names.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Http.h"
#include "core/Golden.h"
#include "core/TestFiles.h"
#include "serve/ImportFolders.h"

using namespace kx::serve;
using Kestrix::Sim::StockKind;
namespace fs = std::filesystem;
