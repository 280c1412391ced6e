// The library frame: its global objects built at attach and destroyed at detach, and the
// accessors' rules.
#include "machine_fixture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class LibraryFrame : public MachineTest {};

// The size rules of QuellinGetFolder, and its last error on every path: ERROR_SUCCESS for any
// valid slot (so that 0 tells an empty slot), ERROR_INVALID_PARAMETER for a slot number outside
// the table. Each call starts from the other error, so that the one it leaves is its own. The
// test shares the simulated machine, and so the last error, with the library.
TEST_F(LibraryFrame, AccessorSizeRules) {
    M().kernel.windowsDirectory = "C:\\WIN";
    AttachedLibrary lib;
    auto get = lib.Symbol<PFNQUELLINGETFOLDER>("QuellinGetFolder");
    auto name = lib.Symbol<PFNQUELLINFOLDERNAME>("QuellinFolderName");
    ASSERT_TRUE(get && name);
    // A valid slot's call, made after a bad slot number left its error.
    auto getValid = [get](DWORD slot, char* buffer, DWORD size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return get(slot, buffer, size);
    };

    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(getValid(QUELLIN_WINDOWS_FOLDER, nullptr, 0), 7u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(getValid(QUELLIN_WINDOWS_FOLDER, buffer, 6), 7u); // too small: nothing written
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(getValid(QUELLIN_WINDOWS_FOLDER, buffer, 7), 6u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_STREQ(buffer, "C:\\WIN");
    EXPECT_EQ(buffer[7], '#'); // never past the zero

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(getValid(QUELLIN_SUITE_DESTINATION_FOLDER, buffer, 1), 0u); // empty slot
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
    EXPECT_EQ(getValid(QUELLIN_SUITE_DESTINATION_FOLDER, buffer, 0), 1u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(get(QUELLIN_SLOT_COUNT, buffer, sizeof buffer), 0u); // the first bad number
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_STREQ(name(QUELLIN_BDE_FOLDER), "BdeFolder");
    EXPECT_STREQ(name(QUELLIN_PROGRAM_FILES_FOLDER), "ProgramFilesFolder");
    EXPECT_STREQ(name(QUELLIN_SUITE_DESTINATION_FOLDER), "SuiteDestinationFolder");
    EXPECT_EQ(name(QUELLIN_SLOT_COUNT), nullptr);
}

// QuellinRecordEntry and its W form: an entry per line of the record's text, the caller's size
// field checked before anything is written, the last error on every path.
TEST_F(LibraryFrame, RecordEntryRules) {
    M().kernel.windowsDirectory = "C:\\WIN";
    AttachedLibrary lib;
    auto entryA = lib.Symbol<PFNQUELLINRECORDENTRY>("QuellinRecordEntry");
    auto entryW = lib.Symbol<PFNQUELLINRECORDENTRYW>("QuellinRecordEntryW");
    ASSERT_TRUE(entryA && entryW);

    // Both forms, for every record: as many entries as the text has lines, each the line's
    // kind, detail and outcome.
    auto lines = [](const std::string& text) {
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    };
    for (DWORD record = 0; record <= QUELLIN_SLOT_COUNT; ++record) {
        const DWORD number = record == QUELLIN_SLOT_COUNT ? QUELLIN_ATTACH_RECORD : record;
        const std::string text =
            record == QUELLIN_SLOT_COUNT ? lib.AttachRecord() : lib.Source(record);
        SCOPED_TRACE(text);
        const std::vector<QUELLIN_RECORD_ENTRYA> entries = lib.Entries(number);
        ASSERT_EQ(entries.size(), lines(text));
        std::string rebuilt;
        for (size_t i = 0; i < entries.size(); ++i) {
            const char* kinds[] = {
#define KIND_TEXT(number, constant, text) text,
                QUELLIN_RECORD_KINDS(KIND_TEXT)
#undef KIND_TEXT
            };
            ASSERT_GE(entries[i].kind, 1u);
            ASSERT_LE(entries[i].kind, sizeof kinds / sizeof kinds[0]);
            rebuilt += std::string(kinds[entries[i].kind - 1]) + "\t" + entries[i].detail + "\t" +
                       entries[i].text + "\n";
            QUELLIN_RECORD_ENTRYW wide;
            wide.cbSize = sizeof wide;
            SetLastError(ERROR_INVALID_PARAMETER);
            ASSERT_TRUE(entryW(number, static_cast<DWORD>(i), &wide));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
            EXPECT_EQ(wide.outcome, entries[i].outcome);
            EXPECT_EQ(wide.error, entries[i].error);
            EXPECT_EQ(
                std::wstring(wide.text),
                std::wstring(entries[i].text, entries[i].text + std::strlen(entries[i].text)));
        }
        EXPECT_EQ(rebuilt, text);
    }

    // The failures, each leaving the entry as it was.
    struct Case {
        const char* what;
        DWORD record;
        DWORD index;
        DWORD size; // 0: no entry at all
        DWORD error;
    };
    const DWORD fullA = sizeof(QUELLIN_RECORD_ENTRYA);
    const Case cases[] = {
        {"size too small", QUELLIN_WINDOWS_FOLDER, 0, fullA - 1, ERROR_INSUFFICIENT_BUFFER},
        {"size of nothing", QUELLIN_WINDOWS_FOLDER, 0, 1, ERROR_INSUFFICIENT_BUFFER},
        {"index past the end", QUELLIN_WINDOWS_FOLDER, 1, fullA, ERROR_NO_MORE_ITEMS},
        {"past the attach record", QUELLIN_ATTACH_RECORD, 8, fullA, ERROR_NO_MORE_ITEMS},
        {"no such record", QUELLIN_SLOT_COUNT, 0, fullA, ERROR_INVALID_PARAMETER},
        {"no entry", QUELLIN_WINDOWS_FOLDER, 0, 0, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QUELLIN_RECORD_ENTRYA e;
        std::memset(&e, '#', sizeof e);
        e.cbSize = c.size;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(entryA(c.record, c.index, c.size ? &e : nullptr));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(e.detail[0], '#');
        QUELLIN_RECORD_ENTRYW w;
        std::memset(&w, '#', sizeof w);
        w.cbSize = c.size == fullA ? sizeof w : c.size;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(entryW(c.record, c.index, c.size ? &w : nullptr));
        EXPECT_EQ(GetLastError(), c.error);
        WCHAR untouched;
        std::memset(&untouched, '#', sizeof untouched);
        EXPECT_EQ(w.detail[0], untouched);
    }
    // The wide structure is larger: its size in the ANSI call's field is too small for it.
    QUELLIN_RECORD_ENTRYW w;
    w.cbSize = sizeof(QUELLIN_RECORD_ENTRYA);
    EXPECT_FALSE(entryW(QUELLIN_WINDOWS_FOLDER, 0, &w));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    // A larger structure of a later version is filled as far as this one reaches.
    struct Later {
        QUELLIN_RECORD_ENTRYA entry;
        DWORD more;
    } later;
    later.entry.cbSize = sizeof later;
    later.more = 7;
    EXPECT_TRUE(entryA(QUELLIN_WINDOWS_FOLDER, 0, &later.entry));
    EXPECT_EQ(later.entry.cbSize, sizeof later);
    EXPECT_EQ(later.more, 7u);
    EXPECT_STREQ(later.entry.folder, "C:\\WIN");
}

TEST_F(LibraryFrame, AttachAgainAfterDetachResolvesAfresh) {
    M().kernel.windowsDirectory = "C:\\WINDOWS";
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "C:\\WINDOWS");
    }
    M().kernel.windowsDirectory = "D:\\WIN";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "D:\\WIN");
}

} // namespace
