#pragma once
// What `kestrix dump` can print. Each model area registers, from its own file in this folder (called once
// from main.cpp's registerPrinters):
//  - bare serialized objects, recognised by the type id in their 12-byte header;
//  - result files, by the result type of their summary;
//  - containers, by the type of their first data section (manifests, settings, ...).
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include <json/value.h>

#include "common/PFile.h"
#include "common/Status.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "serialization/TypeIds.h"

namespace kx::cli {

struct DumpOptions {
    bool json = false;
    Dump::DumpFlags flags{1};
};

// One decoded object, type-erased for printing.
struct LoadedObject {
    std::function<Marshal::StreamOpStatus(Marshal::IObjectReader&)> read;
    std::function<void(Dump::IFormatter&, const Dump::DumpFlags&)> dump;
    std::function<Json::Value(const Dump::DumpFlags&)> toJson;  // empty when the class has no JSON form
};

using ObjectFactory = std::function<LoadedObject()>;
void registerBareObjectFactory(const char* name, uint32_t typeId, ObjectFactory factory);

template <typename T>
LoadedObject makeLoadedObject() {
    auto obj = std::make_shared<T>();
    LoadedObject lo;
    lo.read = [obj](Marshal::IObjectReader& r) { return obj->deserialize(r); };
    lo.dump = [obj](Dump::IFormatter& f, const Dump::DumpFlags& fl) { obj->dump(f, fl); };
    if constexpr (std::is_base_of_v<Dump::IJsonable, T>)
        lo.toJson = [obj](const Dump::DumpFlags& fl) { return obj->toJson(fl); };
    return lo;
}

template <typename T>
void registerBareObject(const char* name, const Marshal::TypeInfo& info) {
    registerBareObjectFactory(name, info.id(), [] { return makeLoadedObject<T>(); });
}

// Prints a whole result file (already known to be of this type); throws BadInput on a read failure.
using ResultPrinter =
    std::function<void(const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out)>;
void registerResultPrinter(Kestrix::ResultType type, ResultPrinter printer);

// Prints a container whose first data section has this type.
using ContainerPrinter = ResultPrinter;
void registerContainerPrinter(uint16_t sectionType, ContainerPrinter printer);

// The raw-data CSV of a result file of this type; throws BadInput with the reason.
using CsvExporter = std::function<std::string(const std::vector<uint8_t>& bytes)>;
void registerCsvExporter(Kestrix::ResultType type, CsvExporter exporter);

// Prints any object through the options: its JSON (styled) or its text dump.
void printObject(const LoadedObject& obj, const DumpOptions& opts, std::ostream& out);
// The same for a model object at hand.
void printModel(const Dump::IDumpable& obj, const Dump::IJsonable* json, const DumpOptions& opts, std::ostream& out);

// Used by `dump`: tries result printers, container printers, then bare objects. Throws BadInput when
// nothing recognises the bytes.
void dumpAny(const std::vector<uint8_t>& bytes, const DumpOptions& opts, std::ostream& out);

}  // namespace kx::cli
