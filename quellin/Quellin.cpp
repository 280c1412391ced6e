// The library frame: its global objects, constructed at attach in this order and destroyed at
// detach in the reverse order, and the read-only view of the folder table.
//
// The folder table resolves every folder during its construction. The share-root cache joins
// the runtime's exit list during that construction (at the first PathRoot call), so it is
// destroyed after the table. The platform record comes last.
#include "Quellin.h"
#include "folders/SystemFolders.h"
#include "platform/Platform.h"

#include <cstring>

CSystemFolders SystemFolders;
CPlatformFlags PlatformFlags;

namespace {

// The slot list as the accessors read it: each slot's table member and name, by number.
struct SlotEntry {
    DWORD number;
    std::string CSystemFolders::*member;
    const char* name;
};

constexpr SlotEntry kSlots[] = {
#define QUELLIN_SLOT_ENTRY(number, constant, name) {constant, &CSystemFolders::name, #name},
    QUELLIN_SLOTS(QUELLIN_SLOT_ENTRY)
#undef QUELLIN_SLOT_ENTRY
};

constexpr bool SlotsNumberedInOrder() {
    for (DWORD i = 0; i < QUELLIN_SLOT_COUNT; ++i)
        if (kSlots[i].number != i)
            return false;
    return true;
}
static_assert(sizeof kSlots / sizeof kSlots[0] == QUELLIN_SLOT_COUNT && SlotsNumberedInOrder(),
              "the slot list numbers its slots 0, 1, 2, ... in order");

} // namespace

extern "C" {

DWORD WINAPI QuellinGetFolder(DWORD slot, LPSTR buffer, DWORD size) {
    if (slot >= QUELLIN_SLOT_COUNT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const std::string& text = SystemFolders.*(kSlots[slot].member);
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (buffer == nullptr || size < needed)
        return needed;
    std::memcpy(buffer, text.c_str(), needed);
    return needed - 1;
}

LPCSTR WINAPI QuellinFolderName(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT ? kSlots[slot].name : nullptr;
}

} // extern "C"
