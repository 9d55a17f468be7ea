// The game's event sinks. The game calls a sink through its table of virtual
// operations by slot number: slot 0 destroys the sink, slot 1 is OnEvent. A C++
// virtual destructor would take two slots with GCC and MinGW (one with MSVC),
// so slot 0 is an ordinary virtual function that plays the destructor's part.
#pragma once

#include <cstdint>

struct PlayerUpdateEvent;
struct TESLoadGameEvent;
namespace Events {
struct GameResetEvent;
}
template <class Event>
struct BSTEventSource;

namespace BSTEventDetail {
class SinkBase {
public:
    // Slot 0: the destructor's place in the game's table; frees nothing unless deleting.
    virtual void* Destroy(std::uint32_t deleting);

protected:
    ~SinkBase() = default;
};
}  // namespace BSTEventDetail

template <class Event>
class BSTEventSink : public BSTEventDetail::SinkBase {
public:
    // Slot 1.
    virtual std::uint32_t OnEvent(const Event& event, BSTEventSource<Event>* source) {
        (void)event;
        (void)source;
        return 0;
    }

protected:
    ~BSTEventSink() = default;
};

namespace Velloquin {

class Velloquin_PlayerUpdateEventClass final : public BSTEventSink<PlayerUpdateEvent> {
public:
    std::uint32_t OnEvent(const PlayerUpdateEvent& event, BSTEventSource<PlayerUpdateEvent>* source) override;
};

class Velloquin_TESLoadGameEventClass final : public BSTEventSink<TESLoadGameEvent> {
public:
    std::uint32_t OnEvent(const TESLoadGameEvent& event, BSTEventSource<TESLoadGameEvent>* source) override;
};

class Velloquin_GameResetEventClass final : public BSTEventSink<Events::GameResetEvent> {
public:
    std::uint32_t OnEvent(const Events::GameResetEvent& event,
                          BSTEventSource<Events::GameResetEvent>* source) override;
};

extern Velloquin_PlayerUpdateEventClass playerUpdateSink;
extern Velloquin_TESLoadGameEventClass loadGameSink;
extern Velloquin_GameResetEventClass gameResetSink;

}  // namespace Velloquin
