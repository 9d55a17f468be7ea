// Text conversions the test host uses to show and store movie texts: UTF-16
// from wide movie strings to UTF-8 for records, UTF-8 back to UTF-16 for
// wide variables, and numbers as the records print them.
#pragma once

#include <string>

namespace TestHost {

std::string Utf16ToUtf8(const std::u16string& text);
// Well-formed UTF-8 only (the host converts texts it was given as String).
std::u16string Utf8ToUtf16Host(const std::string& text);
// "%g", as the records show a Number.
std::string FormatNumber(double value);

}  // namespace TestHost
