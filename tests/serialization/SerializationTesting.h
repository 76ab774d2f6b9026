#pragma once
// What the byte stream test files share: gtest, the writer and reader and their names.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "serialization/ByteStreamBuilder.h"
#include "serialization/ByteStreamReader.h"

using namespace Marshal;
