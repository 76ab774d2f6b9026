#pragma once
// What the common test files share: gtest, the byte, container and golden-file helpers and the model's names.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/Containers.h"
#include "core/Golden.h"
#include "core/TestBytes.h"

// Opened here so the names below can be used before any model header is included.
namespace Kestrix {}  // namespace Kestrix
using namespace Kestrix;
using kx::test::bytesOf;
using kx::test::containerOf;
using kx::test::kClassVersionOffset;
using kx::test::kHeaderBytes;
using kx::test::kTypeIdOffset;
using kx::test::readInto;
using Bytes = std::vector<uint8_t>;
