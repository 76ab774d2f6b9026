// `kestrix limit FILE [--json]`: a serialized fiber limit as the host sees it through its view.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "Command.h"
#include "CommandTable.h"
#include "tester/setups/TarvelFiberLimit.h"

namespace kx::cli {

namespace {

std::string param(const boost::optional<Kestrix::Tester::MeasParam>& p) {
    if (!p) return "-";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", p->Precision, p->Value);
    return buf;
}

void printText(const Kestrix::Tester::TarvelFiberLimit& limit) {
    std::printf("name:    %s\nkind:    %d%s\nversion: %s\n", printable(limit.GetName()).c_str(), limit.getKind(),
                limit.IsLossLength() ? " (loss/length)" : "", printable(limit.GetVersion()).c_str());
    for (size_t i = 0; i < limit.GetWavelengthCount(); ++i) {
        const auto w = limit.GetWavelenghtLimit(i);
        std::string cats;
        // Appended piecewise: g++ 12 warns (-Wrestrict) about "literal" + std::to_string(...) here.
        for (int c : w->GetFiberCategoryList()) {
            if (!cats.empty()) cats += ',';
            cats += std::to_string(c);
        }
        std::printf("%d nm  categories %s\n", w->Wavelength(), cats.empty() ? "-" : cats.c_str());
        std::printf(
            "  length %d m, overall loss %g dB, %g dB/km, adapter %g dB, splice %g dB, test connector %g dB, "
            "reference connector %g dB\n",
            w->LengthMetersSpec(), w->FixedLossSpec(), w->PerKmLossSpec(), w->AdapterLossSpec(), w->SpliceLossSpec(),
            w->TestConnectorLossSpec(), w->ReferenceConnectorLossSpec());
        std::printf("  events: splice %s dB, connector %s dB, reflectance %s dB, segment %s dB/km\n",
                    param(w->SpliceEventLossSpec()).c_str(), param(w->ConnectorEventLossSpec()).c_str(),
                    param(w->EventReflectanceSpec()).c_str(), param(w->SegmentAttenuationCoeffSpec()).c_str());
        std::string splitters;
        for (int r : {2, 4, 8, 16, 32, 64, 128, 256})
            if (auto s = w->SplitterEventLossSpec(r)) splitters += " 1x" + std::to_string(r) + " " + param(s);
        if (!splitters.empty()) std::printf("  splitters:%s\n", splitters.c_str());
    }
}

}  // namespace

void setupLimitCommand(CLI::App* cmd) {
    struct Opts {
        std::string file;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Serialized fiber limit")->required();
    addJsonFlag(cmd, opts->json, "Print the host's view as JSON");
    cmd->callback([opts] {
        const auto bytes = readInputFile(opts->file);
        Kestrix::Tester::TarvelFiberLimit limit;
        if (!limit.Deserialize(&bytes)) throw BadInput("not a serialized fiber limit: " + opts->file);
        if (opts->json)
            printJson(limit.toJson());
        else
            printText(limit);
    });
}

}  // namespace kx::cli
