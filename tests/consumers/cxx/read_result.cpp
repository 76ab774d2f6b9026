// Reads a fiber result file and prints how many tests it holds.
#include <cstdio>

#include <kestrix/common/PFile.h>
#include <kestrix/fiber/FiberResultReader.h>

int main(int argc, char** argv) {
    std::vector<uint8_t> bytes;
    if (argc != 2 || !PFile::readFileBytes(argv[1], bytes)) return 2;
    Kestrix::FiberResult result;
    const auto st = Kestrix::FiberResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::printf("%s: %zu test(s)\n", Kestrix::toString(st), result.tests.size());
    return st == Kestrix::ResultReaderStatus::success ? 0 : 1;
}
