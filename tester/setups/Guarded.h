#pragma once
// The host calls these operations directly: an error inside one is logged and becomes its failure result.
#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include <boost/optional.hpp>

#include "tester/host/Log.h"

namespace Kestrix::Tester {

using MaybeBytes = boost::optional<std::vector<uint8_t>>;
using MaybeNames = boost::optional<std::vector<std::string>>;

template <typename Result, typename Fn>
Result guarded(const char* operation, Result failure, Fn&& fn) {
    try {
        return std::forward<Fn>(fn)();
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, operation);
        return failure;
    }
}

}  // namespace Kestrix::Tester
