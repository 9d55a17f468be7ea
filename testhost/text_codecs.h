// Text conversions the test host uses to show and store movie texts: UTF-16
// from wide movie strings to UTF-8 for records, and numbers as the records
// print them. UTF-8 back to UTF-16 for wide variables is the plug-in's own
// Utf8ToUtf16 (base/text.h).
#pragma once

#include <string>

namespace TestHost {

std::string Utf16ToUtf8(const std::u16string& text);
// "%g", as the records show a Number.
std::string FormatNumber(double value);

}  // namespace TestHost
