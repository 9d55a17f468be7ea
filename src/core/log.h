// Velloquin.log: what the plug-in did in a player's game, one line per event
// with the time since the plug-in started, so that a player can show it after
// a crash or a failure. The log only adds: it never shows a box, never stops
// the plug-in, and with no place to write it the plug-in works as without it.
//
// Where: the user's Documents\My Games\Halvorine\QVEX\ (made if missing), else
// beside the items files (.\Data\QVEX\Plugins\Velloquin\, if that folder
// exists), else nowhere. Each start makes a new log; the previous one is kept
// as Velloquin.old.log. When the previous log cannot be moved away (another
// program holds it without delete sharing, or Velloquin.old.log cannot be
// replaced) it stays where it is, untouched, and this session writes
// Velloquin.new.log beside it instead (see OpenIn in log.cpp): at every start
// the logs of the last two sessions are there. Each line is written to the
// file at once, from any thread, under a lock of the log's own (never the
// state lock; annotated for clang's thread-safety analysis as the state lock
// is); past 1 MiB one line says so and the log stops until the next start.
// Every line goes through the one redactor (core/redact.h): the profile
// folder reads %USERPROFILE%, a Documents folder outside it %DOCUMENTS%, the
// user name as a part of a path %USERNAME%, so no line carries the user name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#if defined(__GNUC__)
#define VELLOQUIN_PRINTF(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VELLOQUIN_PRINTF(formatIndex, firstArgument)
#endif

namespace Velloquin {

// The log's names and folder, in this one place: the plug-in writes them, the
// doctor and its bundle read them.
inline constexpr const char* logFileName = "Velloquin.log";
inline constexpr const char* oldLogFileName = "Velloquin.old.log";
// This session's log when Velloquin.log could not be moved away.
inline constexpr const char* newLogFileName = "Velloquin.new.log";
// Every name a log may have, the last session's candidates first.
inline constexpr const char* logFileNames[] = {logFileName, newLogFileName, oldLogFileName};
// Below the Documents folder.
inline constexpr const char* documentsLogFolder = "My Games\\Halvorine\\QVEX";
inline constexpr std::size_t logSizeLimit = 1u << 20;
// A line's text beyond this many bytes is cut (and ends in "...").
inline constexpr std::size_t logLineLimit = 2000;

// Starts this session's log (QVEXPlugin_Load, on the loader's thread before
// any other entry): `enabled` is [Log] bEnabled of the two settings files;
// when the log is on, keeps the last log as Velloquin.old.log and makes a new
// one. Called again, it closes the log it had and starts afresh.
void StartLog(bool enabled);

// Closes the log (the tests, between cases; the plug-in's log stays open
// until the process ends).
void StopLog();

// The settings' [Log] bEnabled, read again on every settings load. Turning
// the log off writes one line that says so; turning it on when this session
// has no log file yet makes it then.
void SetLogEnabled(bool enabled);

// True while lines are written; a caller may skip building a line's parts.
bool LogActive();

// One line, printf-style (no line end). Does nothing while the log is off.
void LogLine(const char* format, ...) VELLOQUIN_PRINTF(1, 2);

// Where the log is written, as the log itself names it ("%USERPROFILE%\..."
// or ".\Data\..."); empty when there is no log.
std::string LogFileShown();

// Text for a log line: redacted as core/redact.h does for this profile
// folder (and its last part as the user name), control characters as
// blanks, cut at `limit` bytes. For the tests: the profile folder is an argument.
std::string RedactLogText(const std::string& text, const std::string& profileFolder, std::size_t limit);

// The log's time column for an elapsed time in nanoseconds: "[ssssss.mmm] ".
std::string LogTimeColumn(std::int64_t elapsedNs);

// The folder where the log would go first: Documents\My Games\Halvorine\QVEX
// (empty when the shell names no Documents folder). The doctor looks there too.
std::string DocumentsLogFolder();

}  // namespace Velloquin
