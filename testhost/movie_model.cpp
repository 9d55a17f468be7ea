#include "movie_model.h"

#include <cstdlib>
#include <cstring>
#include <deque>

#include "base/text.h"
#include "game/game_index.h"
#include "image.h"
#include "recorder.h"
#include "text_codecs.h"

// The plug-in's name of a movie value, for the slots' exact types.
namespace Velloquin::Game {
struct MenuValue;
}

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

struct MovieWorld {
    std::deque<Movie> movies;
    std::vector<std::string> releaseErrors;
};

MovieWorld& World() {
    static MovieWorld world;
    return world;
}

const char* KindName(std::uint32_t kind) {
    switch (static_cast<ValueKind>(kind)) {
        case ValueKind::Boolean: return "Boolean";
        case ValueKind::Int: return "Int";
        case ValueKind::UInt: return "UInt";
        case ValueKind::Number: return "Number";
        case ValueKind::String: return "String";
        case ValueKind::WideString: return "WideString";
        default: return "Undefined";
    }
}

// A value as the plug-in sent it, decoded by its type code.
struct Incoming {
    std::uint32_t kind = 0;
    bool boolean = false;
    std::int32_t intValue = 0;
    std::uint32_t uintValue = 0;
    double number = 0.0;
    std::string text;
    std::u16string wide;

    std::string Describe() const {
        std::string out = KindName(kind);
        switch (static_cast<ValueKind>(kind)) {
            case ValueKind::Boolean: return out + (boolean ? " true" : " false");
            case ValueKind::Int: return out + " " + std::to_string(intValue);
            case ValueKind::UInt: return out + " " + std::to_string(uintValue);
            case ValueKind::Number: return out + " " + FormatNumber(number);
            case ValueKind::String: return out + " \"" + text + "\"";
            case ValueKind::WideString: return out + " \"" + Utf16ToUtf8(wide) + "\"";
            default: return out;
        }
    }
};

Incoming Decode(const MenuValue& value) {
    Incoming in;
    in.kind = value.type & 0x8F;
    const auto low32 = static_cast<std::uint32_t>(value.value);
    switch (static_cast<ValueKind>(in.kind)) {
        case ValueKind::Boolean: in.boolean = (value.value & 0xFF) != 0; break;
        case ValueKind::Int: std::memcpy(&in.intValue, &low32, 4); break;
        case ValueKind::UInt: in.uintValue = low32; break;
        case ValueKind::Number: std::memcpy(&in.number, &value.value, 8); break;
        case ValueKind::String:
            if (value.value) in.text = reinterpret_cast<const char*>(value.value);
            break;
        case ValueKind::WideString:
            if (value.value) in.wide = reinterpret_cast<const char16_t*>(value.value);
            break;
        default: break;
    }
    return in;
}

Incoming FromVariable(const MovieVariable& variable) {
    Incoming in;
    in.kind = static_cast<std::uint32_t>(variable.kind);
    in.boolean = variable.boolean;
    in.intValue = variable.intValue;
    in.uintValue = variable.uintValue;
    in.number = variable.number;
    in.text = variable.text;
    in.wide = variable.wide;
    return in;
}

double AsNumber(const Incoming& in) {
    switch (static_cast<ValueKind>(in.kind)) {
        case ValueKind::Boolean: return in.boolean ? 1.0 : 0.0;
        case ValueKind::Int: return in.intValue;
        case ValueKind::UInt: return in.uintValue;
        case ValueKind::Number: return in.number;
        case ValueKind::String: return std::atof(in.text.c_str());
        case ValueKind::WideString: return std::atof(Utf16ToUtf8(in.wide).c_str());
        default: return 0.0;
    }
}

std::string AsText(const Incoming& in) {
    switch (static_cast<ValueKind>(in.kind)) {
        case ValueKind::String: return in.text;
        case ValueKind::WideString: return Utf16ToUtf8(in.wide);
        case ValueKind::Undefined: return "";
        default: {
            const std::string described = in.Describe();
            return described.substr(described.find(' ') + 1);
        }
    }
}

