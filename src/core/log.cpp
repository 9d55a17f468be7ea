// The plug-in's log file. Lines are formatted on the caller's stack (nothing
// is allocated for a line) and written with one call under logMutex, a lock
// of the log's own that is held only for that write.
#include "core/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/redact.h"
#include "core/state.h"
#include "core/thread_safety.h"
#include "platform/log_file.h"
#include "platform/shell_folders.h"

namespace Velloquin {

namespace {

enum LogState : int {
    StateOff,      // turned off, not started, or no place to write
    StateActive,   // lines are written
    StateStopped,  // the size limit was reached or a write failed: nothing more until the next start
};

// Read without the lock by every LogLine, so that a log that is off costs one load.
std::atomic<int> logState{StateOff};

// The log's own lock, annotated as the state lock is (core/thread_safety.h),
// so that the clang builds check every use of what it guards. Never held
// together with the state lock's work: a line is written and the lock dropped.
class CAPABILITY("mutex") LogMutex {
public:
    void lock() ACQUIRE() { held.lock(); }
    void unlock() RELEASE() { held.unlock(); }

private:
    std::mutex held;
};

class SCOPED_CAPABILITY LogLock {
public:
    explicit LogLock(LogMutex& lock) ACQUIRE(lock) : held(lock) { held.lock(); }
    ~LogLock() RELEASE() { held.unlock(); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;

private:
    LogMutex& held;
};

// Everything below is guarded by logMutex. StartLog runs on the loader's
// thread before any other entry; SetLogEnabled on the settings' reload; LogLine
// on any thread; the closer when the library is unloaded.
LogMutex logMutex;
LogFileHandle logFile GUARDED_BY(logMutex) = noLogFile;
std::size_t logBytes GUARDED_BY(logMutex) = 0;
bool logEnabled GUARDED_BY(logMutex) = true;
bool logOpenTried GUARDED_BY(logMutex) = false;  // this session has looked for its log's place
std::int64_t logStartNs GUARDED_BY(logMutex) = 0;
Redaction logRedaction GUARDED_BY(logMutex);  // the user's folders and name, found when the log opens
std::string logShown GUARDED_BY(logMutex);
// Said on the log's second line when the last session's log had to stay where it was.
std::string logKeptNote GUARDED_BY(logMutex);

// The file is closed when the plug-in's library is unloaded (the tests load
// it many times in one process) or the process ends, under the log's lock: a
// thread of the game may still be writing a line. (The work is a function of
// its own because clang's analysis does not look into destructors.)
void CloseAtUnload() {
    LogLock lock(logMutex);
    logState.store(StateOff, std::memory_order_relaxed);
    CloseLogFile(logFile);
    logFile = noLogFile;
}

struct LogFileCloser {
    ~LogFileCloser() { CloseAtUnload(); }
} logFileCloser;

constexpr const char* limitLine = "The log has reached its size limit (1 MiB): nothing more is written until the game starts again.";
constexpr std::size_t limitReserve = 160;  // room kept for limitLine with its time column

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Copies text into out (at most limit bytes of text, then "..." when cut),
// with the user's folders and name redacted (core/redact.h) and control
// characters as blanks. Returns the length written; out holds at least
// limit + 4 bytes.
std::size_t Redact(const char* text, std::size_t length, const Redaction& redaction, char* out, std::size_t limit) {
    const std::string_view view(text, length);
    std::size_t n = 0;
    for (std::size_t i = 0; i < length;) {
        std::string_view replacement;
        if (const std::size_t matched = RedactionAt(view, i, redaction, replacement); matched != 0) {
            if (n + replacement.size() > limit) {
                std::memcpy(out + n, "...", 3);
                return n + 3;
            }
            std::memcpy(out + n, replacement.data(), replacement.size());
            n += replacement.size();
            i += matched;
            continue;
        }
        if (n >= limit) {
            std::memcpy(out + n, "...", 3);
            return n + 3;
        }
        const auto c = static_cast<unsigned char>(text[i++]);
        out[n++] = c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
    }
    return n;
}

std::size_t TimeColumn(std::int64_t elapsedNs, char* out, std::size_t size) {
    if (elapsedNs < 0) elapsedNs = 0;
    const long long ms = static_cast<long long>(elapsedNs / 1'000'000);
    const int length = std::snprintf(out, size, "[%6lld.%03lld] ", ms / 1000, ms % 1000);
    return length < 0 ? 0 : static_cast<std::size_t>(length) < size ? static_cast<std::size_t>(length) : size - 1;
}

// One line with its time column and CR LF, under logMutex. Past the size
// limit the limit line is written instead and the log stops.
void WriteLocked(const char* text, std::size_t length) REQUIRES(logMutex) {
    if (logFile == noLogFile || logState.load(std::memory_order_relaxed) != StateActive) return;
    char line[logLineLimit + 64];
    std::size_t n = TimeColumn(SteadyNow() - logStartNs, line, sizeof line);
    n += Redact(text, length, logRedaction, line + n, logLineLimit);
    line[n++] = '\r';
    line[n++] = '\n';
    if (logBytes + n + limitReserve > logSizeLimit) {
        n = TimeColumn(SteadyNow() - logStartNs, line, sizeof line);
        std::memcpy(line + n, limitLine, std::strlen(limitLine));
        n += std::strlen(limitLine);
        line[n++] = '\r';
        line[n++] = '\n';
        if (WriteLogFile(logFile, line, n)) logBytes += n;
        logState.store(StateStopped, std::memory_order_relaxed);
        return;
    }
    if (!WriteLogFile(logFile, line, n)) {
        // A full disk or a file taken away: the plug-in goes on without its log.
        logState.store(StateStopped, std::memory_order_relaxed);
        return;
    }
    logBytes += n;
}

void WriteLocked(const std::string& text) REQUIRES(logMutex) { WriteLocked(text.data(), text.size()); }

std::string WithoutTrailingSeparator(std::string folder) {
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    return folder;
}

// A path as the log names it: the profile folder as %USERPROFILE%, Windows separators.
std::string ShownPath(const std::string& path) REQUIRES(logMutex) {
    char shown[logLineLimit + 4];
    std::string text(shown, Redact(path.data(), path.size(), logRedaction, shown, logLineLimit));
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

// Keeps the logs of the last two sessions and opens this session's log in
// folder. The last session's log is the newer of Velloquin.log and
// Velloquin.new.log (the second is there only when a session could not move
// Velloquin.log away; on equal times it is the newer, as it is only ever
// written after Velloquin.log). It becomes Velloquin.old.log, and this
// session writes Velloquin.log; a log left from older sessions under either
// name is removed when it can be, else this session takes the free name.
// When the last log cannot be moved (another program holds it without delete
// sharing, or Velloquin.old.log is held or read-only) it stays as it is and
// this session writes the other name, which holds at most an older session:
// the last session's log is never emptied. A folder with a log's name is
// never taken for a log.
bool OpenIn(const std::string& folder) REQUIRES(logMutex) {
    const std::string usual = folder + "\\" + logFileName;
    const std::string other = folder + "\\" + newLogFileName;
    const std::int64_t usualTime = LogFileTime(usual), otherTime = LogFileTime(other);
    std::string path = usual;
    logKeptNote.clear();
    if (usualTime >= 0 || otherTime >= 0) {
        const bool lastIsOther = otherTime >= usualTime;
        const std::string& last = lastIsOther ? other : usual;
        if (MoveLogFile(last, folder + "\\" + oldLogFileName)) {
            for (const std::string& stale : {usual, other})
                if (LogFileTime(stale) >= 0) RemoveLogFile(stale);
            if (LogFileTime(usual) >= 0) path = other;
        } else {
            path = lastIsOther ? usual : other;
            logKeptNote = "The last session's log stays as it is, " + ShownPath(last) +
                          ": another program holds it, or " + oldLogFileName + " cannot be replaced";
        }
    }
    logFile = CreateLogFile(path);
    // Velloquin.log is a folder, or cannot be written: the other name.
    if (logFile == noLogFile && path == usual && LogFileTime(other) < 0) logFile = CreateLogFile(path = other);
    if (logFile == noLogFile) return false;
    logBytes = 0;
    logShown = ShownPath(path);
    return true;
}

// Looks for the log's place (once per session) and opens the log there:
// the Documents folder's log folder (made if missing), else beside the items
// files when that folder exists (it is not made here: the items' save tells
// the player when it is missing), else nowhere.
void OpenLocked() REQUIRES(logMutex) {
    logOpenTried = true;
    logRedaction = UserRedaction();
    const std::string documents = DocumentsLogFolder();
    bool opened = !documents.empty() && MakeLogFolder(documents) && OpenIn(documents);
    bool beside = false;
    if (!opened) {
        const std::string itemsFolder = WithoutTrailingSeparator(pluginFolder);
        beside = opened = LogFolderExists(itemsFolder) && OpenIn(itemsFolder);
    }
    if (!opened) return;
    logState.store(StateActive, std::memory_order_relaxed);
    WriteLocked("Velloquin log: " + logShown);
    if (!logKeptNote.empty()) WriteLocked(logKeptNote);
    if (beside) {
        const std::string folder = documents.empty() ? std::string("the shell names no Documents folder")
                                                     : ShownPath(documents) + " cannot be written";
        WriteLocked("The log is beside the items files: " + folder);
    }
}

}  // namespace

std::string DocumentsLogFolder() {
    const std::string documents = WithoutTrailingSeparator(FindShellFolder(ShellFolder::Documents));
    return documents.empty() ? documents : documents + "\\" + documentsLogFolder;
}

void StartLog(bool enabled) {
    LogLock lock(logMutex);
    CloseLogFile(logFile);
    logFile = noLogFile;
    logState.store(StateOff, std::memory_order_relaxed);
    logBytes = 0;
    logShown.clear();
    logOpenTried = false;
    logStartNs = SteadyNow();
    // The log never stops the plug-in: a failure here (no memory) leaves it without a log.
    try {
        logEnabled = enabled;
        if (logEnabled) OpenLocked();
    } catch (...) {
        CloseLogFile(logFile);
        logFile = noLogFile;
        logState.store(StateOff, std::memory_order_relaxed);
    }
}

void StopLog() {
    LogLock lock(logMutex);
    CloseLogFile(logFile);
    logFile = noLogFile;
    logState.store(StateOff, std::memory_order_relaxed);
    logEnabled = true;
    logOpenTried = false;
    logShown.clear();
}

void SetLogEnabled(bool enabled) {
    LogLock lock(logMutex);
    if (enabled == logEnabled) return;
    logEnabled = enabled;
    const int state = logState.load(std::memory_order_relaxed);
    if (!enabled) {
        if (state == StateActive) {
            WriteLocked("[Log] bEnabled=0 in the settings: the log stops here.");
            logState.store(StateOff, std::memory_order_relaxed);
        }
        return;
    }
    if (!logOpenTried) {
        try {
            OpenLocked();
        } catch (...) {
            CloseLogFile(logFile);
            logFile = noLogFile;
            logState.store(StateOff, std::memory_order_relaxed);
        }
    } else if (state == StateOff && logFile != noLogFile) {
        logState.store(StateActive, std::memory_order_relaxed);
        WriteLocked("[Log] bEnabled=1 in the settings: the log goes on.");
    }
}

bool LogActive() { return logState.load(std::memory_order_acquire) == StateActive; }

void LogLine(const char* format, ...) {
    if (logState.load(std::memory_order_acquire) != StateActive) return;
    // One byte more than a line keeps, so that Redact sees and marks a cut line.
    char text[logLineLimit + 2];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    const std::size_t size =
        static_cast<std::size_t>(length) < sizeof text ? static_cast<std::size_t>(length) : sizeof text - 1;
    LogLock lock(logMutex);
    WriteLocked(text, size);
}

std::string LogFileShown() {
    LogLock lock(logMutex);
    return logFile == noLogFile ? std::string() : logShown;
}

std::string RedactLogText(const std::string& text, const std::string& profile, std::size_t limit) {
    std::string out(limit + 4, '\0');
    out.resize(Redact(text.data(), text.size(), MakeRedaction({profile}, {}, {}), out.data(), limit));
    return out;
}

std::string LogTimeColumn(std::int64_t elapsedNs) {
    char column[32];
    return std::string(column, TimeColumn(elapsedNs, column, sizeof column));
}

}  // namespace Velloquin
