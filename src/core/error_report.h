// Message boxes that tell the player about a failure.
#pragma once

#include <string>

namespace Velloquin {

std::string GetVersionText();
std::string GetBoxTitle();

// The box texts, laid out exactly as the player sees them.
std::string MakeErrorReport(const std::string& function, int line, const std::string& text);
std::string MakeFatalErrorReport(const std::string& function, int line, const std::string& text);

// Yes/No box asking "Would you like to exit?"; Yes ends the process with exit code 0.
void ShowErrorMessage(std::string report);
// OK box, then the process ends with exit code 0.
[[noreturn]] void ShowFatalErrorMessage(std::string report);

// Shorthands used by the report sites.
void ReportError(const char* function, int line, const std::string& text);
[[noreturn]] void ReportFatalError(const char* function, int line, const std::string& text);

}  // namespace Velloquin