// Stores a written value into the variable's declared kind.
void Store(MovieVariable& variable, const Incoming& in) {
    switch (variable.kind) {
        case ValueKind::Boolean: variable.boolean = AsNumber(in) != 0.0; break;
        case ValueKind::Int: variable.intValue = static_cast<std::int32_t>(AsNumber(in)); break;
        case ValueKind::UInt: variable.uintValue = static_cast<std::uint32_t>(AsNumber(in)); break;
        case ValueKind::Number: variable.number = AsNumber(in); break;
        case ValueKind::String: variable.text = AsText(in); break;
        case ValueKind::WideString:
            variable.wide = in.kind == static_cast<std::uint32_t>(ValueKind::WideString) ? in.wide
                                                                                        : Velloquin::Utf8ToUtf16(AsText(in));
            variable.text = Utf16ToUtf8(variable.wide);
            break;
        default: break;
    }
}

// --- the movie's virtual operations
bool MovieSetVariable(Movie* movie, const char* path, const MenuValue* value, std::uint32_t setKind) {
    const std::string name = path ? path : "";
    const Incoming in = value ? Decode(*value) : Incoming{};
    std::string line = "movie set " + name + " = " + in.Describe();
    if (setKind != 1) line += " (set kind " + std::to_string(setKind) + ")";
    MovieVariable* variable = movie->Variable(name);
    if (!variable || !value) {
        Record(line + " -> missing");
        return false;
    }
    ++movie->sets;
    if (variable->refuseWrites || (movie->refuseSetsFrom > 0 && movie->sets >= movie->refuseSetsFrom)) {
        Record(line + " (refused)");
        return false;
    }
    Record(line);
    variable->lastWrittenType = value->type;
    variable->lastWrittenWord = value->value;
    ++variable->writes;
    Store(*variable, in);
    return true;
}

bool MovieGetVariable(Movie* movie, MenuValue* out, const char* path) {
    const std::string name = path ? path : "";
    if (movie->beforeGet) movie->beforeGet(name);
    if (out && (out->type & managedValueBit))
        World().releaseErrors.push_back("get of " + name + " into a value still holding a reference");
    MovieVariable* variable = movie->Variable(name);
    if (!variable || !out) {
        Record("movie get " + name + " -> missing");
        return false;
    }
    Record("movie get " + name + " -> " + FromVariable(*variable).Describe());
    MenuValue value;
    value.type = static_cast<std::uint32_t>(variable->kind) | variable->extraTypeBits;
    switch (variable->kind) {
        case ValueKind::Boolean: value.value = variable->boolean ? 1 : 0; break;
        case ValueKind::Int: value.value = static_cast<std::uint32_t>(variable->intValue); break;
        case ValueKind::UInt: value.value = variable->uintValue; break;
        case ValueKind::Number: std::memcpy(&value.value, &variable->number, 8); break;
        case ValueKind::String: value.value = reinterpret_cast<std::uintptr_t>(variable->text.c_str()); break;
        case ValueKind::WideString: value.value = reinterpret_cast<std::uintptr_t>(variable->wide.c_str()); break;
        default: break;
    }
    if (variable->managed) {
        value.type |= managedValueBit;
        value.objectInterface = &variable->objectInterface;
        ++variable->outstanding;
    }
    *out = value;
    return true;
}

std::uint32_t MovieArraySize(Movie* movie, const char* path) {
    const std::string name = path ? path : "";
    auto found = movie->arrays.find(name);
    if (found == movie->arrays.end()) {
        Record("movie arraysize " + name + " -> missing");
        return 0;
    }
    const auto size = static_cast<std::uint32_t>(found->second.size());
    Record("movie arraysize " + name + " -> " + std::to_string(size));
    return size;
}

bool MovieInvoke(Movie* movie, const char* path, MenuValue* result, const MenuValue* args, std::uint32_t count) {
    const std::string name = path ? path : "";
    std::string line = "movie invoke " + name;
    if (result || args || count) line += " (with result or arguments)";
    auto found = movie->functions.find(name);
    if (found == movie->functions.end() || !found->second) {
        Record(line + " -> missing");
        return false;
    }
    ++movie->invokes;
    if (movie->failInvokesFrom > 0 && movie->invokes >= movie->failInvokesFrom) {
        Record(line + " -> failed");
        return false;
    }
    Record(line);
    return found->second(*movie);
}

void* UnexpectedMovieSlot(const void*) {
    Record("unexpected virtual call on a movie");
    return nullptr;
}

