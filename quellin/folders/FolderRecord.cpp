// Why a slot holds what it holds: the record and the texts it is written in.
#include "folders/FolderRecord.h"

#include "paths/Path.h"
#include "platform/ErrorNames.h"
#include "platform/WideText.h"
#include "strings/Strings.h"

#include <shlobj.h>

#include <cstring>

const char kFolderServiceSource[] = "folder service";
const char kShellSource[] = "shell";
const char kRegistrySource[] = "registry";
const char kWindowsSource[] = "windows";
const char kDefaultSource[] = "default";
const char kFallbackSource[] = "fallback";
const char kNoSource[] = "none";

namespace {

// Fields are separated by tabs and records by line ends: neither may appear inside a field,
// nor any other control character (a garbled answer is shown, not played to a console).
std::string Field(const std::string& text) {
    std::string field = text;
    for (char& c : field)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return field;
}

struct Named {
    DWORD value;
    const char* name;
};

const Named kCsidls[] = {
    {CSIDL_PROGRAMS, "CSIDL_PROGRAMS"},
    {CSIDL_PERSONAL, "CSIDL_PERSONAL"},
    {CSIDL_STARTUP, "CSIDL_STARTUP"},
    {CSIDL_SENDTO, "CSIDL_SENDTO"},
    {CSIDL_STARTMENU, "CSIDL_STARTMENU"},
    {CSIDL_DESKTOPDIRECTORY, "CSIDL_DESKTOPDIRECTORY"},
    {CSIDL_FONTS, "CSIDL_FONTS"},
    {CSIDL_TEMPLATES, "CSIDL_TEMPLATES"},
    {CSIDL_COMMON_STARTMENU, "CSIDL_COMMON_STARTMENU"},
    {CSIDL_COMMON_PROGRAMS, "CSIDL_COMMON_PROGRAMS"},
    {CSIDL_COMMON_STARTUP, "CSIDL_COMMON_STARTUP"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, "CSIDL_COMMON_DESKTOPDIRECTORY"},
    {CSIDL_PROGRAM_FILES, "CSIDL_PROGRAM_FILES"},
    {CSIDL_MYPICTURES, "CSIDL_MYPICTURES"},
    {CSIDL_PROGRAM_FILES_COMMON, "CSIDL_PROGRAM_FILES_COMMON"},
};

const char* NameOf(const Named* table, size_t count, DWORD value) {
    for (size_t i = 0; i < count; ++i)
        if (table[i].value == value)
            return table[i].name;
    return nullptr;
}

const char* RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    return "(key)";
}

} // namespace

Finding operator+(Finding finding, const std::string& more) {
    finding.text += more;
    return finding;
}

DWORD RecordKind(const char* kind) {
#define QUELLIN_KIND_OF_TEXT(number, constant, text)                                               \
    if (std::strcmp(kind, text) == 0)                                                              \
        return constant;
    QUELLIN_RECORD_KINDS(QUELLIN_KIND_OF_TEXT)
#undef QUELLIN_KIND_OF_TEXT
    return QUELLIN_KIND_NONE;
}

const char* RecordKindText(DWORD kind) {
    switch (kind) {
#define QUELLIN_KIND_TEXT(number, constant, text)                                                  \
    case constant:                                                                                 \
        return text;
        QUELLIN_RECORD_KINDS(QUELLIN_KIND_TEXT)
#undef QUELLIN_KIND_TEXT
    default:
        return nullptr;
    }
}

void FolderRecord::Add(RecordEntry entry) {
    entry.detail = Field(entry.detail);
    entry.text = Field(entry.text);
    entries_.push_back(std::move(entry));
}

void FolderRecord::Add(const char* kind, const std::string& detail, const Finding& outcome) {
    RecordEntry entry;
    entry.kind = RecordKind(kind);
    entry.detail = detail;
    entry.outcome = CodeOr(outcome.code, QUELLIN_OUTCOME_ANSWERED);
    entry.error = outcome.error;
    entry.result = outcome.result;
    entry.text = outcome.text;
    Add(std::move(entry));
}

