#include "copper/LiaId.h"

#include <algorithm>
#include <iterator>

namespace Kestrix::Meascop {

namespace {
struct LiaEntry {
    LiaId id;
    const char* name;
};

// Sorted by code.
constexpr LiaEntry kLiaNames[] = {
    {0, "NONE"},         {1, "PL-6A"},    {2, "PL-6"},    {3, "PL-5E"},   {4, "CH-6A"},    {5, "CH-6"},
    {6, "CH-5E"},        {7, "PC-6A"},    {8, "PC-6"},    {9, "PC-5E"},   {10, "PL-8"},    {11, "CH-8"},
    {12, "PC-8"},        {20, "PL-7A"},   {21, "CH-7A"},  {22, "PC-7A"},  {30, "COAX-F"},  {31, "COAX-BNC"},
    {40, "REF-PL"},      {41, "REF-CH"},  {42, "REF-PC"}, {50, "VF-6A"},  {51, "VF-8"},    {100, "PL-6A-UNIV"},
    {101, "CH-6A-UNIV"}, {200, "MPO-TP"}, {212, "M12-X"}, {213, "M12-D"}, {224, "IX-IND"}, {250, "RJ11"},
    {300, "USER-A"},     {301, "USER-B"},
};
}  // namespace

const char* liaName(LiaId id) {
    const auto it = std::lower_bound(std::begin(kLiaNames), std::end(kLiaNames), id,
                                     [](const LiaEntry& e, LiaId v) { return e.id < v; });
    return it != std::end(kLiaNames) && it->id == id ? it->name : "";
}

}  // namespace Kestrix::Meascop
