// Text for the XML parts of the office packages: UTF-16 to UTF-8, escaped, with
// the characters XML 1.0 cannot hold left out and a lone surrogate as U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace lexova::office {

// Appends text to out, escaped for element content and attribute values.
void appendXml(std::string& out, std::u16string_view text);
std::string xmlText(std::u16string_view text);
// A number in an attribute: whole numbers as they are, others to two decimals,
// never in the process locale.
std::string xmlNumber(double v);
std::string xmlInt(long long v);

}  // namespace lexova::office
