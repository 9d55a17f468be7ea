// Session steps: the host's answers to message boxes, the game's ready and
// blocked flags, its reset event, and how much the transcript shows.
#include "game_runtime.h"
#include "session_state.h"

namespace TestHost {

namespace {

void Answer(Session&, const StepArgs& args) { QueueBoxAnswer(args[0] == "yes" ? 6 : args[0] == "no" ? 7 : 1); }

void HostFlags(Session& session, const StepArgs& args) {
    const std::string& what = args[0];
    if (what == "ready" || what == "not-ready")
        SetHostReady(what == "ready");
    else if (what == "blocked" || what == "unblocked")
        SetHostBlocked(what == "blocked");
    else
        session.Fail("'host' takes ready, not-ready, blocked or unblocked");
    session.out << "  host: " << what << "\n";
}

void GameReset(Session& session, const StepArgs& args) {
    const auto firstByte = static_cast<std::uint8_t>(args.size() > 0 ? Session::Number(args[0]) : 1u);
    session.out << "  host: game reset (first byte " << int{firstByte} << ")\n";
    FireGameReset(firstByte);
    session.PrintNewRecords();
}

void Verbose(Session& session, const StepArgs& args) { session.verbose = !args.words.empty() && args[0] == "on"; }

}  // namespace

const std::vector<StepRow>& GameEventSteps() {
    static const std::vector<StepRow> rows = {
        {{"answer", "yes|no|ok", 1, "the answer to the next message box"}, &Answer},
        {{"host", "ready|not-ready|blocked|unblocked", 1, "the game's ready and blocked flags"}, &HostFlags},
        {{"game-reset", "[BYTE]", 0, "the game fires its reset event (first byte of the event: 1 when not given)"}, &GameReset},
        {{"verbose", "on|off", 1, "also print every movie access"}, &Verbose},
    };
    return rows;
}

}  // namespace TestHost
