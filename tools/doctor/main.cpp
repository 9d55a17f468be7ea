// velloquin-doctor [--json] [GAME_FOLDER]
// velloquin-doctor [GAME_FOLDER] --bundle [FILE.zip] [--documents FOLDER]
// On Windows the arguments are read wide (wmain) and taken as UTF-8, so a
// game folder of any name, typed or dropped onto the program, arrives whole.
#include <string>
#include <vector>

#include "base/text.h"
#include "doctor/command.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg(argv[i]);
        args.push_back(Velloquin::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    return Velloquin::Doctor::RunCommand(args, Velloquin::Doctor::ProcessConsole());
}
#else
int main(int argc, char** argv) {
    return Velloquin::Doctor::RunCommand(std::vector<std::string>(argv + 1, argv + argc),
                                         Velloquin::Doctor::ProcessConsole());
}
#endif
