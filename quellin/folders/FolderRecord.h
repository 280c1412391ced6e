// Why a slot holds what it holds: the sources its resolver tried, in order, each with what
// came of it, the source that answered last. Built while the slot resolves, from the results
// of the calls the resolver makes anyway: recording makes no call of its own.
//
// As text, one line per attempt, three fields separated by tabs:
//
//   kind <TAB> detail <TAB> outcome
//
// kind is one of "folder service" (SHGetFolderPathA of shfolder.dll), "shell" (the shell's
// special-folder service), "registry", "windows" (a call of Windows itself), "default" (built
// on another slot), "fallback" (a fixed folder) and "none", which ends the record of a slot
// that no source filled. The outcome of the answering source begins with "answered".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Kinds of source.
extern const char kFolderServiceSource[];
extern const char kShellSource[];
extern const char kRegistrySource[];
extern const char kWindowsSource[];
extern const char kDefaultSource[];
extern const char kFallbackSource[];
extern const char kNoSource[];

class FolderRecord {
  public:
    void Add(const char* kind, const std::string& detail, const std::string& outcome);
    void Clear() { lines_.clear(); }
    // The record as text; `filled` tells whether the slot holds a folder, and an empty slot's
    // record gets its closing "none" line here.
    std::string Text(bool filled) const;

  private:
    struct Attempt {
        std::string kind;
        std::string detail;
        std::string outcome;
    };
    std::vector<Attempt> lines_;
};

// Texts for the details and outcomes.

// "CSIDL_PERSONAL", "CSIDL_MYPICTURES | CSIDL_FLAG_CREATE", or the number for one the library
// does not ask for.
std::string CsidlText(int csidl);
// 'HKEY_LOCAL_MACHINE\Software\...\CurrentVersion "ProgramFilesDir"': root, key, value name.
std::string RegistryValueText(HKEY root, const std::string& subKey, const std::string& name);
// As above, from a value path 'Key\...\ValueName' (the form RegReadValue takes).
std::string RegistryValuePathText(HKEY root, const std::string& valuePath);
// "failed: 0x80004005 (E_FAIL)" for an HRESULT, its name where the table knows one.
std::string FailedHResult(HRESULT result);
// "error 5 (ERROR_ACCESS_DENIED)" for a Windows error code, and "failed: " before it.
std::string ErrorText(DWORD error);
std::string FailedError(DWORD error);
// The outcome of a registry read that did not give a value: "missing: no such key", "key not
// opened, failed: error 5 (ERROR_ACCESS_DENIED)", "missing", "too long", or the error.
std::string RegistryOutcome(LONG openResult, LONG queryResult);
// The outcome of a value read whose environment references were expanded: "answered", or
// "answered, %USERPROFILE%\Documents expanded" when they changed the text.
std::string ExpandedOutcome(const std::string& stored, const std::string& expanded);
std::string ExpandedOutcome(const std::wstring& stored, const std::wstring& expanded);
// A wide text in a record, which is written in the ANSI code page: as the ANSI calls would give
// it (a character the code page lacks as its look-alike or '?').
std::string RecordText(const std::wstring& text);
inline const std::string& RecordText(const std::string& text) {
    return text;
}
// A slot name and a leaf joined below it, for defaults: 'StartMenuFolder + "Programs"'.
std::string BelowSlot(const char* slotName, const std::string& leaf);
