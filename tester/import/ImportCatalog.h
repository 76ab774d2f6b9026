#pragma once
// What a tester holds, listed from its databases without fetching any result file, and how to name what
// could not be listed.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>

#include "tester/host/ImportRecInfo.h"
#include "tester/host/ServicePassword.h"
#include "tester/session/ImportOutcome.h"
#include "tester/session/KestrixSum.h"
#include "tester/session/Ping.h"

namespace Kestrix::Tester {
class TarvelCom;
}

namespace Kestrix::Import {

// The tester to talk to.
struct TesterAddress {
    std::string address;  // ADDR or ADDR:PORT
    std::string password = Tester::kServicePassword;
    int timeoutMs = 0;  // shell time-out; 0: the default
    // How the address is pinged before connecting; null: ICMP echo.
    Tester::PingFactory ping;
};

struct Catalog {
    std::string testerName;
    std::string testerSerial;
    std::vector<Tester::KestrixSum> summaries;
    Tester::ImportRecCatalog catalog;  // one entry per summary, same order
    std::string problem;               // why nothing was listed, when that was a failure
    // What the tester's databases hold that could not be listed.
    std::vector<Tester::ListingGap> gaps;
    // Results the gaps are known to hide, and whether some hide an unknown number.
    uint64_t unlisted() const;
    bool unlistedUnknown() const;
};

// A session with the tester; null when it cannot be reached, with `why`.
std::unique_ptr<Tester::TarvelCom> connectTester(const TesterAddress& tester, std::string& why);
// Lists what the connected tester holds.
Catalog listCatalog(Tester::TarvelCom& com);
// Connects, lists and closes. Throws std::runtime_error when the tester cannot be reached.
Catalog readCatalog(const TesterAddress& tester);

// What the tester's databases say of one result, as index.json and `records --json` give it (camelCase, the
// status by name with its code beside it, the date in ISO 8601 UTC).
Json::Value summaryJson(const Tester::KestrixSum& s, const Tester::ImportRecInfo* info,
                        const std::string& testerSerial);
// The gaps of a listing: [{"project", "site", "testerFolder", "reason", "records" (null when unknown)}].
Json::Value notListedJson(const std::vector<Tester::ListingGap>& gaps);
// {"tester", "testerSerial", "records": [summaryJson of each], "notListed": [...]}.
Json::Value catalogJson(const Catalog& c);

// "N could not be listed", "at least N ..." or "an unknown number ..." when a database could not say how many
// it holds, or "" when everything was listed.
std::string unlistedText(const std::vector<Tester::ListingGap>& gaps);
// Results the gaps are known to hide.
uint64_t knownUnlisted(const std::vector<Tester::ListingGap>& gaps);
// One line naming a gap: project/site (folder): reason.
std::string describe(const Tester::ListingGap& g);
// One line naming a record: project/site/cable id (tester file).
std::string describe(const Tester::KestrixSum& s);

}  // namespace Kestrix::Import
