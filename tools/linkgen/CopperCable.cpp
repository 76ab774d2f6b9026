// Cable figures are typical datasheet values: category 5e 24 AWG (8.4 ohm per 100 m conductor), category 6
// and 6A 23 AWG (6.6 ohm), RG6 with an 18 AWG bare copper centre (2.1 ohm); insertion loss a few
// percent inside the category's cable limit, pairs with tighter twists a few percent longer.
#include "CopperCable.h"

namespace Kestrix::LinkGen {

namespace {

using S = CopperCable::Shield;
using C = CopperCable::CatId;

const CableType kCables[] = {
    {"Cat 5e U/UTP", Category::cat5e, S::UUTP, C::cat5E, 100, 0.69, 0.93, 8.4, {0.000, 0.021, 0.034, 0.012}},
    {"Cat 5e F/UTP", Category::cat5e, S::FUTP, C::cat5E, 100, 0.70, 0.94, 8.4, {0.000, 0.019, 0.031, 0.010}},
    {"Cat 6 U/UTP", Category::cat6, S::UUTP, C::cat6, 100, 0.68, 0.92, 6.6, {0.000, 0.024, 0.038, 0.015}},
    {"Cat 6 F/UTP", Category::cat6, S::FUTP, C::cat6, 100, 0.69, 0.93, 6.6, {0.000, 0.022, 0.035, 0.013}},
    {"Cat 6A U/UTP", Category::cat6A, S::UUTP, C::cat6A, 100, 0.70, 0.94, 6.6, {0.000, 0.018, 0.029, 0.011}},
    {"Cat 6A U/FTP", Category::cat6A, S::UFTP, C::cat6A, 100, 0.72, 0.95, 6.6, {0.000, 0.016, 0.027, 0.009}},
};

const CableType kRg6 = {"RG6 Coax", Category::cat6A, S::notUsed, C::coax, 75, 0.85, 0.90, 2.1, {0, 0, 0, 0}};

}  // namespace

const CableType& cableType(Category c, bool shielded) {
    for (const auto& t : kCables)
        if (t.category == c && (t.shield != S::UUTP) == shielded) return t;
    return kCables[0];
}

const CableType& coaxCable() { return kRg6; }

CopperCable copperCable(const CableType& t) {
    CopperCable c;
    c.name = t.name;
    c.nvp = ScaledInt(static_cast<float>(t.nvp * 100.0), ScaledInt::tenths);
    c.impedance = t.impedance;
    c.copperShield = t.shield;
    c.catId = t.catId;
    c.tdLossTan = t.catId == C::coax ? 0.0004f : 0.0021f;
    c.tdP0 = static_cast<float>(t.lossShare * 1.8);
    c.dbPkgMfstSummary.customerVersion.major = 10;
    c.dbPkgMfstSummary.customerVersion.minor = 2;
    c.dbPkgMfstSummary.build = 17;
    return c;
}

}  // namespace Kestrix::LinkGen
