#pragma once
// The tester's master database: one row per project folder.
#include "tester/db/SQLiteTbl.h"

namespace Kestrix::Tester {

class MasterTbl : public SQLiteTbl {
public:
    MasterTbl();
    // Column accessors of the current row; each throws SQLiteTblError for a NULL or mistyped cell.
    const std::string& name() const { return textColumn(0); }
    const std::string& dirName() const { return textColumn(1); }
    const std::string& quarnId() const { return textColumn(2); }
    const std::string& parentQuarnId() const { return textColumn(3); }
};

}  // namespace Kestrix::Tester
