#include "tester/db/CopperLimitsTbl.h"

#include <limits>

namespace Kestrix::Tester {

CopperLimitsTbl::CopperLimitsTbl()
    : SQLiteTbl("CopperObjects", {{SQLiteColumnType::Int64, "key"},
                                  {SQLiteColumnType::Int64, "type"},
                                  {SQLiteColumnType::Text, "name"},
                                  {SQLiteColumnType::Int64, "maxFreq"},
                                  {SQLiteColumnType::Blob, "object"},
                                  {SQLiteColumnType::Int64, "origSize"}}) {}

bool CopperLimitsTbl::openLimit(CopperLimit& out, std::string* reason) const {
    auto refuse = [reason](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    try {
        const std::string& blob = object();
        const int64_t size = origSize();
        if (blob.empty()) return refuse("the limit object is empty");
        if (blob.size() > kMaxObjectBytes) return refuse("the limit object is too large");
        if (size > static_cast<int64_t>(std::numeric_limits<int>::max()))
            return refuse("the limit's original size is out of range");
        CopperLimit limit;
        const auto st = limit.open(reinterpret_cast<const uint8_t*>(blob.data()), static_cast<int>(blob.size()),
                                   static_cast<int>(size < 0 ? 0 : size));
        if (st != Marshal::ok) return refuse("the limit object does not decode");
        out = std::move(limit);
        return true;
    } catch (const SQLiteTblError& e) {
        return refuse(e.what());
    }
}

}  // namespace Kestrix::Tester
