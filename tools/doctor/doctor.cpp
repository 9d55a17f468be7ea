// RunDoctor: enters the game folder (the plug-in names its files relative to
// the current folder), runs the checks and writes the report.
#include "doctor/doctor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "doctor/findings.h"

namespace Velloquin {

namespace {

// Warnings in the order a player reads the files: settings, then the rest.
int FileRank(const std::string& file) {
    if (file == "Velloquin.ini") return 0;
    if (file == "VelloquinCustom.ini") return 1;
    if (file.rfind("Velloquin\\", 0) == 0) return 3;
    return 2;
}

// Puts the current folder back however the checks end.
class CurrentFolder {
public:
    CurrentFolder() : saved_(std::filesystem::current_path(error_)) {}
    ~CurrentFolder() {
        if (!error_) std::filesystem::current_path(saved_, error_);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::error_code error_;
    std::filesystem::path saved_;
};

}  // namespace

namespace Doctor {

Findings Examine(const std::string& gameFolder) {
    Findings findings;
    {
        const CurrentFolder restore;
        std::error_code error;
        const std::filesystem::path folder = gameFolder.empty() ? std::filesystem::path(".") : std::filesystem::path(gameFolder);
        const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
        findings.gameFolder = (error ? folder : absolute.lexically_normal()).string();
        std::filesystem::current_path(folder, error);
        findings.folderEntered = !error;
        if (findings.folderEntered) {
            try {
                CheckSettings(findings);
                CheckGamepad(findings);
                CheckItemsFiles(findings);
                CheckLog(findings);
            } catch (const std::exception& e) {
                findings.warnings.push_back({"", 0, WarningKind::DoctorFailed, "", std::string("the check stopped: ") + e.what()});
            }
        }
    }
    std::stable_sort(findings.warnings.begin(), findings.warnings.end(), [](const Warning& a, const Warning& b) {
        const int ra = FileRank(a.file), rb = FileRank(b.file);
        if (ra != rb) return ra < rb;
        if (a.file != b.file) return a.file < b.file;
        return a.line < b.line;
    });
    if (!findings.folderEntered || (!findings.mainFile && !findings.customFile)) findings.exitCode = 2;
    else findings.exitCode = findings.warnings.empty() ? 0 : 1;
    return findings;
}

}  // namespace Doctor

int RunDoctor(const std::string& gameFolder, bool json, std::ostream& out) {
    using namespace Doctor;
    const Findings findings = Examine(gameFolder);
    if (json) WriteJson(findings, out);
    else WriteText(findings, out);
    return findings.exitCode;
}

}  // namespace Velloquin
