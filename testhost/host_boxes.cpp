// Message boxes and the end of the process: the answers the host gives, what
// it records, and the report a death test's child leaves for its parent.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "host.h"
#include "platform_seam.h"
#include "recorder.h"

namespace TestHost {

namespace {

// The host's own data (boxes, answers). The plug-in's frequent paths (keys,
// clock, records) do not take this lock, so the host puts no ordering
// between the plug-in's threads that the plug-in does not make itself.
std::mutex hostMutex;
std::deque<int> boxAnswers;
std::vector<Box> boxes;
std::string exitReportFile;
bool failUnexpectedEnds = false;

}  // namespace

int Seam::ShowMessageBox(const char* text, const char* caption, unsigned style) {
    int answer;
    {
        std::lock_guard lock(hostMutex);
        boxes.push_back({text ? text : "", caption ? caption : "", style});
        if (!boxAnswers.empty()) {
            answer = boxAnswers.front();
            boxAnswers.pop_front();
        } else {
            answer = (style & 0xF) == 4 ? 7 : 1;
        }
    }
    Record(std::string("message box [") + (caption ? caption : "") + "] style " + std::to_string(style) +
           " answered " + (answer == 6 ? "Yes" : answer == 7 ? "No" : answer == 1 ? "OK" : std::to_string(answer)));
    return answer;
}

void Seam::TerminateProcess(unsigned exitCode) {
    Record("process ended with exit code " + std::to_string(exitCode));
    if (!exitReportFile.empty()) {
        if (std::FILE* report = std::fopen(exitReportFile.c_str(), "wb")) {
            for (const Box& box : boxes)
                std::fprintf(report, "box %u %zu %zu\n%s%s\n", box.style, box.title.size(), box.text.size(),
                             box.title.c_str(), box.text.c_str());
            std::fprintf(report, "exit %u\n", exitCode);
            std::fclose(report);
        }
    }
    std::printf("[host] the game process ended with exit code %u\n", exitCode);
    if (failUnexpectedEnds) {
        std::fprintf(stderr,
                     "[host] FAILED: the plug-in ended the process (exit code %u) where no test expects it; "
                     "the process exits with %d\n",
                     exitCode, unexpectedEndExitCode);
        std::fflush(nullptr);
        std::_Exit(unexpectedEndExitCode);
    }
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}

void QueueBoxAnswer(int answer) {
    std::lock_guard lock(hostMutex);
    boxAnswers.push_back(answer);
}
const std::vector<Box>& Boxes() { return boxes; }
void ClearBoxes() {
    std::lock_guard lock(hostMutex);
    boxes.clear();
    boxAnswers.clear();
}

void SetExitReportFile(const std::string& path) { exitReportFile = path; }

void FailUnexpectedEnds(bool on) { failUnexpectedEnds = on; }

bool IsDeathTestChild(int argc, char** argv) {
    static constexpr char flag[] = "--gtest_internal_run_death_test";
    for (int i = 1; i < argc; ++i)
        if (argv[i] && std::strncmp(argv[i], flag, sizeof flag - 1) == 0) return true;
    return false;
}

ExitReport ReadExitReport(const std::string& path) {
    ExitReport report;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return report;
    char word[8] = {};
    while (std::fscanf(file, "%7s", word) == 1) {
        if (std::strcmp(word, "exit") == 0) {
            report.ended = std::fscanf(file, "%u", &report.exitCode) == 1;
            break;
        }
        Box box;
        std::size_t titleLength = 0, textLength = 0;
        if (std::fscanf(file, "%u %zu %zu", &box.style, &titleLength, &textLength) != 3 || std::fgetc(file) != '\n')
            break;
        box.title.resize(titleLength);
        box.text.resize(textLength);
        if (std::fread(box.title.data(), 1, titleLength, file) != titleLength ||
            std::fread(box.text.data(), 1, textLength, file) != textLength)
            break;
        report.boxes.push_back(std::move(box));
    }
    std::fclose(file);
    return report;
}

}  // namespace TestHost
