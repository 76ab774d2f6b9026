// `kestrix wiremap FILE -o OUT.bmp|OUT.png [--feet]`: the wiremap picture of a copper result.
#include "Command.h"
#include "CommandTable.h"
#include "tester/record/TestRecordTarvel.h"

namespace kx::cli {

void setupWiremapCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, out;
        bool feet = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Copper result file")->required();
    cmd->add_option("-o,--out", opts->out, "Picture to write: .png or .bmp (280 x 220)")->required();
    cmd->add_flag("--feet", opts->feet, "Label distances in feet");
    addQuietFlag(cmd);
    cmd->callback([opts] {
        const std::string ext = extensionOf(opts->out);
        if (ext != ".png" && ext != ".bmp")
            throw UsageError("the picture's name must end in .png or .bmp: " + opts->out);
        Kestrix::Tester::TestRecordTarvel record(readInputFile(opts->file));
        if (record.GetCopperTest() == nullptr) throw BadInput("not a copper result: " + opts->file);
        auto test = record.GetWireMapTest();
        if (!test) throw BadInput("the result holds no wiremap test: " + opts->file);
        if (opts->feet) {
            test->Meters = false;
            test->LengthUnit = "ft";
        }
        const auto picture = ext == ".png" ? record.GetWireMapPng(*test) : record.GetWireMapBitmap(*test);
        if (!picture) throw BadInput("cannot draw the wiremap");
        writeOutputFile(opts->out, *picture);
    });
}

}  // namespace kx::cli
