// Session steps: the player's keys and controller, and the game's time
// passing in frames.
#include "controller.h"
#include "game_runtime.h"
#include "session_state.h"

namespace TestHost {

namespace {

constexpr int frameMs = 10;

void Key(Session& session, const StepArgs& args) {
    SetKeyDown(static_cast<int>(Session::Number(args[1])), args[0] == "down");
    session.out << "  player: key " << args[1] << " " << args[0] << "\n";
}

// The controller: one step name, told apart by its first word.
void Pad(Session& session, const StepArgs& args) {
    const std::string& what = args[0];
    if (what == "connect" || what == "disconnect") {
        ConnectController(what == "connect");
        session.out << "  player: controller " << what << "s\n";
    } else if ((what == "down" || what == "up") && args.size() > 1) {
        SetPadButton(Session::Number(args[1]), what == "down");
        session.out << "  player: pad " << args[1] << " " << what << "\n";
    } else if (what == "trigger" && args.size() > 2 && (args[1] == "left" || args[1] == "right")) {
        const std::uint32_t value = Session::Number(args[2]);
        if (value > 255) session.Fail("a trigger reads 0 to 255");
        SetPadTrigger(args[1] == "left", static_cast<std::uint8_t>(value));
        session.out << "  player: " << args[1] << " trigger at " << value << "\n";
    } else if (what == "libraries") {
        std::vector<std::string> names(args.words.begin() + 1, args.words.end());
        if (names.size() == 1 && names[0] == "none") names.clear();
        SetXInputLibraries(names);
        session.out << "  host: XInput libraries that load: " << (names.empty() ? "none" : args.Rest(1)) << "\n";
    } else if (what == "reads") {
        session.out << "  host: XInput reads so far: " << XInputReads() << "\n";
    } else {
        session.Fail("unknown pad step '" + args.Rest(0) + "'");
    }
}

// The game runs frames: each one runs, its effects are printed, and the clock moves on.
void Wait(Session& session, const StepArgs& args) {
    const int milliseconds = static_cast<int>(Session::Number(args[0]));
    for (int elapsed = 0; elapsed < milliseconds; elapsed += frameMs) {
        RunFrame();
        session.PrintNewRecords();
        Advance(frameMs);
    }
}

}  // namespace

const std::vector<StepRow>& InputSteps() {
    static const std::vector<StepRow> rows = {
        {{"key", "down|up CODE", 2, "a key goes down or up"}, &Key},
        {{"pad", "connect|disconnect", 1, "the controller (at port 0 of XInput) is plugged in or out"}, &Pad},
        {{"pad", "down|up CODE", 2, "a controller button goes down or up (a gamepad code; the trigger codes pull a trigger fully)"}, &Pad},
        {{"pad", "trigger left|right VALUE", 3, "a trigger is pulled to VALUE (0 to 255; pressed above 30)"}, &Pad},
        {{"pad", "libraries none|NAME…", 2, "the XInput libraries that load (all three at first)"}, &Pad},
        {{"pad", "reads", 1, "prints how many times XInput was read so far"}, &Pad},
        {{"wait", "MS", 1, "the game runs frames of 10 ms (player updates in free play, the hooked call in assignment mode)"}, &Wait},
    };
    return rows;
}

}  // namespace TestHost
