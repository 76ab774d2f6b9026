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
#include "serialization/JsonText.h"
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

// The reader's message without its "<class>::<op>() - " head and " | file:line" tail.
std::string reasonOf(const std::string& message) {
    std::string r = message;
    const auto dash = r.find("() - ");
    if (dash != std::string::npos) r = r.substr(dash + 5);
    const auto bar = r.rfind(" | ");
    if (bar != std::string::npos) r.resize(bar);
    return r;
}

Listing scan(const std::vector<uint8_t>& bytes) {
    Listing l;
    std::string lastError;
    PFile::Callbacks cb;
    cb.error = [&lastError](const std::string& m) { lastError = m; };
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) {
        note(l, bytes.empty() ? "empty file" : "file too large");
        return l;
    }
    const auto size = static_cast<int32_t>(bytes.size());
    PFile::MemReader reader(cb);
    if (reader.open(bytes.data(), size) != 0) {
        note(l, lastError.empty() ? "not a container" : reasonOf(lastError));
        // List what a lenient open can still reach.
        lastError.clear();
        if (reader.quickOpen(bytes.data(), size) != 0) return l;
    }
    const PFile::Section* fh = reader.fileHeader();
    if (fh != nullptr && fh->size() >= 4)
        l.containerLength = static_cast<uint32_t>(fh->data()[0] | fh->data()[1] << 8 | fh->data()[2] << 16 |
                                                  static_cast<uint32_t>(fh->data()[3]) << 24);
    for (;;) {
        PFile::Section s(cb);
        lastError.clear();
        const int32_t rc = reader.read(s, false);
        if (rc == -2) break;
        const bool crcFailed = lastError.find("Data failed crc check.") != std::string::npos;
        if (rc != 0 && !crcFailed) {
            note(l, reasonOf(lastError));
            break;
        }
        SectionInfo info;
        info.type = s.header.type;
        info.version = s.header.version;
        info.flags = s.header.flags;
        info.storedSize = s.header.dataSize;
        info.compressed = (s.header.flags & PFile::SECTION_FLAG_COMPRESSED) != 0;
        info.crcOk = rc == 0;
        if (crcFailed) {
            note(l, "section " + std::to_string(l.sections.size()) + " (type " + std::to_string(info.type) +
                        "): data failed crc check");
            l.sections.push_back(info);
            continue;  // the reader already stands after this section
        }
        if (s.compressed && s.uncompressData() != 0) {
            note(l, "section " + std::to_string(l.sections.size()) + " (type " + std::to_string(info.type) +
                        "): " + reasonOf(lastError));
        } else {
            info.payloadSize = s.size();
        }
        if (info.type == PFile::SectionType::ResultSummary && !s.compressed && !l.summary) {
            auto summary = std::make_unique<Kestrix::ResultSummary>();
            const auto st = Kestrix::readSectionObject(s, *summary);
            if (st == Kestrix::ResultReaderStatus::success)
                l.summary = std::move(summary);
            else
                l.summaryProblem = std::string("result summary: ") + Kestrix::toString(st);
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
    if (l.summary) v["summary"] = l.summary->toJson(Dump::DumpFlags{2});
    out << Dump::toJsonString(v, false);
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
    cmd->add_flag("--json", opts->json, "Machine-readable output");
    cmd->callback([opts] { inspectContainer(readInputFile(opts->file), opts->json, std::cout); });
}

}  // namespace kx::cli
