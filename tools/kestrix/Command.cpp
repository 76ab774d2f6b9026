#include "Command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "common/PFile.h"
#include "tester/host/HostServices.h"
#include "tester/import/OutputFile.h"
#include "tester/record/HostRecordJson.h"

namespace kx::cli {

namespace {

bool& quietFlag() {
    static bool quiet = false;
    return quiet;
}

}  // namespace

std::vector<uint8_t> readInputFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw BadInput("cannot read " + path + ": it is a folder");
    std::vector<uint8_t> bytes;
    errno = 0;
    if (!PFile::readFileBytes(path, bytes)) {
        const int err = errno;
        throw BadInput("cannot read " + path + (err != 0 ? std::string(": ") + std::strerror(err) : ""));
    }
    return bytes;
}

void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = path;
    // Through a link to the file it names; a device or a pipe (/dev/stdout) is written as it is.
    if (fs::is_symlink(fs::symlink_status(target, ec))) target = fs::weakly_canonical(target, ec);
    const auto st = fs::status(target, ec);
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        if (fs::is_directory(st)) throw BadInput("cannot write " + path + ": it is a folder");
        if (!PFile::writeFileBytes(target.string(), bytes)) throw BadInput("cannot write " + path);
        return;
    }
    try {
        Kestrix::Import::writeAtomically(target, bytes, Kestrix::Import::Durability::Now);
    } catch (const std::runtime_error& e) {
        throw BadInput(e.what());
    }
    announceWritten(path);
}

void writeOutputText(const std::string& path, const std::string& text) {
    writeOutputFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void announceWritten(const std::string& path) { announce("wrote " + path); }

void announce(const std::string& line) {
    if (!quietFlag()) std::cerr << line << '\n';
}

void addQuietFlag(CLI::App* cmd) { cmd->add_flag("-q,--quiet", quietFlag(), "Do not name the files written"); }

void addJsonFlag(CLI::App* cmd, bool& json, const std::string& what) { cmd->add_flag("--json", json, what); }

std::string jsonText(const Json::Value& value) { return Kestrix::Tester::hostRecordJsonText(value); }

void printJson(const Json::Value& value) { std::cout << jsonText(value) << std::flush; }

std::string isoTime(int64_t secondsSince1970) {
    using Kestrix::Tester::HxDataDate;
    return HxDataDate::ToIso8601(HxDataDate::From1970(secondsSince1970));
}

std::string extensionOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

}  // namespace kx::cli
