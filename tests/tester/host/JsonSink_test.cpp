// A JSON value written through a sink: as a tree and as compact text, the same JSON, whatever order the
// members come in; and every host record file the same text as its tree.

#include <random>

#include "tester/RecordFixtures.h"
#include "SimStockResults.h"
#include "tester/host/JsonSink.h"
#include "tester/record/HostRecordJson.h"

using namespace Kestrix::Tester;

namespace {

// Writes `v` to a sink event by event, members in the order `shuffle` gives them.
void replay(const Json::Value& v, JsonSink& s, std::mt19937& shuffle) {
    switch (v.type()) {
        case Json::nullValue: s.null(); break;
        case Json::intValue: s.integer(v.asInt64()); break;
        case Json::uintValue: s.unsignedInteger(v.asUInt64()); break;
        case Json::realValue: s.real(v.asDouble()); break;
        case Json::booleanValue: s.boolean(v.asBool()); break;
        case Json::stringValue: s.string(v.asString()); break;
        case Json::arrayValue:
            s.beginArray();
            for (const auto& e : v) replay(e, s, shuffle);
            s.endArray();
            break;
        case Json::objectValue: {
            auto names = v.getMemberNames();
            std::shuffle(names.begin(), names.end(), shuffle);
            s.beginObject();
            for (const auto& n : names) {
                s.key(n);
                replay(v[n], s, shuffle);
            }
            s.endObject();
            break;
        }
    }
}

Json::Value randomValue(std::mt19937& rng, int depth) {
    const int kind = static_cast<int>(rng() % (depth > 3 ? 6 : 8));
    switch (kind) {
        case 0: return Json::Value();
        case 1: return Json::Value(static_cast<int>(rng() % 2000) - 1000);
        case 2: return Json::Value(static_cast<double>(rng() % 100000) / 7.0);
        case 3: return Json::Value(rng() % 2 == 0);
        case 4: return Json::Value(std::string(1 + rng() % 5, static_cast<char>('a' + rng() % 26)));
        case 5: return Json::Value(Json::UInt64(rng()) << 20);
        case 6: {
            Json::Value a(Json::arrayValue);
            for (unsigned i = rng() % 5; i > 0; --i) a.append(randomValue(rng, depth + 1));
            return a;
        }
        default: {
            Json::Value o(Json::objectValue);
            // Names that share prefixes and differ in case, so that the order is the byte order; and names
            // whose text is escaped, two of them to the same text (bytes that are not UTF-8).
            static const char* kNames[] = {"Id", "ID", "Ids", "a",   "B",   "Status", "Stat", "_x",   "Z9",
                                           "z",  "10", "9",   "q\"", "q\\", "q",      "\x01", "\xfe", "\xff"};
            constexpr size_t kCount = sizeof kNames / sizeof kNames[0];
            for (unsigned i = rng() % 7; i > 0; --i) o[kNames[rng() % kCount]] = randomValue(rng, depth + 1);
            return o;
        }
    }
}

TEST(JsonSink, TextAndTreeAreTheSameJsonWhateverTheMemberOrderAndANameGivenTwiceKeepsItsLastValue) {
    std::mt19937 rng(24);
    for (int i = 0; i < 300; ++i) {
        const Json::Value v = randomValue(rng, 0);
        JsonTextSink text;
        JsonTreeSink tree;
        replay(v, text, rng);
        replay(v, tree, rng);
        const Json::Value built = tree.take();
        EXPECT_EQ(built, v);
        EXPECT_EQ(text.take() + "\n", compactJsonText(v)) << v.toStyledString();
    }
    const auto write = [](JsonSink& s) {
        s.beginObject();
        s.member("b", 1);
        s.member("a", 2);
        s.member("b", 3);
        s.endObject();
    };
    JsonTextSink text;
    JsonTreeSink tree;
    write(text);
    write(tree);
    EXPECT_EQ(text.take(), "{\"a\":2,\"b\":3}");
    EXPECT_EQ(compactJsonText(tree.take()), "{\"a\":2,\"b\":3}\n");
}

// Every kind of result the simulator stocks: its record file is its tree as text, plots or not. One sink for
// record after record, as a writer thread uses it, gives each record's own text whatever the sink wrote before
// (a larger record, or a value left unfinished).
TEST(JsonSink, EveryHostRecordFileIsItsTreeAsTextAlsoFromASinkThatWroteBefore) {
    using Kestrix::Sim::StockKind;
    JsonTextSink sink;
    sink.beginObject();
    sink.key("left");
    sink.beginArray();
    for (StockKind kind :
         {StockKind::otdrEnd1, StockKind::otdrEnd2, StockKind::otdrBothEnds, StockKind::otdrBidi, StockKind::faultMap,
          StockKind::realTimeTrace, StockKind::endFaceImage, StockKind::lossLength, StockKind::lossLengthPass,
          StockKind::powerMeter, StockKind::copperPass, StockKind::copperFail, StockKind::coax}) {
        TestRecordTarvel rec(Kestrix::Sim::stockResult(kind, "Gr\xc3\xbc\xc3\x9f \"1\"", 1790000000));
        rec.GetMetaData().Project = "P\nQ";
        for (bool plots : {false, true})
            EXPECT_EQ(hostRecordFile(rec, plots), compactJsonText(hostRecordJson(rec, plots)))
                << static_cast<int>(kind) << (plots ? " with plots" : "");
        std::string conflict = "stale";
        hostRecordFile(rec, false, sink, &conflict);
        std::string expectedConflict;
        EXPECT_EQ(sink.text(), hostRecordFile(rec, false, &expectedConflict)) << static_cast<int>(kind);
        EXPECT_EQ(conflict, expectedConflict);
    }
    TestRecordTarvel junk(std::vector<uint8_t>{1, 2, 3});
    EXPECT_EQ(hostRecordFile(junk), compactJsonText(hostRecordJson(junk)));
}

}  // namespace
