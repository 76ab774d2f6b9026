#pragma once
// The limit formulas of the twisted-pair cabling standards, in dB at a frequency in MHz: insertion loss,
// NEXT, PSNEXT, ACR-F, PSACR-F, return loss (and ACR-N for the ISO classes) of a permanent link or a
// channel, built from the cable and connecting-hardware terms the standards derive them from.
namespace Kestrix::LinkGen {

enum class Category { cat5e, cat6, cat6A };
enum class Standard { tia, iso };
enum class LinkClass { permanentLink, channel };

struct Grade {
    Category category = Category::cat6A;
    Standard standard = Standard::tia;
    LinkClass link = LinkClass::permanentLink;
};

// Highest frequency the category is specified to: 100, 250 or 500 MHz.
double maxFrequencyMHz(Category c);

// Components: 100 m of horizontal cable and one mated connection.
double cableInsertionLossDb(Category c, double mhz);
double connectorInsertionLossDb(Category c, double mhz);
double cableNextDb(Category c, double mhz);
double connectorNextDb(Category c, double mhz);
double cableAcrFDb(Category c, double mhz);  // 100 m
double connectorFextDb(Category c, double mhz);
// Insertion loss of the cords of a channel relative to solid cable (stranded conductors lose more).
double cordLossFactor(Category c);

// The link limits. The crosstalk limits are those of the formulas before their caps when `capped` is false:
// what a link measures is not flattened at 65 dB.
double insertionLossDb(const Grade& g, double mhz);
double nextDb(const Grade& g, double mhz, bool capped = true);
double psNextDb(const Grade& g, double mhz, bool capped = true);
double acrFDb(const Grade& g, double mhz, bool capped = true);
double psAcrFDb(const Grade& g, double mhz, bool capped = true);
double returnLossDb(const Grade& g, double mhz);
double acrNDb(const Grade& g, double mhz);
double psAcrNDb(const Grade& g, double mhz);

// The dB rules: return loss is judged only where the insertion loss is at least 3 dB, NEXT, PSNEXT and
// ACR-N only where it is at least 4 dB; ACR-F (PSACR-F) only where FEXT (PSFEXT) is at most 70 (67) dB.
inline constexpr double kReturnLossRuleDb = 3.0;
inline constexpr double kNextRuleDb = 4.0;
inline constexpr int kAcrFRuleDb = 70;
inline constexpr int kPsAcrFRuleDb = 67;

}  // namespace Kestrix::LinkGen