void FolderRecord::Close(bool filled) {
    if (!filled)
        Add(kNoSource, std::string(),
            Finding(QUELLIN_OUTCOME_NO_SOURCE, "no source: the slot is empty"));
}

// The one place a record's lines are written.
std::string FolderRecord::Text() const {
    std::string text;
    for (const RecordEntry& e : entries_)
        text += std::string(RecordKindText(e.kind)) + "\t" + e.detail + "\t" + e.text + "\n";
    return text;
}

std::string CsidlText(int csidl) {
    const char* name = NameOf(kCsidls, sizeof kCsidls / sizeof kCsidls[0],
                              static_cast<DWORD>(csidl & ~CSIDL_FLAG_CREATE));
    std::string text = name ? name : "0x" + StrDigits(static_cast<unsigned>(csidl), 16, 4);
    if (name && (csidl & CSIDL_FLAG_CREATE))
        text += " | CSIDL_FLAG_CREATE";
    return text;
}

std::string RegistryValueText(HKEY root, const std::string& subKey, const std::string& name) {
    return std::string(RootName(root)) + "\\" + subKey + " \"" + name + "\"";
}

std::string RegistryValuePathText(HKEY root, const std::string& valuePath) {
    return RegistryValueText(root, PathParent(valuePath), PathLeaf(valuePath));
}

Finding FailedHResult(HRESULT result) {
    const std::string text = "failed: 0x" + StrDigits(static_cast<DWORD>(result), 16, 8);
    const char* name = HResultName(result);
    return Finding(QUELLIN_OUTCOME_FAILED, name != nullptr ? text + " (" + name + ")" : text, 0,
                   result);
}

std::string ErrorText(DWORD error) {
    const char* name = ErrorName(error);
    const std::string number = "error " + std::to_string(error);
    return name != nullptr ? number + " (" + name + ")" : number;
}

Finding FailedError(DWORD error) {
    return Finding(QUELLIN_OUTCOME_FAILED, "failed: " + ErrorText(error), error);
}

Finding RegistryOutcome(LONG openResult, LONG queryResult) {
    const DWORD opened = static_cast<DWORD>(openResult);
    const DWORD queried = static_cast<DWORD>(queryResult);
    if (openResult == ERROR_FILE_NOT_FOUND)
        return Finding(QUELLIN_OUTCOME_MISSING_KEY, "missing: no such key", opened);
    if (openResult != ERROR_SUCCESS)
        return Finding(QUELLIN_OUTCOME_FAILED, "key not opened, " + FailedError(opened).text,
                       opened);
    if (queryResult == ERROR_FILE_NOT_FOUND)
        return Finding(QUELLIN_OUTCOME_MISSING_VALUE, "missing", queried);
    if (queryResult == ERROR_MORE_DATA)
        return Finding(QUELLIN_OUTCOME_TOO_LONG, "too long", queried);
    if (queryResult != ERROR_SUCCESS)
        return FailedError(queried);
    return Finding(QUELLIN_OUTCOME_EMPTY, "empty");
}

Finding ExpandedOutcome(const std::string& stored, const std::string& expanded) {
    if (expanded == stored)
        return Finding(QUELLIN_OUTCOME_ANSWERED, "answered");
    return Finding(QUELLIN_OUTCOME_EXPANDED, "answered, " + stored + " expanded");
}

Finding ExpandedOutcome(const std::wstring& stored, const std::wstring& expanded) {
    if (expanded == stored)
        return Finding(QUELLIN_OUTCOME_ANSWERED, "answered");
    return Finding(QUELLIN_OUTCOME_EXPANDED, "answered, " + RecordText(stored) + " expanded");
}

std::string RecordText(const std::wstring& text) {
    return AnsiBestFit(text);
}

std::string BelowSlot(const char* slotName, const std::string& leaf) {
    return std::string(slotName) + " + \"" + leaf + "\"";
}
