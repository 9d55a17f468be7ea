// The few Win32 calls the plug-in makes. On Windows they are the system's;
// on Linux they come from the POSIX stand-in in platform/posix.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "platform/posix/win32_posix.h"
#endif
