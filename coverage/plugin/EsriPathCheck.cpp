#include "coverage/plugin/EsriPathCheck.h"

#include <string>

#include "coverage/lib/Tamrec.h"
#include "coverage/plugin/EsriModule.h"

char* CheckCoverageReadPath(const char* workspace, const char* cover, TFgnBool& valid) {
    valid = kFgnFalse;
    if (workspace == nullptr || !tamrec_is_directory(workspace))
        return LoadMessage(kMsgReadWorkspaceNotDirectory);
    // Covers copied from other systems may differ in letter case.
    char* directory =
        cover != nullptr && *cover != '\0' ? tamrec_find_file(workspace, cover) : nullptr;
    const bool isDirectory = directory != nullptr && tamrec_is_directory(directory);
    tamrec_free(directory);
    if (!isDirectory) return LoadMessage(kMsgReadCoverNotDirectory);
    tamrec_workspace* ws = nullptr;
    if (tamrec_open_ws(workspace, &ws) != 0) return LoadMessage(kMsgReadInvalidWorkspace);
    tamrec_cover* opened = nullptr;
    if (tamrec_open_cover(cover, ws, &opened) != 0) {
        tamrec_close_ws(&ws);
        return LoadMessage(kMsgReadInvalidCoverage);
    }
    tamrec_close_cover(&opened);
    tamrec_close_ws(&ws);
    valid = kFgnTrue;
    return nullptr;
}
