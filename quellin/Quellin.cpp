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
#include "platform/WideText.h"

#include <cstring>
#include <string>

// Quellin.nsh reads the entries' structures by these sizes.
static_assert(sizeof(WCHAR) != 2 || sizeof(QUELLIN_RECORD_ENTRYA) == 3176, "Quellin.nsh's size");
static_assert(sizeof(WCHAR) != 2 || sizeof(QUELLIN_RECORD_ENTRYW) == 6296, "Quellin.nsh's size");

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

// Texts into the fields of an entry, cut to the field with their zero (and the entry marked)
// when longer.
template <typename Char, size_t N>
void CopyField(const std::basic_string<Char>& text, Char (&field)[N], DWORD& qualities) {
    size_t length = text.size();
    if (length >= N) {
        length = N - 1;
        qualities |= QUELLIN_ENTRY_TEXT_CUT;
    }
    std::memcpy(field, text.c_str(), length * sizeof(Char));
    field[length] = Char(0);
}

template <size_t N> void CopyText(const std::string& text, CHAR (&field)[N], DWORD& qualities) {
    CopyField(text, field, qualities);
}

template <size_t N> void CopyText(const std::string& text, WCHAR (&field)[N], DWORD& qualities) {
    CopyField(WideFromAnsi(text), field, qualities);
}

template <size_t N> void CopyText(const RawText& text, CHAR (&field)[N], DWORD& qualities) {
    CopyField(text.isWide ? AnsiBestFit(text.wide) : text.ansi, field, qualities);
}

template <size_t N> void CopyText(const RawText& text, WCHAR (&field)[N], DWORD& qualities) {
    CopyField(text.isWide ? text.wide : WideFromAnsi(text.ansi), field, qualities);
}

// One entry of a slot's record or of the attach record into the caller's structure.
template <typename Entry> BOOL RecordEntryOf(DWORD record, DWORD index, Entry* entry) {
    if (entry == nullptr || (record >= QUELLIN_SLOT_COUNT && record != QUELLIN_ATTACH_RECORD)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (entry->cbSize < sizeof(Entry)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const FolderRecord& entries = record == QUELLIN_ATTACH_RECORD
                                      ? SystemFolders.AttachEntries()
                                      : SystemFolders.Record(static_cast<QuellinSlot>(record));
    if (index >= entries.Entries().size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const RecordEntry& e = entries.Entries()[index];
    const DWORD size = entry->cbSize;
    std::memset(entry, 0, sizeof(Entry));
    entry->cbSize = size;
    entry->kind = e.kind;
    entry->outcome = e.outcome;
    entry->qualities = e.qualities;
    entry->error = e.error;
    entry->result = e.result;
    entry->valueType = e.valueType;
    entry->offendingCharacter = e.offendingCharacter;
    entry->offendingPosition = e.offendingPosition;
    entry->baseSlot = e.baseSlot;
    for (int i = 0; i < 4; ++i)
        entry->facts[i] = e.facts[i];
    CopyText(e.detail, entry->detail, entry->qualities);
    CopyText(e.folder, entry->folder, entry->qualities);
    CopyText(e.stored, entry->stored, entry->qualities);
    CopyText(e.expanded, entry->expanded, entry->qualities);
    CopyText(e.text, entry->text, entry->qualities);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
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

BOOL WINAPI QuellinRecordEntry(DWORD record, DWORD index, QUELLIN_RECORD_ENTRYA* entry) {
    return RecordEntryOf(record, index, entry);
}

BOOL WINAPI QuellinRecordEntryW(DWORD record, DWORD index, QUELLIN_RECORD_ENTRYW* entry) {
    return RecordEntryOf(record, index, entry);
}

} // extern "C"
