// The stand-in game's movie model: a movie holds typed variables, arrays and
// functions, answers the plug-in through the game's virtual slots (49 set,
// 50 get, 53 array size, 56 invoke) and records every get, set, array-size
// read, invoke and value release.
//
// Records (TestHost::Record):
//   "movie get PATH -> KIND VALUE" / "movie get PATH -> missing"
//   "movie set PATH = KIND VALUE" (refused writes end with " (refused)")
//   "movie arraysize PATH -> N"
//   "movie invoke PATH" (" -> missing" when the movie has no such function)
//   "movie release PATH"
// KIND is Boolean, Int, UInt, Number, String or WideString; texts are quoted
// (wide texts shown as UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace TestHost {

enum class ValueKind : std::uint32_t {
    Undefined = 0,
    Boolean = 2,
    Int = 3,
    UInt = 4,
    Number = 5,
    String = 6,
    WideString = 7,
};
inline constexpr std::uint32_t managedValueBit = 0x40;

// The game's movie value record.
struct MenuValue {
    void* objectInterface = nullptr;
    std::uint32_t type = 0;
    std::uint32_t reserved = 0;
    std::uint64_t value = 0;
};
static_assert(sizeof(MenuValue) == 0x18 && offsetof(MenuValue, type) == 8 && offsetof(MenuValue, value) == 0x10);

struct Movie;

// A movie variable. Its kind is the declared one: a write of another kind is
// converted into it (the record shows what the plug-in sent).
struct MovieVariable {
    std::string path;
    ValueKind kind = ValueKind::Undefined;
    bool managed = false;       // gets hand out managed values (bit 0x40)
    bool refuseWrites = false;  // the movie answers false to every set
    std::uint32_t extraTypeBits = 0;  // or-ed into the type code handed out by gets
    bool boolean = false;
    std::int32_t intValue = 0;
    std::uint32_t uintValue = 0;
    double number = 0.0;
    std::string text;           // String, and the UTF-8 form of a WideString
    std::u16string wide;        // WideString
    // The kind and value word of the last write as the plug-in sent them.
    std::uint32_t lastWrittenType = 0;
    std::uint64_t lastWrittenWord = 0;
    int writes = 0;
    // Managed references handed out and not yet released, and releases seen.
    int outstanding = 0;
    int releases = 0;
    struct Interface {
        Movie* movie = nullptr;
        MovieVariable* variable = nullptr;
    } objectInterface;
};

// One element of a movie array: the values it was built from, as text.
using MovieElement = std::map<std::string, std::string>;

struct Movie {
    void* const* table = nullptr;  // slots 49 set, 50 get, 53 array size, 56 invoke

    // Host side.
    std::map<std::string, MovieVariable> variables;
    std::map<std::string, std::vector<MovieElement>> arrays;
    std::map<std::string, std::function<bool(Movie&)>> functions;

    // The game's failures. A count n means: the n-th call of that kind (counted
    // from 1 on this movie) and every later one fails; 0 means never.
    int refuseSetsFrom = 0;     // sets answer false (recorded " (refused)")
    int failInvokesFrom = 0;    // invokes of existing functions answer false (" -> failed")
    int sets = 0;               // sets and invokes seen so far
    int invokes = 0;

    // Run on the calling thread before a get is answered, with the variable's
    // path: the game does something else while the plug-in waits for it.
    std::function<void(const std::string& path)> beforeGet;

    MovieVariable& AddVariable(const std::string& path, ValueKind kind, bool managed = false);
    MovieVariable* Variable(const std::string& path);
    // The variable's value as the records show it ("Int 3", "String \"x\"").
    std::string Describe(const std::string& path);
};

// A new empty movie, owned by the host until the next reset.
Movie& NewMovie();

// The variable's value as text, as a movie element stores it ("3", "x").
std::string VariableText(const MovieVariable& variable);

// Managed references handed out by all movies and not yet released.
int OutstandingMovieValues();
// Every release the host saw that matched no reference handed out.
const std::vector<std::string>& MovieValueReleaseErrors();

}  // namespace TestHost
