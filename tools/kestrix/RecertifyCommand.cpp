// `kestrix recertify FILE --out NEW [--nvp N]`: judges a copper result again against its own stored limit.
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>

#include "Command.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperResultWriter.h"

namespace {

kx::cli::CommandRegistration reg([](CLI::App& app) {
    struct Opts {
        std::string file, out;
        float nvp = std::numeric_limits<float>::quiet_NaN();
    };
    auto opts = std::make_shared<Opts>();
    auto* cmd = app.add_subcommand("recertify", "Judge a copper result again against its own limit");
    cmd->add_option("FILE", opts->file, "Copper result file")->required()->check(CLI::ExistingFile);
    cmd->add_option("--out", opts->out, "Result file to write")->required();
    cmd->add_option("--nvp", opts->nvp, "NVP in percent of the speed of light (lengths are recomputed)");
    cmd->callback([opts] {
        const bool newNvp = !std::isnan(opts->nvp);
        if (newNvp && !(opts->nvp > 0.0f && opts->nvp <= 100.0f))
            throw kx::cli::BadInput("the NVP must lie above 0 and at most 100 percent");
        const auto bytes = kx::cli::readInputFile(opts->file);
        Kestrix::CopperResult result;
        const auto st =
            Kestrix::CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
        if (st != Kestrix::ResultReaderStatus::success)
            throw kx::cli::BadInput(std::string("cannot read the copper result: ") + Kestrix::toString(st));
        const Kestrix::CopperTestPtr test = result.getCopperTest();
        if (!test) throw kx::cli::BadInput("the result holds no copper test");
        if (!test->hasLimit())
            throw kx::cli::BadInput("the copper test has no stored limit to judge it against");

        const Kestrix::Status before = test->body.status;
        const Kestrix::Status after = test->recertify(opts->nvp);
        if (newNvp) test->body.settings.nvp = Kestrix::ScaledInt(opts->nvp, Kestrix::ScaledInt::tenths);
        result.mergeCopperTest(test, true);
        const auto out = Kestrix::CopperResultWriter::writeResult(result);
        if (out.empty()) throw kx::cli::BadInput("cannot write the new result");
        kx::cli::writeOutputFile(opts->out, out);
        std::cout << "old status: " << Kestrix::toString(before) << '\n'
                  << "new status: " << Kestrix::toString(after) << '\n';
    });
});

}  // namespace