// The movie's slots as the plug-in calls them: the movie as const void*, the
// plug-in's own value type, the answer in a byte.
std::uint8_t MovieSetVariableSlot(const void* movie, const char* path, const Velloquin::Game::MenuValue* value,
                                  std::uint32_t setKind) {
    return MovieSetVariable(const_cast<Movie*>(static_cast<const Movie*>(movie)), path,
                            reinterpret_cast<const MenuValue*>(value), setKind);
}
std::uint8_t MovieGetVariableSlot(const void* movie, Velloquin::Game::MenuValue* out, const char* path) {
    return MovieGetVariable(const_cast<Movie*>(static_cast<const Movie*>(movie)), reinterpret_cast<MenuValue*>(out), path);
}
std::uint32_t MovieArraySizeSlot(const void* movie, const char* path) {
    return MovieArraySize(const_cast<Movie*>(static_cast<const Movie*>(movie)), path);
}
std::uint8_t MovieInvokeSlot(const void* movie, const char* path, Velloquin::Game::MenuValue* result,
                             const Velloquin::Game::MenuValue* args, std::uint32_t count) {
    return MovieInvoke(const_cast<Movie*>(static_cast<const Movie*>(movie)), path, reinterpret_cast<MenuValue*>(result),
                       reinterpret_cast<const MenuValue*>(args), count);
}

void* const* MovieTable() {
    static void* table[64];
    static bool filled = false;
    if (!filled) {
        for (auto& slot : table) slot = reinterpret_cast<void*>(&UnexpectedMovieSlot);
        table[49] = reinterpret_cast<void*>(&MovieSetVariableSlot);
        table[50] = reinterpret_cast<void*>(&MovieGetVariableSlot);
        table[53] = reinterpret_cast<void*>(&MovieArraySizeSlot);
        table[56] = reinterpret_cast<void*>(&MovieInvokeSlot);
        filled = true;
    }
    return table;
}

// --- the host's release of managed movie values
void HostMovieValueRelease(void* objectInterface, MenuValue* value, std::uint64_t valueWord) {
    auto& world = World();
    MovieVariable* variable = nullptr;
    for (Movie& movie : world.movies)
        for (auto& [path, candidate] : movie.variables)
            if (&candidate.objectInterface == objectInterface) variable = &candidate;
    if (!variable) {
        world.releaseErrors.push_back("release of an unknown object interface");
        return;
    }
    if (!value || value->objectInterface != objectInterface || value->value != valueWord)
        world.releaseErrors.push_back("release of " + variable->path + " with a mismatched value");
    if (variable->outstanding == 0) {
        world.releaseErrors.push_back("release of " + variable->path + " without a reference");
        return;
    }
    --variable->outstanding;
    ++variable->releases;
    Record("movie release " + variable->path);
}

void ResetMovies() { World() = MovieWorld{}; }

const bool registered = RegisterDefaultFunction(GI::movieValueRelease, &HostMovieValueRelease) &&
                        RegisterResetHook(&ResetMovies);

}  // namespace

MovieVariable& Movie::AddVariable(const std::string& path, ValueKind kind, bool managed) {
    MovieVariable& variable = variables[path];
    variable = MovieVariable{};
    variable.path = path;
    variable.kind = kind;
    variable.managed = managed;
    variable.objectInterface = {this, &variable};
    return variable;
}

MovieVariable* Movie::Variable(const std::string& path) {
    auto found = variables.find(path);
    return found == variables.end() ? nullptr : &found->second;
}

std::string Movie::Describe(const std::string& path) {
    MovieVariable* variable = Variable(path);
    return variable ? FromVariable(*variable).Describe() : "missing";
}

Movie& NewMovie() {
    (void)registered;
    Movie& movie = World().movies.emplace_back();
    movie.table = MovieTable();
    return movie;
}

std::string VariableText(const MovieVariable& variable) { return AsText(FromVariable(variable)); }

int OutstandingMovieValues() {
    int outstanding = 0;
    for (Movie& movie : World().movies)
        for (auto& [path, variable] : movie.variables) outstanding += variable.outstanding;
    return outstanding;
}

const std::vector<std::string>& MovieValueReleaseErrors() { return World().releaseErrors; }

}  // namespace TestHost
