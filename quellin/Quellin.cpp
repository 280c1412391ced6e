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
#include <string>

CSystemFolders SystemFolders;
CPlatformFlags PlatformFlags(SystemFolders.Context().Version());

namespace {

// The slot's text with its zero copied into the caller's buffer of `size` characters: its
// length, or the size needed when the buffer is missing or too small; the last error
// ERROR_SUCCESS, set after every other call.
template <typename Char>
DWORD CopyOut(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    SetLastError(ERROR_SUCCESS);
    if (buffer == nullptr || size < needed)
        return needed;
    std::memcpy(buffer, text.c_str(), needed * sizeof(Char));
    return needed - 1;
}

} // namespace

extern "C" {

DWORD WINAPI QuellinGetFolder(DWORD slot, LPSTR buffer, DWORD size) {
    if (slot >= QUELLIN_SLOT_COUNT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CopyOut(SystemFolders.Slot(static_cast<QuellinSlot>(slot)), buffer, size);
}

DWORD WINAPI QuellinGetFolderW(DWORD slot, LPWSTR buffer, DWORD size) {
    if (slot >= QUELLIN_SLOT_COUNT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CopyOut(SystemFolders.WideText(static_cast<QuellinSlot>(slot)), buffer, size);
}

LPCSTR WINAPI QuellinFolderName(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT ? CSystemFolders::SlotName(static_cast<QuellinSlot>(slot))
                                     : nullptr;
}

LPCWSTR WINAPI QuellinFolderNameW(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT ? CSystemFolders::SlotNameW(static_cast<QuellinSlot>(slot))
                                     : nullptr;
}

LPCSTR WINAPI QuellinFolderSource(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT
               ? SystemFolders.SourceRecord(static_cast<QuellinSlot>(slot)).c_str()
               : nullptr;
}

LPCWSTR WINAPI QuellinFolderSourceW(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT
               ? SystemFolders.WideSourceRecord(static_cast<QuellinSlot>(slot))
               : nullptr;
}

LPCSTR WINAPI QuellinAttachRecord(void) {
    return SystemFolders.AttachRecord().c_str();
}

LPCWSTR WINAPI QuellinAttachRecordW(void) {
    return SystemFolders.WideAttachRecord();
}

} // extern "C"
