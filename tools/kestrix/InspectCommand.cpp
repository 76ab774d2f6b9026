// kestrix inspect FILE [--json]: the sections of a container and its result summary.
#include "InspectCommand.h"

#include <cstdio>
#include <iostream>
#include <memory>

#include "Command.h"
#include "CommandTable.h"
#include "common/PFile.h"
#include "common/ResultEnvelope.h"
#include "common/ResultSummary.h"
#include "serialization/LittleEndian.h"
#include "serialization/SimpleFormatter.h"

namespace kx::cli {

namespace {

struct SectionInfo {
    uint16_t type = 0, version = 0, flags = 0;
    uint32_t storedSize = 0;
    int64_t payloadSize = -1;  // -1 when it could not be inflated
    bool crcOk = false;
    bool compressed = false;
};

struct Listing {
    uint32_t containerLength = 0;
    std::vector<SectionInfo> sections;
    std::string problem;  // first reason the container is not sound
    std::unique_ptr<Kestrix::ResultSummary> summary;
    std::string summaryProblem;
};

void note(Listing& l, const std::string& reason) {
    if (l.problem.empty()) l.problem = reason;
}

// What failed and where, from the reader's failure kind and offset.
std::string describe(const PFile::Failure& f) {
    switch (f.kind) {
        case PFile::FailureKind::empty: return "empty file";
        case PFile::FailureKind::containerTooLarge: return "file too large";
        default: return std::string(PFile::toString(f.kind)) + " at byte " + std::to_string(f.offset);
    }
}

// Faults of one section's payload: the reader stands after that section and can go on.
bool payloadFault(PFile::FailureKind kind) {
    return kind == PFile::FailureKind::dataCrc || kind == PFile::FailureKind::inflate ||
           kind == PFile::FailureKind::sectionTooLarge;
}

Listing scan(const std::vector<uint8_t>& bytes) {
    Listing l;
    PFile::MemReader reader;
    if (reader.open(bytes) != 0) {
        note(l, describe(reader.failure()));
        // List what a lenient open can still reach.
        if (reader.quickOpen(bytes) != 0) return l;
    }
    const PFile::Section* fh = reader.fileHeader();
    if (fh != nullptr && fh->size() >= 4) l.containerLength = Marshal::LittleEndian::load<uint32_t>(fh->data());
    for (;;) {
        PFile::Section s;
        const int32_t rc = reader.read(s, true);
        if (rc == -2) break;
        const PFile::Failure failure = reader.failure();
        if (rc != 0 && !payloadFault(failure.kind)) {
            note(l, describe(failure));
            break;
        }
        SectionInfo info;
        info.type = s.header.type;
        info.version = s.header.version;
        info.flags = s.header.flags;
        info.storedSize = s.header.dataSize;
        info.compressed = (s.header.flags & PFile::SECTION_FLAG_COMPRESSED) != 0;
        info.crcOk = failure.kind != PFile::FailureKind::dataCrc;
        const std::string section =
            "section " + std::to_string(l.sections.size()) + " (type " + std::to_string(info.type) + "): ";
        if (!info.crcOk) {
            note(l, section + "data failed crc check");
        } else if (rc != 0) {
            note(l, section + describe(failure));
        } else {
            info.payloadSize = s.size();
            if (info.type == PFile::SectionType::ResultSummary && !l.summary) {
                auto summary = std::make_unique<Kestrix::ResultSummary>();
                const auto st = Kestrix::readSectionObject(s, *summary);
                if (st == Kestrix::ResultReaderStatus::success)
                    l.summary = std::move(summary);
                else
                    l.summaryProblem = std::string("result summary: ") + Kestrix::toString(st);
            }
        }
        l.sections.push_back(info);
    }
    return l;
}

void printText(const Listing& l, std::ostream& out) {
    out << "container length " << l.containerLength << ", " << l.sections.size() << " data section"
        << (l.sections.size() == 1 ? "" : "s") << '\n';
    char row[160];
    std::snprintf(row, sizeof row, "%3s %6s %7s %6s %10s %10s %4s %s\n", "#", "type", "version", "flags", "stored",
                  "payload", "crc", "compressed");
    out << row;
    for (size_t i = 0; i < l.sections.size(); ++i) {
        const auto& s = l.sections[i];
        const std::string payload = s.payloadSize < 0 ? "?" : std::to_string(s.payloadSize);
        std::snprintf(row, sizeof row, "%3zu %6u %7u 0x%04x %10u %10s %4s %s\n", i, s.type, s.version, s.flags,
                      s.storedSize, payload.c_str(), s.crcOk ? "ok" : "BAD",
                      s.compressed ? ("yes (level " + std::to_string(s.flags >> 12) + ")").c_str() : "no");
        out << row;
    }
    if (l.summary) {
        out << '\n';
        Dump::SimpleFormatter f(&out);
        l.summary->dump(f, Dump::DumpFlags{2});
    }
}

Json::Value number(const Kestrix::DisplayMeas& m) {
    return m.value.isFinite() ? Json::Value(m.value.toDouble()) : Json::Value();
}

// The summary in the tool's own terms: numbers as numbers, the date in ISO 8601, names beside codes.
Json::Value summaryJson(const Kestrix::ResultSummary& s) {
    Json::Value v(Json::objectValue);
    v["resultName"] = s.resultName;
    v["resultType"] = Kestrix::toString(s.resultType);
    v["resultTypeCode"] = static_cast<int>(s.resultType);
    v["date"] = isoTime(s.timeStamp);
    v["status"] = Kestrix::toString(s.status);
    v["statusCode"] = static_cast<int>(s.status);
    v["length"] = number(s.length);
    v["headroom"] = number(s.headroom);
    v["testFlags"] = s.testFlags;
    v["numPassTests"] = s.numPassTests;
    v["numPassStarTests"] = s.numPassStarTests;
    v["numFailTests"] = s.numFailTests;
    return v;
}

void printJson(const Listing& l, std::ostream& out) {
    Json::Value v(Json::objectValue);
    v["containerLength"] = l.containerLength;
    v["ok"] = l.problem.empty() && l.summaryProblem.empty();
    if (!l.problem.empty()) v["error"] = l.problem;
    if (!l.summaryProblem.empty()) v["summaryError"] = l.summaryProblem;
    Json::Value list(Json::arrayValue);
    for (const auto& s : l.sections) {
        Json::Value j(Json::objectValue);
        j["type"] = s.type;
        j["version"] = s.version;
        j["flags"] = s.flags;
        j["storedSize"] = s.storedSize;
        j["payloadSize"] = s.payloadSize < 0 ? Json::Value() : Json::Value(static_cast<Json::Int64>(s.payloadSize));
        j["crcOk"] = s.crcOk;
        j["compressed"] = s.compressed;
        list.append(j);
    }
    v["sections"] = list;
    v["summary"] = l.summary ? summaryJson(*l.summary) : Json::Value();
    out << jsonText(v);
}

}  // namespace

void inspectContainer(const std::vector<uint8_t>& bytes, bool json, std::ostream& out) {
    const Listing l = scan(bytes);
    if (json)
        printJson(l, out);
    else
        printText(l, out);
    if (!l.problem.empty()) throw BadInput("corrupt container: " + l.problem);
    if (!l.summaryProblem.empty()) throw BadInput(l.summaryProblem);
}

void setupInspectCommand(CLI::App* cmd) {
    struct Opts {
        std::string file;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Container file")->required();
    addJsonFlag(cmd, opts->json);
    cmd->callback([opts] { inspectContainer(readInputFile(opts->file), opts->json, std::cout); });
}

}  // namespace kx::cli
