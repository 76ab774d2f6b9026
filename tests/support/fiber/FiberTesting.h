#pragma once
// What the fiber test files share: gtest, the byte and golden-file helpers, the fiber builders and the
// model's names.
#include <gtest/gtest.h>

#include "core/Golden.h"
#include "core/TestBytes.h"
#include "fiber/FiberBuilders.h"
#include "fiber/OtdrBuilders.h"

using namespace Kestrix;
using kx::test::bytesOf;
using kx::test::everyPrefixFails;
using kx::test::kHeaderBytes;
using kx::test::readInto;
