// The library frame: its global objects, constructed at attach in this order and destroyed at
// detach in the reverse order, and the read-only view of the folder table.
//
// The folder table resolves every folder during its construction. The share-root cache joins
// the runtime's exit list during that construction (at the first PathRoot call), so it is
// destroyed after the table. The platform record comes last, filled from the version query
// the table's attach made.
#include "Quellin.h"
#include "folders/SystemFolders.h"
#include "platform/Platform.h"

#include <cstring>

CSystemFolders SystemFolders;
CPlatformFlags PlatformFlags(SystemFolders.Context().Version());

extern "C" {

DWORD WINAPI QuellinGetFolder(DWORD slot, LPSTR buffer, DWORD size) {
    if (slot >= QUELLIN_SLOT_COUNT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const std::string& text = SystemFolders.Slot(static_cast<QuellinSlot>(slot));
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (buffer == nullptr || size < needed)
        return needed;
    std::memcpy(buffer, text.c_str(), needed);
    return needed - 1;
}

LPCSTR WINAPI QuellinFolderName(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT ? CSystemFolders::SlotName(static_cast<QuellinSlot>(slot))
                                     : nullptr;
}

LPCSTR WINAPI QuellinFolderSource(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT
               ? SystemFolders.SourceRecord(static_cast<QuellinSlot>(slot)).c_str()
               : nullptr;
}

} // extern "C"
