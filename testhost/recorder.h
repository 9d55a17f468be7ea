// Everything the plug-in does to the game, as lines in call order, so that
// tests and transcripts can say what the game saw. Threads record without a
// shared lock (thread_log.h); reading and clearing are for one thread while
// no other records.
#pragma once

#include <string>
#include <vector>

namespace TestHost {

void Record(std::string line);
const std::vector<std::string>& Records();
void ClearRecords();
// Lines that start with prefix, in order.
std::vector<std::string> RecordsStartingWith(const std::string& prefix);

// When set, every recorded line is also printed at once (the session transcript).
void EchoRecords(bool on);

// While paused nothing is recorded (benchmarks: the records would grow without end).
void PauseRecords(bool on);

}  // namespace TestHost
