// Finding XInput's state query at run time.
#include "platform/xinput.h"

namespace Velloquin {

XInputLookup FindXInputGetState() {
    for (const char* name : xinputLibraries) {
        HMODULE library = LoadLibraryA(name);
        if (!library) continue;
        if (FARPROC function = GetProcAddress(library, "XInputGetState"))
            return {reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(function)), name};
    }
    return {nullptr, nullptr};
}

}  // namespace Velloquin
