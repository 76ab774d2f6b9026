// `kestrix wiremap FILE -o OUT.bmp|OUT.png [--feet]`: the wiremap picture of a copper result.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/record/TestRecordTarvel.h"

namespace kx::cli {

namespace {

bool endsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const char c = s[s.size() - tail.size() + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != tail[i]) return false;
    }
    return true;
}

}  // namespace

void setupWiremapCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, out;
        bool feet = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Copper result file")->required()->check(CLI::ExistingFile);
    cmd->add_option("-o,--out", opts->out, "Picture to write: .png for PNG, anything else BMP")->required();
    cmd->add_flag("--feet", opts->feet, "Label distances in feet");
    cmd->callback([opts] {
        Kestrix::Tester::TestRecordTarvel record(readInputFile(opts->file));
        if (record.GetCopperTest() == nullptr) throw BadInput("not a copper result: " + opts->file);
        auto test = record.GetWireMapTest();
        if (!test) throw BadInput("the result holds no wiremap test: " + opts->file);
        if (opts->feet) {
            test->Meters = false;
            test->LengthUnit = "ft";
        }
        const bool png = endsWith(opts->out, ".png");
        const auto picture = png ? record.GetWireMapPng(*test) : record.GetWireMapBitmap(*test);
        if (!picture) throw BadInput("cannot draw the wiremap");
        writeOutputFile(opts->out, *picture);
        std::cout << "wiremap written to " << opts->out << " (" << (png ? "PNG" : "BMP") << ", 280 x 220)\n";
    });
}

}  // namespace kx::cli
