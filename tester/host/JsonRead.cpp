#include "tester/host/JsonRead.h"

#include <memory>
#include <string>

#include <json/reader.h>

namespace Kestrix::Tester {

boost::optional<Json::Value> parseUntrustedJson(std::string_view doc) {
    Json::Value root;
    try {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = false;
        builder["stackLimit"] = 64;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        if (!reader->parse(doc.data(), doc.data() + doc.size(), &root, &errors)) return boost::none;
    } catch (const std::exception&) {
        return boost::none;  // nesting beyond the stack limit
    }
    return root;
}

}  // namespace Kestrix::Tester
