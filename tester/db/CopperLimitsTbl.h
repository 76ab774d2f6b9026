#pragma once
// The copper limit database "culim.mnts": one row per limit, the limit stored compressed.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "copper/CopperLimit.h"
#include "tester/db/SQLiteTbl.h"

namespace Kestrix::Tester {

class CopperLimitsTbl : public SQLiteTbl {
public:
    static constexpr const char* kFileName = "culim.mnts";
    // A stored limit is a few kilobytes; anything far larger is not one and is refused before inflating.
    static constexpr size_t kMaxObjectBytes = 16u << 20;

    CopperLimitsTbl();
    // The database file in a folder.
    static std::string pathIn(const std::string& folder);
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
    // Moves to the first row with a positive origSize and decodes its limit: the limit that carries the
    // database's version. False when there is none or it does not decode.
    bool openFirstLimit(CopperLimit& out, std::string* reason = nullptr);

    // One row as written; a missing object is stored as NULL.
    struct Row {
        int64_t key = 0;
        int64_t type = 0;
        std::string name;
        int64_t maxFreq = 0;
        boost::optional<std::vector<uint8_t>> object;
        int64_t origSize = 0;
    };
    // The row of a limit: serialized, compressed, with its size before compression; type is its media type.
    static Row rowOf(int64_t key, const CopperLimit& limit);
    // A whole database file with these rows; empty on failure.
    static std::vector<uint8_t> writeDatabase(const std::vector<Row>& rows);
};

}  // namespace Kestrix::Tester
