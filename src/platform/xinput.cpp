// Finding XInput's state query at run time.
#include "platform/xinput.h"

#include "core/log.h"

namespace Velloquin {

XInputGetStateFunction FindXInputGetState() {
    for (const char* name : xinputLibraries) {
        HMODULE library = LoadLibraryA(name);
        if (!library) continue;
        if (FARPROC function = GetProcAddress(library, "XInputGetState")) {
            LogLine("Controller: %s found", name);
            return reinterpret_cast<XInputGetStateFunction>(reinterpret_cast<void*>(function));
        }
    }
    LogLine("Controller: no XInput library found (xinput1_4.dll, xinput1_3.dll, xinput9_1_0.dll): gamepad quick keys cannot work");
    return nullptr;
}

}  // namespace Velloquin
