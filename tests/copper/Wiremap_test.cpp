#include "copper/CopperTesting.h"

#include <cstdlib>

#include <cstring>

#include "copper/WireMapData.h"
#include "trace/TraceBuffer.h"

namespace {
CopperOutletConfig outlet568() {
    CopperOutletConfig c;
    c.name = "568B";
    const uint32_t colours[4] = {0xFF8000, 0x00FF00, 0x0000FF, 0x804000};
    for (int p = 1; p <= 4; ++p) {
        CopperOutletConfigArtifact a;
        a.srcWirePair = a.rcvWirePair = static_cast<WirePair>(p);
        a.wire1Color = colours[p - 1];
        a.wire2Color = 0xFFFFFF;  // white, dashed
        a.wire2IsDashed = true;
        c.artifacts.push_back(a);
    }
    return c;
}
const CopperOutletConfig kOutlet = outlet568();

Wiremap everyArtifact() {
    Wiremap w = kx::test::straightThroughWiremap();
    w.isAcMap = true;
    w.isDisplayByPairs = true;
    w.splitPairs.push_back({P2, P3, ScaledInt::raw(123, ScaledInt::tenths), ScaledInt::raw(45, ScaledInt::tenths)});
    w.opens.push_back({CableEnd::remote, Pin::pin4, ScaledInt::raw(301, ScaledInt::tenths)});
    w.shorts.push_back({CableEnd::main, Pin::pin7, Pin::pin8, ScaledInt::raw(12, ScaledInt::tenths)});
    return w;
}

std::string line(const WireMapData& d, int n) {
    char buf[32];
    std::memset(buf, 'x', sizeof buf);
    const char* out = d.textLineOut(n, buf, 20);
    return out ? std::string(out) : std::string("<null>");
}
}  // namespace

TEST(Wiremap, RoundTripsEveryArtifactKindAndPinUseCountsConnectionsOpensAndShortsButNotSplitPairs) {
    const Wiremap w = everyArtifact();
    const auto bytes = bytesOf(w);
    // Header, 2-byte status, four flags, four counted lists.
    EXPECT_EQ(bytes.size(), 12u + 6u + 4u + 17u + 4u + 9u * 5u + 4u + 11u + 4u + 13u);
    Wiremap back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(bytesOf(back), bytes);
    EXPECT_TRUE(everyPrefixFails<Wiremap>(bytes));
    kx::test::expectGolden(back.jsonBody(Dump::DumpFlags{}), "Wiremap.json");

    // A huge artifact count fails before anything is allocated.
    auto huge = bytesOf(Wiremap{});
    kx::test::put32(huge, 18, 0xFFFFFFFF);
    EXPECT_EQ(readInto(back, huge), Marshal::readError);

    // Pin use counts connections, opens and shorts but not split pairs.
    Wiremap use;
    use.splitPairs.push_back({P1, P2, ScaledInt(), ScaledInt()});
    use.opens.push_back({CableEnd::main, Pin::pin3, ScaledInt()});
    use.shorts.push_back({CableEnd::remote, Pin::pin5, Pin::pin6, ScaledInt()});
    use.connections.push_back({Pin::pin1, Pin::pin2});
    for (Pin used : {Pin::pin2, Pin::pin3, Pin::pin6}) EXPECT_TRUE(use.isPinUsed(used)) << static_cast<int>(used);
    for (Pin unused : {Pin::pin4, Pin::shield}) EXPECT_FALSE(use.isPinUsed(unused)) << static_cast<int>(unused);
}

namespace {
bool tracedTheShort() {
    for (const auto& e : TraceBuffer::instance().entries()) {
        if (e->type() != 0) continue;
        if (static_cast<const StringEntry&>(*e).text == "end = End 1, pin1 = 7, pin2 = 8") return true;
    }
    return false;
}

// In a fresh process: reading before the host locks its channel table traces nothing and leaves the table
// open; after the lock the wiremap channels exist and reading traces on them.
void readBeforeAndAfterTheLock() {
    Wiremap back;
    bool ok = readInto(back, bytesOf(everyArtifact())) == Marshal::ok && !TraceBuffer::instance().locked() &&
              TraceBuffer::instance().size() == 0;
    ok = ok && TraceBuffer::instance().createChannel("host", 0) == 0;
    TraceBuffer::instance().lock();
    const ChannelTable table = TraceBuffer::instance().channelTable();
    ok = ok && table.find("WiremapArtifactShort::") > 0 && table.find("WiremapArtifactConnected::") > 0;
    ok = ok && readInto(back, bytesOf(everyArtifact())) == Marshal::ok && tracedTheShort();
    std::exit(ok ? 0 : 1);
}
}  // namespace

