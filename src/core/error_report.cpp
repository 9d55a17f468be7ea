#include "core/error_report.h"

#include "core/log.h"
#include "core/version.h"
#include "platform/win32.h"

namespace Velloquin {

std::string GetVersionText() {
    const std::uint32_t version = QVEXPlugin_Version.pluginVersion;
    return std::to_string((version >> 24) & 0xFF) + "." + std::to_string((version >> 16) & 0xFF);
}

std::string GetBoxTitle() { return std::string(QVEXPlugin_Version.name) + " v" + GetVersionText(); }

std::string MakeErrorReport(const std::string& function, int line, const std::string& text) {
    return "An error has occured in function " + function + " at line " + std::to_string(line) +
           "\n\n\nError text: \n -> " + text + "\n\n\nWould you like to exit?";
}

std::string MakeFatalErrorReport(const std::string& function, int line, const std::string& text) {
    return "Fatal error has occured in function " + function + " at line " + std::to_string(line) +
           "\n\n\nError text: \n -> " + text + "\n";
}

namespace {

// The Yes/No box; its answer.
int AskPlayer(const std::string& report) {
    const std::string title = GetBoxTitle();
    return MessageBoxA(nullptr, report.c_str(), title.c_str(), MB_YESNO);
}

}  // namespace

void ShowErrorMessage(std::string report) {
    if (AskPlayer(report) == IDYES) TerminateProcess(GetCurrentProcess(), 0);
}

void ShowFatalErrorMessage(std::string report) {
    const std::string title = GetBoxTitle();
    MessageBoxA(nullptr, report.c_str(), title.c_str(), MB_OK);
    TerminateProcess(GetCurrentProcess(), 0);
    for (;;) {
        // The process is ending; nothing of the plug-in may run on.
    }
}

// The log has the box before it is shown (a Yes ends the process at once) and the answer after.
void ReportError(const char* function, int line, const std::string& text) {
    LogLine("Error box from %s line %d: %s", function, line, text.c_str());
    const int answer = AskPlayer(MakeErrorReport(function, line, text));
    if (answer == IDYES) {
        LogLine("Error box answered Yes: the game ends");
        TerminateProcess(GetCurrentProcess(), 0);
    }
    if (answer == IDNO) LogLine("Error box answered No: the game goes on");
    else LogLine("Error box not answered (result %d): the game goes on", answer);
}

void ReportFatalError(const char* function, int line, const std::string& text) {
    LogLine("Fatal error box from %s line %d: %s (the game ends after it)", function, line, text.c_str());
    ShowFatalErrorMessage(MakeFatalErrorReport(function, line, text));
}

}  // namespace Velloquin
