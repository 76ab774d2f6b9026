#pragma once
#include <cstdint>

namespace Kestrix {

// Single-bit result status; stored as one byte.
enum class Status : int32_t {
    notSet = 0,
    dontShow = 1,
    show = 2,
    pass = 4,
    passStar = 8,
    passAcceptable = 16,
    failStar = 32,
    fail = 64,
};

enum class ResultType : int32_t { NOT_SET = 0, COPPER = 1, FIBER = 2 };

// "Not set", "Pass", ...; empty for a value that is not one of the bits.
const char* toString(Status s);
// "NOT_SET", "COPPER", "FIBER"; empty otherwise.
const char* toString(ResultType t);

// Names of user-defined objects are marked "*name*"; "*" alone counts too.
bool isCustomObject(const char* name);

}  // namespace Kestrix
