#pragma once
// The copper limit database "culim.mnts": one row per limit, the limit stored compressed.
#include <cstdint>
#include <string>

#include "copper/CopperLimit.h"
#include "tester/db/SQLiteTbl.h"

namespace Kestrix::Tester {

class CopperLimitsTbl : public SQLiteTbl {
public:
    static constexpr const char* kFileName = "culim.mnts";
    // A stored limit is a few kilobytes; anything far larger is not one and is refused before inflating.
    static constexpr size_t kMaxObjectBytes = 16u << 20;

    CopperLimitsTbl();
    // Column accessors of the current row; each throws SQLiteTblError for a NULL or mistyped cell.
    int64_t key() const { return intColumn(0); }
    int64_t type() const { return intColumn(1); }
    const std::string& name() const { return textColumn(2); }
    int64_t maxFreq() const { return intColumn(3); }
    const std::string& object() const { return blobColumn(4); }
    int64_t origSize() const { return intColumn(5); }

    // Decodes the current row's limit into `out`; false (and a reason) for a NULL, oversized or undecodable
    // object or a size that does not fit. Never throws.
    bool openLimit(CopperLimit& out, std::string* reason = nullptr) const;
};

}  // namespace Kestrix::Tester
