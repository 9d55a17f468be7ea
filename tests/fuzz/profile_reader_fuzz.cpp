// Fuzzes GetPrivateProfileStringA of the Linux stand-in with arbitrary files,
// sections and keys. Properties checked for every input:
// - it never writes past the size it is given (the buffer is exactly that size);
// - the answer is shorter than the size, NUL-terminated, and its count equals
//   strlen of the buffer;
// - an answer cut by a smaller size is a prefix of the whole answer;
// - sizes 0 and 1 answer 0.
// Input: the section up to the first LF, the key up to the next LF, one byte
// for the cut size, then the file's bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win32.h"

namespace {

std::string filePath;

std::string NextLine(std::string_view& input) {
    const std::size_t end = input.find('\n');
    const std::string line(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return line;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "profile reader: %s\n", what);
        std::abort();
    }
}

// The answer for one size, from a heap buffer of exactly that size.
std::string Ask(const std::string& section, const std::string& key, DWORD size) {
    std::unique_ptr<char[]> buffer(size ? new char[size] : nullptr);
    if (size) std::memset(buffer.get(), '#', size);
    const DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\"D\" ", buffer.get(), size,
                                                 filePath.c_str());
    if (size <= 1) {
        Check(count == 0, "sizes 0 and 1 answer 0");
        if (size == 1) Check(buffer[0] == '\0', "size 1 gives an empty string");
        return {};
    }
    Check(count < size, "the answer is shorter than the size");
    Check(buffer[count] == '\0', "the answer is NUL-terminated");
    Check(std::strlen(buffer.get()) == count, "the count is the length of the answer");
    return std::string(buffer.get(), count);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/velloquin-profile-fuzz-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    filePath = std::string(folder) + "/fuzz.ini";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
    std::string_view input(reinterpret_cast<const char*>(data), length);
    const std::string section = NextLine(input), key = NextLine(input);
    const DWORD cut = input.empty() ? 2 : static_cast<unsigned char>(input.front());
    if (!input.empty()) input.remove_prefix(1);

    std::FILE* file = std::fopen(filePath.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(input.data(), 1, input.size(), file);
    std::fclose(file);

    // No answer is longer than the file or the default.
    const std::string whole = Ask(section, key, static_cast<DWORD>(input.size() + 8));
    Ask(section, key, 0);
    Ask(section, key, 1);
    const std::string cutAnswer = Ask(section, key, cut);
    Check(whole.compare(0, cutAnswer.size(), cutAnswer) == 0, "a cut answer is a prefix of the whole one");
    return 0;
}
