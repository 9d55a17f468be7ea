// What the items file's writer and reader show when the file cannot be opened.
#include "core/error_report.h"
#include "persistence/items_file.h"

namespace Velloquin {

std::string ItemsFileOpenError(const std::string& path, int code) {
    return path + " couldn't be opened, error code: " + std::to_string(code);
}

bool ReportItemsFileOpen(const char* function, const std::string& path, bool isOpen, const std::ios& stream,
                         std::initializer_list<ItemsFileOpenCheck> checks) {
    bool failed = false;
    for (const ItemsFileOpenCheck& check : checks) {
        const bool fails = check.state == ItemsFileOpenCheck::NotOpen ? !isOpen
                           : check.state == ItemsFileOpenCheck::Failed ? stream.fail()
                                                                       : stream.bad();
        if (!fails) continue;
        ReportError(function, check.line, ItemsFileOpenError(path, check.errorCode));
        failed = true;
    }
    return failed;
}

}  // namespace Velloquin
