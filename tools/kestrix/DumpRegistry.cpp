#include "DumpRegistry.h"

#include <map>

#include "Command.h"
#include "common/ResultEnvelope.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "serialization/SimpleFormatter.h"

namespace kx::cli {

namespace {

struct BareEntry {
    const char* name;
    ObjectFactory factory;
};

std::multimap<uint32_t, BareEntry>& bareObjects() {
    static std::multimap<uint32_t, BareEntry> m;
    return m;
}
std::map<Kestrix::ResultType, ResultPrinter>& resultPrinters() {
    static std::map<Kestrix::ResultType, ResultPrinter> m;
    return m;
}
std::map<uint16_t, ContainerPrinter>& containerPrinters() {
    static std::map<uint16_t, ContainerPrinter> m;
    return m;
}

// Type id of a bare framed object, when the bytes start with a plausible header.
bool peekTypeId(const std::vector<uint8_t>& bytes, uint32_t& typeId) {
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return Marshal::peekTypeId(r, typeId) == Marshal::ok;
}

// Result type from the first result summary section, wherever it stands (the result readers take the
// sections in any order); none when the container holds no summary.
bool findResultSummary(const std::vector<uint8_t>& bytes, Kestrix::ResultSummary& summary,
                       Kestrix::ResultReaderStatus& status) {
    PFile::MemReader reader;
    if (reader.quickOpen(bytes) != 0) return false;
    PFile::Section section;
    while (reader.read(section, true) == 0) {
        if (section.type() != PFile::SectionType::ResultSummary) continue;
        status = Kestrix::readSectionObject(section, summary);
        return true;
    }
    return false;
}

// Type of the first section after the file header, when the bytes are a container.
bool peekFirstSection(const std::vector<uint8_t>& bytes, uint16_t& type) {
    PFile::MemReader reader;
    if (reader.quickOpen(bytes) != 0) return false;
    PFile::Section section;
    if (reader.read(section, false) != 0) return false;
    type = section.type();
    return true;
}

}  // namespace

void registerBareObjectFactory(const char* name, uint32_t typeId, ObjectFactory factory) {
    bareObjects().emplace(typeId, BareEntry{name, std::move(factory)});
}

void registerResultPrinter(Kestrix::ResultType type, ResultPrinter printer) {
    resultPrinters()[type] = std::move(printer);
}

void registerContainerPrinter(uint16_t sectionType, ContainerPrinter printer) {
    containerPrinters()[sectionType] = std::move(printer);
}

void printModel(const Dump::IDumpable& obj, const Dump::IJsonable* json, const DumpOptions& opts, std::ostream& out) {
    if (opts.json && json) {
        out << Dump::toJsonString(*json, opts.flags, false);
        return;
    }
    Dump::SimpleFormatter f(&out);
    obj.dump(f, opts.flags);
}

void printObject(const LoadedObject& obj, const DumpOptions& opts, std::ostream& out) {
    if (opts.json && obj.toJson) {
        out << Dump::toJsonString(obj.toJson(opts.flags), false);
        return;
    }
    Dump::SimpleFormatter f(&out);
    obj.dump(f, opts.flags);
}

void dumpAny(const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out) {
    uint16_t firstSection = 0;
    if (peekFirstSection(bytes, firstSection)) {
        Kestrix::ResultSummary summary;
        Kestrix::ResultReaderStatus st = Kestrix::ResultReaderStatus::success;
        if (findResultSummary(bytes, summary, st)) {
            if (st != Kestrix::ResultReaderStatus::success)
                throw BadInput(std::string("cannot read the result summary: ") + Kestrix::toString(st));
            auto it = resultPrinters().find(summary.resultType);
            if (it == resultPrinters().end()) {
                // Without a model for this result type, the summary is still worth showing.
                printModel(summary, &summary, opts, out);
                return;
            }
            it->second(bytes, opts, out);
            return;
        }
        auto it = containerPrinters().find(firstSection);
        if (it == containerPrinters().end())
            throw BadInput("no printer for a container whose first section has type " + std::to_string(firstSection));
        it->second(bytes, opts, out);
        return;
    }

    uint32_t typeId = 0;
    if (!peekTypeId(bytes, typeId)) throw BadInput("not a container and not a serialized object");
    auto [lo, hi] = bareObjects().equal_range(typeId);
    if (lo == hi) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%08X", typeId);
        throw BadInput(std::string("unknown object type id ") + id);
    }
    // Classes that share a type id are tried in turn; the first that reads cleanly wins.
    Marshal::StreamOpStatus last = Marshal::ok;
    for (auto it = lo; it != hi; ++it) {
        LoadedObject obj = it->second.factory();
        Marshal::ByteStreamReader reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
        last = obj.read(reader);
        if (last == Marshal::ok) {
            printObject(obj, opts, out);
            return;
        }
    }
    throw BadInput(std::string("cannot read ") + lo->second.name + ": " + Marshal::toString(last));
}

}  // namespace kx::cli
