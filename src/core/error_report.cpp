#include "core/error_report.h"

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

void ShowErrorMessage(std::string report) {
    const std::string title = GetBoxTitle();
    if (MessageBoxA(nullptr, report.c_str(), title.c_str(), MB_YESNO) == IDYES) {
        TerminateProcess(GetCurrentProcess(), 0);
    }
}

void ShowFatalErrorMessage(std::string report) {
    const std::string title = GetBoxTitle();
    MessageBoxA(nullptr, report.c_str(), title.c_str(), MB_OK);
    TerminateProcess(GetCurrentProcess(), 0);
    for (;;) {
        // The process is ending; nothing of the plug-in may run on.
    }
}

void ReportError(const char* function, int line, const std::string& text) {
    ShowErrorMessage(MakeErrorReport(function, line, text));
}

void ReportFatalError(const char* function, int line, const std::string& text) {
    ShowFatalErrorMessage(MakeFatalErrorReport(function, line, text));
}

}  // namespace Velloquin
