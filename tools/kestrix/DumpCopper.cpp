// `kestrix dump` and `kestrix csv` of copper result files, and the bare copper objects with a header of
// their own that the copper limit file does not register.
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "common/PFile.h"
#include "copper/CopperResultReader.h"

namespace {

using Kestrix::CopperResult;

CopperResult readCopperResult(const std::vector<uint8_t>& bytes) {
    CopperResult result;
    const auto st = Kestrix::CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (st != Kestrix::ResultReaderStatus::success)
        throw kx::cli::BadInput(std::string("cannot read the copper result: ") + Kestrix::toString(st));
    return result;
}

const char* csvFailureText(int code) {
    switch (code) {
        case 2: return "cannot open the CSV file for writing";
        case 3: return "the raw data holds no displayable plot";
        case 4: return "the copper test has no raw data";
        case 5: return "the result holds no copper test";
        default: return "raw-data export failed";
    }
}

}  // namespace

namespace kx::cli {

void registerCopperDumpers() {
    registerResultPrinter(Kestrix::ResultType::COPPER,
                          [](const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out) {
                              const CopperResult result = readCopperResult(bytes);
                              printModel(result, &result, opts, out);
                          });

    registerCsvExporter(Kestrix::ResultType::COPPER, [](const std::vector<uint8_t>& bytes) {
        const CopperResult result = readCopperResult(bytes);
        // The library writes a file: a private one, read back, so the CSV reaches its place as every output does.
        std::string temp = (std::filesystem::temp_directory_path() / "kestrix-csv-XXXXXX").string();
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) throw BadInput("cannot make a temporary file");
        ::close(fd);
        const int rc = Kestrix::copperRawToCsv(temp, result);
        std::vector<uint8_t> csv;
        const bool read = rc == 0 && PFile::readFileBytes(temp, csv);
        std::filesystem::remove(temp);
        if (rc != 0) throw BadInput(csvFailureText(rc));
        if (!read) throw BadInput("cannot read the raw data back");
        return std::string(csv.begin(), csv.end());
    });

    // Classes sharing a type id are tried in registration order: the whole test before its body, the fault
    // result before its parts.
    registerBareObject<Kestrix::CopperTest>("CopperTest", Marshal::TypeIds::CopperTest);
    registerBareObject<Kestrix::CopperTestBody>("CopperTestBody", Marshal::TypeIds::CopperTest);
    registerBareObject<Kestrix::CopperPlots>("CopperPlots", Marshal::TypeIds::CopperPlots);
    registerBareObject<Kestrix::CopperRawData>("CopperRawData", Marshal::TypeIds::CopperRawData);
    registerBareObject<Kestrix::CopperCable>("CopperCable", Marshal::TypeIds::CopperCable);
    registerBareObject<Kestrix::DiagRes>("DiagRes", Marshal::TypeIds::DiagRes);
    registerBareObject<Kestrix::FaultInfoResult>("FaultInfoResult", Marshal::TypeIds::FaultInfo);
    registerBareObject<Kestrix::FaultInfoCableElement>("FaultInfoCableElement", Marshal::TypeIds::FaultInfo);
    registerBareObject<Kestrix::FaultInfoEvent>("FaultInfoEvent", Marshal::TypeIds::FaultInfo);
}

}  // namespace kx::cli
