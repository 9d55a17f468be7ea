// The host's world as one: resetting every part of it (the clock, keys and
// boxes, the loader and the hook site are each in their own file).
#include "controller.h"
#include "file_faults.h"
#include "host.h"
#include "host_parts.h"
#include "image.h"
#include "recorder.h"
#include "shell_folders.h"

namespace TestHost {

void ResetWorld() {
    SetNow(0);
    UseRealClock(false);
    RecordKeyStateQueries(true);
    ReleaseAllKeys();
    ClearKeyStateQueries();
    ClearBoxes();
    ClearHookCaptures();
    Loader() = LoaderState{};
    ClearRecords();
    ResetController();
    ResetFileFaults();
    ResetShellFolders();
    ResetImage();
}

}  // namespace TestHost
