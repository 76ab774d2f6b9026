#pragma once
// What the storage test files share: gtest, the byte and golden-file helpers, the sample project and the
// model's names.
#include <gtest/gtest.h>

#include "core/Golden.h"
#include "core/TestBytes.h"
#include "storage/ProjectBuilders.h"

using namespace Project;
using kx::test::bytesOf;
using kx::test::kClassVersionOffset;
using kx::test::kHeaderBytes;
using kx::test::kTypeIdOffset;
using kx::test::put32;
using kx::test::readInto;
