// Windows' critical-error boxes ("There is no disk in the drive") turned off
// for the calling thread while an object of this type lives, and the thread's
// mode as it was afterwards: a probe of a folder on an empty removable drive
// then fails instead of stopping the game on a box. Only this thread's mode
// changes (SetThreadErrorMode), never the process's, which the game owns.
#pragma once

#include "platform/win32.h"

namespace Velloquin {

class CriticalErrorBoxesOff {
public:
    CriticalErrorBoxesOff() { changed = SetThreadErrorMode(GetThreadErrorMode() | SEM_FAILCRITICALERRORS, &previous) != 0; }
    ~CriticalErrorBoxesOff() {
        if (changed) SetThreadErrorMode(previous, nullptr);
    }
    CriticalErrorBoxesOff(const CriticalErrorBoxesOff&) = delete;
    CriticalErrorBoxesOff& operator=(const CriticalErrorBoxesOff&) = delete;

private:
    DWORD previous = 0;
    bool changed = false;
};

}  // namespace Velloquin
