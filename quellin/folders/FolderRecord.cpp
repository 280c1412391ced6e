// Why a slot holds what it holds: the record and the texts it is written in.
#include "folders/FolderRecord.h"

#include "paths/Path.h"
#include "platform/ErrorNames.h"
#include "platform/WideText.h"
#include "strings/Strings.h"

#include <shlobj.h>

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

void FolderRecord::Add(const char* kind, const std::string& detail, const std::string& outcome) {
    lines_.push_back({kind, Field(detail), Field(outcome)});
}

std::string FolderRecord::Text(bool filled) const {
    std::string text;
    for (const Attempt& a : lines_)
        text += a.kind + "\t" + a.detail + "\t" + a.outcome + "\n";
    if (!filled)
        text += std::string(kNoSource) + "\t\tno source: the slot is empty\n";
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

std::string FailedHResult(HRESULT result) {
    const std::string text = "failed: 0x" + StrDigits(static_cast<DWORD>(result), 16, 8);
    const char* name = HResultName(result);
    return name != nullptr ? text + " (" + name + ")" : text;
}

std::string ErrorText(DWORD error) {
    const char* name = ErrorName(error);
    const std::string number = "error " + std::to_string(error);
    return name != nullptr ? number + " (" + name + ")" : number;
}

std::string FailedError(DWORD error) {
    return "failed: " + ErrorText(error);
}

std::string RegistryOutcome(LONG openResult, LONG queryResult) {
    if (openResult == ERROR_FILE_NOT_FOUND)
        return "missing: no such key";
    if (openResult != ERROR_SUCCESS)
        return "key not opened, " + FailedError(static_cast<DWORD>(openResult));
    if (queryResult == ERROR_FILE_NOT_FOUND)
        return "missing";
    if (queryResult == ERROR_MORE_DATA)
        return "too long";
    if (queryResult != ERROR_SUCCESS)
        return FailedError(static_cast<DWORD>(queryResult));
    return "empty";
}

std::string ExpandedOutcome(const std::string& stored, const std::string& expanded) {
    return expanded == stored ? "answered" : "answered, " + stored + " expanded";
}

std::string ExpandedOutcome(const std::wstring& stored, const std::wstring& expanded) {
    return expanded == stored ? "answered" : "answered, " + RecordText(stored) + " expanded";
}

std::string RecordText(const std::wstring& text) {
    return AnsiBestFit(text);
}

std::string BelowSlot(const char* slotName, const std::string& leaf) {
    return std::string(slotName) + " + \"" + leaf + "\"";
}