TEST(Wiremap, ReadingTracesOnlyOnceTheHostLockedTheTable) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(readBeforeAndAfterTheLock(), testing::ExitedWithCode(0), "");
}

TEST(CopperOutletConfig, RoundTripsRefusesNewerArtifactsAndStopsAfterItsFields) {
    auto bytes = bytesOf(kOutlet);
    EXPECT_EQ(bytes.size(), 12u + 2u + 4u + 1u + 4u + 4u * 13u);
    CopperOutletConfig back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_TRUE(back.isPairUsed(P4));
    EXPECT_FALSE(back.isPairUsed(WirePair::pairN));

    bytes[kHeaderBytes + 2 + 4 + 1 + 4] = 1;  // first artifact's version
    EXPECT_EQ(readInto(back, bytes), Marshal::versionTooNew);

    Json::Value levels;
    for (uint32_t level : {0, 1}) levels.append(kOutlet.toJson(Dump::DumpFlags{level}));
    kx::test::expectGolden(levels, "CopperOutletConfig.json");

    // The reader stops after the fields, not at the end the header announces.
    const auto longer = kx::test::reframe(bytesOf(kOutlet), 0, 0, bytes.size(), 0, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
    Marshal::ByteStreamReader r(longer.data(), static_cast<uint32_t>(longer.size()));
    EXPECT_EQ(back.deserialize(r), Marshal::ok);
    EXPECT_EQ(r.remaining(), 5u);
}

TEST(WireMapData, TextLinesOfStraightThroughOpensShortsAndCrossedPinsAndLabelsPerAdapter) {
    const Wiremap w = kx::test::straightThroughWiremap();
    const WireMapData d(&w, &kOutlet, 1, 1);
    EXPECT_EQ(line(d, 3), "<null>");
    EXPECT_EQ(line(d, -1), "<null>");
    char small[19];
    EXPECT_EQ(d.textLineOut(0, small, 19), nullptr);
    EXPECT_EQ(d.textLineOut(0, nullptr, 20), nullptr);
    EXPECT_FALSE(d.isSingleEnded());
    EXPECT_TRUE(d.drawShield());
    // Per pair of adapters (1 standard, 224 IX, 212 and 213 M12): the text lines, the labels of pins 0 to 10
    // at each end and of pair combinations -1 to 16. IX cells run over the labels 1 2 4 5 6 7 9 10, so
    // "10 " overruns into the shield cell; one M12 end relabels pins 2 and 3, both M12 ends keep the standard.
    Json::Value doc;
    for (const auto& [a, b] : {std::pair{1, 1}, {224, 224}, {224, 1}, {212, 1}, {212, 213}, {213, 212}, {213, 213}}) {
        const WireMapData m(&w, &kOutlet, a, b);
        Json::Value& e = doc[std::to_string(a) + " " + std::to_string(b)];
        if (a == b) {  // the remote line is labelled with the main end's adapter
            for (int n = 0; n < 3; ++n) e["lines"].append(line(m, n));
        }
        for (int pin = 0; pin <= 10; ++pin) {
            e["main"].append(m.pinLabel(static_cast<Pin>(pin), true));
            e["remote"].append(m.pinLabel(static_cast<Pin>(pin), false));
        }
        for (int combo = -1; combo <= 16; ++combo)
            e["pairs"].append(m.pairComboLabel(static_cast<WireMapData::PairCombo>(combo)));
    }
    kx::test::expectGolden(doc, "WireMapLabels.json");

    // Opens, shorts and crossed pins in the text lines.
    Wiremap faults;
    faults.connections = {{Pin::pin1, Pin::pin2}, {Pin::pin2, Pin::pin1}};
    faults.opens.push_back({CableEnd::main, Pin::pin3, ScaledInt::raw(100, ScaledInt::tenths)});
    faults.shorts.push_back({CableEnd::main, Pin::pin4, Pin::pin5, ScaledInt::raw(50, ScaledInt::tenths)});
    const WireMapData f(&faults, &kOutlet, 1, 1);
    EXPECT_EQ(line(f, 0), "1 2 3 " + std::string(12, ' '));
    EXPECT_EQ(line(f, 1), "| | o s " + std::string(10, ' '));
    EXPECT_EQ(line(f, 2), "2 1   5 " + std::string(10, ' '));
    Wiremap single;
    single.opens = faults.opens;
    EXPECT_TRUE(WireMapData(&single, &kOutlet, 1, 1).isSingleEnded());
}

TEST(WireMapData, ColoursAndDashesComeFromThePairArtifacts) {
    const Wiremap w = kx::test::straightThroughWiremap();
    CopperOutletConfig c = outlet568();
    // Pairs 2 and 3 cross: pair 2's wires arrive on pair 3's pins at the remote end and the other way round.
    c.artifacts[1].rcvWirePair = P3;
    c.artifacts[2].rcvWirePair = P2;
    const WireMapData d(&w, &c, 1, 1);
    EXPECT_EQ(d.pinColor(Pin::pin3, CableEnd::main), 0x00FF00u);
    EXPECT_EQ(d.pinColor(Pin::pin6, CableEnd::main), 0xFFFFFFu);
    EXPECT_TRUE(d.isDashed(Pin::pin6, CableEnd::main));
    EXPECT_FALSE(d.isDashed(Pin::pin3, CableEnd::main));
    EXPECT_EQ(d.pinColor(Pin::pin4, CableEnd::remote), 0x00FF00u);
    EXPECT_EQ(d.pinColor(Pin::pin3, CableEnd::remote), 0x0000FFu);
    EXPECT_EQ(d.pinColor(Pin::pin1, CableEnd::notset), 0xFF8000u);
    EXPECT_EQ(d.pinColor(static_cast<Pin>(10), CableEnd::main), 0u);
    EXPECT_FALSE(d.isDashed(Pin::notset, CableEnd::remote));

    c.name = "M12 X-Code";
    const WireMapData m12(&w, &c, 1, 1);
    EXPECT_EQ(m12.outletFamily(), WireMapData::OutletFamily::m12);
    EXPECT_EQ(m12.pinColor(Pin::pin4, CableEnd::main), 0xFFFFFFu);  // pair 2 is pins 3,4 on M12
    EXPECT_EQ(WireMapData(&w, &c, 1, 1).pinColor(Pin::pin7, CableEnd::main), 0x0000FFu);
}

TEST(WireMapData, ShortsShareGroupsAcrossChainsAndThoseThatCannotBeDrawnAreLeftOut) {
    Wiremap w;
    w.shorts = {{CableEnd::main, Pin::pin1, Pin::pin2, ScaledInt()},
                {CableEnd::main, Pin::pin5, Pin::pin6, ScaledInt()},
                {CableEnd::remote, Pin::pin1, Pin::pin2, ScaledInt()},
                {CableEnd::main, Pin::pin2, Pin::pin3, ScaledInt()},
                {CableEnd::main, Pin::pin6, Pin::pin1, ScaledInt()}};
    const WireMapData d(&w, &kOutlet, 1, 1);
    const auto& s = d.shortList();
    // 5-6 joined 1-2-3 through 6-1, renumbered to the lower group; the remote end counts on its own.
    ASSERT_EQ(s.size(), 5u);
    for (const auto& shortInfo : s) EXPECT_EQ(shortInfo.group, 1);

    Wiremap real;
    real.shorts = {{CableEnd::main, Pin::pin1, Pin::pin2, ScaledInt()},
                   {CableEnd::main, Pin::pin7, Pin::pin8, ScaledInt()},
                   {CableEnd::remote, Pin::pin3, Pin::pin6, ScaledInt()}};
    // Stored pins and ends are 16-bit codes: 60000 shorts on pins and ends that do not exist, between
    // the real ones, once took time quadratic in their number.
    Wiremap hostile;
    hostile.shorts.push_back(real.shorts[0]);
    for (uint32_t i = 0; i < 60000; ++i) {
        const auto pin = static_cast<Pin>(10 + i);
        const auto end = i % 3 == 0 ? static_cast<CableEnd>(3 + i) : CableEnd::main;
        hostile.shorts.push_back(
            {end, i % 2 ? pin : Pin::pin1, static_cast<Pin>(-static_cast<int32_t>(i) - 1), ScaledInt()});
    }
    hostile.shorts.push_back(real.shorts[1]);
    hostile.shorts.push_back({static_cast<CableEnd>(0x7FFF), Pin::pin1, Pin::pin2, ScaledInt()});
    hostile.shorts.push_back(real.shorts[2]);

    const WireMapData expected(&real, &kOutlet, 1, 1);
    const WireMapData h(&hostile, &kOutlet, 1, 1);
    ASSERT_EQ(h.shortList().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(h.shortList()[i].end, expected.shortList()[i].end);
        EXPECT_EQ(h.shortList()[i].pin1, expected.shortList()[i].pin1);
        EXPECT_EQ(h.shortList()[i].group, expected.shortList()[i].group);
    }
    EXPECT_EQ(h.shortList()[1].group, 2);
    EXPECT_EQ(h.shortList()[2].group, 1);  // the remote end counts on its own
}
