// Reading a result-sized container (open, every section, CRC, inflate) against plain zlib uncompress of the
// same payloads, and the byte-stream reader's primitives.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/PFile.h"
#include "serialization/ByteStreamBuilder.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/LittleEndian.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Measurement-like payloads: smooth curves with noise, codes, labels; about 1.5 MB in all.
std::vector<Bytes> resultPayloads() {
    std::mt19937 rng(42);
    std::normal_distribution<double> noise(0.0, 0.05);
    std::vector<Bytes> out;

    Marshal::ByteStreamBuilder summary;
    summary.write(std::string("RACK1-PP2-07"));
    for (int i = 0; i < 40; ++i) summary.write(static_cast<int32_t>(i * 37));
    out.push_back(summary.bytes());

    Marshal::ByteStreamBuilder curves;
    for (int i = 0; i < 60000; ++i) curves.write(20.0 * std::log10(1.0 + i / 500.0) + noise(rng));
    out.push_back(curves.bytes());

    Marshal::ByteStreamBuilder trace;
    for (int i = 0; i < 100000; ++i) trace.write(static_cast<float>(-0.35 * i / 1000.0 + noise(rng)));
    out.push_back(trace.bytes());

    Marshal::ByteStreamBuilder codes;
    for (int i = 0; i < 80000; ++i)
        codes.write(static_cast<int32_t>(1000 + (i % 250) * 4 + static_cast<int>(rng() % 3)));
    out.push_back(codes.bytes());

    Marshal::ByteStreamBuilder labels;
    for (int i = 0; i < 5000; ++i) labels.write("PANEL-" + std::to_string(i / 48) + "-PORT-" + std::to_string(i % 48));
    out.push_back(labels.bytes());

    Marshal::ByteStreamBuilder samples;
    for (int i = 0; i < 100000; ++i)
        samples.write(static_cast<uint16_t>(32768 + 8000 * std::sin(i / 40.0) + static_cast<int>(rng() % 64)));
    out.push_back(samples.bytes());
    return out;
}

struct Fixture {
    std::vector<Bytes> payloads = resultPayloads();
    Bytes container;
    std::vector<Bytes> streams;  // the zlib streams as stored, without the length prefix
    size_t totalPlain = 0;

    Fixture() {
        const uint16_t types[] = {200, 700, 701, 702, 300, 301};
        std::vector<std::unique_ptr<PFile::Section>> sections;
        std::vector<PFile::Section*> ptrs;
        for (size_t i = 0; i < payloads.size(); ++i) {
            sections.push_back(std::make_unique<PFile::Section>());
            sections.back()->setCopy(types[i], 1, PFile::SECTION_FLAG_COMPRESSED, payloads[i], 1);
            ptrs.push_back(sections.back().get());
            streams.emplace_back(sections.back()->data() + 4, sections.back()->data() + sections.back()->size());
            totalPlain += payloads[i].size();
        }
        container = PFile::buildContainer(ptrs);
    }
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

void BM_ContainerReadAll(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        PFile::MemReader reader;
        if (reader.open(f.container.data(), static_cast<int32_t>(f.container.size())) != 0) state.SkipWithError("open");
        PFile::Section s;
        size_t total = 0;
        while (reader.read(s, true) == 0) total += s.size();
        if (total != f.totalPlain) state.SkipWithError("size");
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalPlain));
    state.counters["container_bytes"] = static_cast<double>(f.container.size());
}
BENCHMARK(BM_ContainerReadAll)->Unit(benchmark::kMicrosecond);

void BM_ZlibUncompressOnly(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        size_t total = 0;
        for (size_t i = 0; i < f.streams.size(); ++i) {
            // Allocated per payload, as the reader does.
            std::unique_ptr<uint8_t[]> out(new uint8_t[f.payloads[i].size()]);
            uLongf n = f.payloads[i].size();
            if (uncompress(out.get(), &n, f.streams[i].data(), f.streams[i].size()) != Z_OK)
                state.SkipWithError("zlib");
            total += n;
            benchmark::DoNotOptimize(out.get());
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalPlain));
}
BENCHMARK(BM_ZlibUncompressOnly)->Unit(benchmark::kMicrosecond);

// The CRC alone over the stored payloads, to show where the difference goes.
void BM_CrcOfStoredPayloads(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        uLong c = 0;
        for (const auto& s : f.streams) c ^= crc32(0L, s.data(), static_cast<uInt>(s.size()));
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_CrcOfStoredPayloads)->Unit(benchmark::kMicrosecond);

Bytes arrayBytes(size_t count, size_t width) {
    Bytes b(count * width);
    std::mt19937 rng(1);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

void BM_ReaderUInt32Array(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    const Bytes b = arrayBytes(n, 4);
    std::vector<uint32_t> out(n);
    for (auto _ : state) {
        Marshal::ByteStreamReader r(b.data(), static_cast<uint32_t>(b.size()));
        benchmark::DoNotOptimize(r.read(out.data(), n));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.size()));
}
BENCHMARK(BM_ReaderUInt32Array)->Arg(65536);

void BM_ReaderDoubleArray(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    const Bytes b = arrayBytes(n, 8);
    std::vector<double> out(n);
    for (auto _ : state) {
        Marshal::ByteStreamReader r(b.data(), static_cast<uint32_t>(b.size()));
        benchmark::DoNotOptimize(r.read(out.data(), n));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.size()));
}
BENCHMARK(BM_ReaderDoubleArray)->Arg(65536);

void BM_ReaderUInt32OneByOne(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    const Bytes b = arrayBytes(n, 4);
    for (auto _ : state) {
        Marshal::ByteStreamReader r(b.data(), static_cast<uint32_t>(b.size()));
        Marshal::IObjectReader& ir = r;  // through the interface, as deserializers call it
        uint32_t v = 0, acc = 0;
        for (uint32_t i = 0; i < n; ++i) {
            ir.read(v);
            acc ^= v;
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.size()));
}
BENCHMARK(BM_ReaderUInt32OneByOne)->Arg(65536);

void BM_ReaderStrings(benchmark::State& state) {
    Marshal::ByteStreamBuilder w;
    for (int i = 0; i < 10000; ++i) w.write("CABLE-ID-" + std::to_string(i * 7919));
    const Bytes b = w.bytes();
    for (auto _ : state) {
        Marshal::ByteStreamReader r(b.data(), static_cast<uint32_t>(b.size()));
        Marshal::IObjectReader& ir = r;
        std::string s;
        size_t total = 0;
        for (int i = 0; i < 10000; ++i) {
            ir.read(s);
            total += s.size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 10000));
}
BENCHMARK(BM_ReaderStrings);

}  // namespace
