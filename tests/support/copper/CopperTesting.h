#pragma once
// What the copper test files share: gtest, the byte and golden-file helpers, the copper builders, the
// model's names and its four pairs.
#include <gtest/gtest.h>

#include "copper/CopperBuilders.h"
#include "copper/LimitBuilders.h"
#include "core/Golden.h"
#include "core/TestBytes.h"

using namespace Kestrix;
using kx::test::bytesOf;
using kx::test::everyPrefixFails;
using kx::test::freqLimit;
using kx::test::kHeaderBytes;
using kx::test::readInto;
using kx::test::samplePlot;
using kx::test::scalar;
using kx::test::scalarLimit;

inline constexpr WirePair P1 = WirePair::pair1;
inline constexpr WirePair P2 = WirePair::pair2;
inline constexpr WirePair P3 = WirePair::pair3;
inline constexpr WirePair P4 = WirePair::pair4;
