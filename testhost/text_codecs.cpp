#include "text_codecs.h"

#include "base/text.h"

#include <cstdint>
#include <cstdio>

namespace TestHost {

std::string Utf16ToUtf8(const std::u16string& text) { return Velloquin::Utf16ToUtf8(text); }

std::string FormatNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace TestHost
