#pragma once

namespace Kestrix::Tester {

// Built-in password of the tester's service account; embedding applications and the CLI may override it.
inline constexpr const char* kServicePassword = "qvrt47";

}  // namespace Kestrix::Tester
