// Finding XInput's state query at run time.
#include "platform/xinput.h"

namespace Velloquin {

XInputGetStateFunction FindXInputGetState() {
    for (const char* name : xinputLibraries) {
        HMODULE library = LoadLibraryA(name);
        if (!library) continue;
        if (FARPROC function = GetProcAddress(library, "XInputGetState"))
            return reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(function));
    }
    return nullptr;
}

}  // namespace Velloquin
