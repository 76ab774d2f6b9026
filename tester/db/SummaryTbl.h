#pragma once
// A project database of the tester: one row per stored result.
#include "tester/db/SQLiteTbl.h"

namespace Kestrix::Tester {

class SummaryTbl : public SQLiteTbl {
public:
    SummaryTbl();
    // Column accessors of the current row; each throws SQLiteTblError for a NULL or mistyped cell.
    int64_t key() const { return intColumn(0); }
    int64_t timestamp() const { return intColumn(1); }
    int64_t type() const { return intColumn(2); }
    const std::string& name() const { return textColumn(3); }
    int64_t status() const { return intColumn(4); }
    int64_t fileSize() const { return intColumn(5); }
    const std::string& fileName() const { return textColumn(6); }
    int64_t lengthScaledValue() const { return intColumn(7); }
    int64_t lengthScaleFactor() const { return intColumn(8); }
};

}  // namespace Kestrix::Tester
