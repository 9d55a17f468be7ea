// RunDoctor: runs the checks on the files below the game folder and writes
// the report. The plug-in names its files relative to the game's working
// folder; the doctor reads them below the folder it is given instead, and
// never changes the current folder.
#include "doctor/doctor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "config/settings.h"
#include "core/constants.h"
#include "doctor/findings.h"
#include "doctor/settings_check.h"
#include "platform/paths.h"

namespace Velloquin {

namespace {

// Warnings in the order a player reads the files: settings, then the rest.
int FileRank(const std::string& file) {
    if (file == "Velloquin.ini") return 0;
    if (file == "VelloquinCustom.ini") return 1;
    if (file.rfind("Velloquin\\", 0) == 0) return 3;
    return 2;
}

}  // namespace

namespace Doctor {

Findings Examine(const std::string& gameFolder) {
    Findings findings;
    std::error_code error;
    const std::filesystem::path folder = FilePath(gameFolder.empty() ? std::string(".") : gameFolder);
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    findings.gameFolder = PathText(error ? folder : absolute.lexically_normal());
    // "C:\Games\Halvorine\." is shown as the folder's own name, without the separator normalising leaves.
    while (findings.gameFolder.size() > 3 && (findings.gameFolder.back() == '/' || findings.gameFolder.back() == '\\'))
        findings.gameFolder.pop_back();
    findings.folderEntered = std::filesystem::is_directory(folder, error);
    if (findings.folderEntered) {
        try {
            // Every path below the game folder as the plug-in names it there.
            const std::string settings = InGameFolder(findings.gameFolder, settingsFolder);
            const std::vector<SettingsFile> files = ReadSettingsFiles(settings);
            const SettingsRecord record = ReadSettings(findings.gameFolder);
            CheckSettings(findings, settings, files, record);
            CheckGamepad(findings, files, record);
            CheckChords(findings, files, record);
            CheckSaveModifier(findings, files, record);
            CheckItemsFiles(findings, InGameFolder(findings.gameFolder, pluginFolder));
            CheckLog(findings, findings.gameFolder);
            CheckOutfitKinds(findings);
        } catch (const std::exception& e) {
            findings.warnings.push_back({"", 0, WarningKind::DoctorFailed, "", std::string("the check stopped: ") + e.what()});
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
