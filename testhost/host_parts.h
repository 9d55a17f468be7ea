// What the host's own parts ask of each other when the image is laid out and
// the world is reset (the public face is host.h).
#pragma once

namespace TestHost {

// hook_site.cpp: writes the routine with the redirected call and its original
// callee into the image, and forgets what they recorded.
void LayHookRoutine();
void ClearHookCaptures();

}  // namespace TestHost
