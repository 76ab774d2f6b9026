#pragma once
// Text as the host's single-byte code page holds it. The code page here is ISO 8859-1: its 256 codes are
// the first 256 Unicode characters, so UTF-8 text converts character by character and anything beyond
// U+00FF (or a malformed sequence) becomes "?", as a conversion to a single-byte code page does.
#include <cstdint>
#include <string>

namespace Kestrix::Tester {

// The single-byte codes of UTF-8 `text`, one byte per character.
std::string toSingleByte(const std::string& utf8);
// The UTF-8 form of single-byte text.
std::string fromSingleByte(const std::string& singleByte);
// `text` after a round trip through the code page: what survives of it, as UTF-8.
std::string throughSingleByte(const std::string& utf8);

// Bytes read as UTF-8; each malformed sequence becomes U+FFFD, as a lenient UTF-8 decoder does.
std::string decodeUtf8Lenient(const std::string& bytes);

// The tester's name for a project file (without folder and extension): in the code page, each of
// space " % * . / : ; < > ? \ | and every lowercase letter becomes "%" and two lowercase hex digits,
// every other character is kept. The tester's card is case-blind, hence the lowercase letters.
std::string projectFileName(const std::string& projectName);

}  // namespace Kestrix::Tester
