// Why a slot holds what it holds: the sources its resolver tried, in order, each with what
// came of it, the source that answered last. Built while the slot resolves, from the results
// of the calls the resolver makes anyway: recording makes no call of its own.
//
// Each entry is data (RecordEntry: the kind of source, its detail, an outcome code of
// Quellin.h's QUELLIN_RECORD_OUTCOMES, the Win32 error or HRESULT, the raw answer, the
// offending character of a rejected path), and the record's text is written from the entries
// here alone, one line per entry, three fields separated by tabs:
//
//   kind <TAB> detail <TAB> outcome
//
// kind is one of "folder service" (SHGetFolderPathA of shfolder.dll), "shell" (the shell's
// special-folder service), "registry", "windows" (a call of Windows itself), "default" (built
// on another slot), "fallback" (a fixed folder) and "none", which ends the record of a slot
// that no source filled. The outcome of the answering source begins with "answered".
#pragma once

#include "Quellin.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Kinds of source.
extern const char kFolderServiceSource[];
extern const char kShellSource[];
extern const char kRegistrySource[];
extern const char kWindowsSource[];
extern const char kDefaultSource[];
extern const char kFallbackSource[];
extern const char kNoSource[];

// An outcome code not given yet: the verdict of the step decides it (answered or failed).
const DWORD kOutcomeByVerdict = 0xFFFFFFFF;

// The code, or `byVerdict` when none was given.
inline DWORD CodeOr(DWORD code, DWORD byVerdict) {
    return code == kOutcomeByVerdict ? byVerdict : code;
}

// A text as a source gave it: in the ANSI code page from an ANSI call, wide from a wide one.
struct RawText {
    std::string ansi;
    std::wstring wide;
    bool isWide = false;

    void Set(const std::string& text) {
        ansi = text;
        isWide = false;
    }
    void Set(const std::wstring& text) {
        wide = text;
        isWide = true;
    }
    bool Empty() const { return isWide ? wide.empty() : ansi.empty(); }
};

// What an outcome says: its code, the Win32 error or HRESULT it names, and its words.
struct Finding {
    DWORD code = kOutcomeByVerdict;
    DWORD error = 0;
    HRESULT result = S_OK;
    std::string text;

    Finding() = default;
    Finding(const char* words) : text(words) {}            // NOLINT(google-explicit-constructor)
    Finding(std::string words) : text(std::move(words)) {} // NOLINT(google-explicit-constructor)
    Finding(DWORD outcome, std::string words, DWORD win32Error = 0, HRESULT hresult = S_OK)
        : code(outcome), error(win32Error), result(hresult), text(std::move(words)) {}
};
// The finding with more words after its text.
Finding operator+(Finding finding, const std::string& more);

// One entry of a record.
struct RecordEntry {
    DWORD kind = QUELLIN_KIND_NONE;
    std::string detail;
    DWORD outcome = QUELLIN_OUTCOME_ANSWERED;
    DWORD qualities = 0; // QUELLIN_ANSWER_... bits
    DWORD error = 0;
    HRESULT result = S_OK;
    DWORD valueType = REG_NONE; // a registry value's type as read
    DWORD offendingCharacter = 0;
    DWORD offendingPosition = QUELLIN_NONE; // in `folder`
    DWORD baseSlot = QUELLIN_NONE;          // the slot a default is built on
    DWORD facts[4] = {0, 0, 0, 0};          // the attach record's numbers
    std::string folder;                     // the answer as checked or taken, ANSI
    RawText stored;                         // the raw answer
    RawText expanded;                       // the value after expansion, when expanded
    std::string text;                       // the outcome's words
};

// The kind's number for its text ("registry": QUELLIN_KIND_REGISTRY).
DWORD RecordKind(const char* kind);
// The kind's text; null for a number without one.
const char* RecordKindText(DWORD kind);

class FolderRecord {
  public:
    void Add(RecordEntry entry);
    void Add(const char* kind, const std::string& detail, const Finding& outcome);
    void Clear() { entries_.clear(); }
    // Closes the record of a slot: `filled` tells whether it holds a folder, and an empty
    // slot's record gets its closing "none" entry.
    void Close(bool filled);
    const std::vector<RecordEntry>& Entries() const { return entries_; }
    // The record as text, one line an entry.
    std::string Text() const;

  private:
    std::vector<RecordEntry> entries_;
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
Finding FailedHResult(HRESULT result);
// "error 5 (ERROR_ACCESS_DENIED)" for a Windows error code, and "failed: " before it.
std::string ErrorText(DWORD error);
Finding FailedError(DWORD error);
// The outcome of a registry read that did not give a value: "missing: no such key", "key not
// opened, failed: error 5 (ERROR_ACCESS_DENIED)", "missing", "too long", or the error.
Finding RegistryOutcome(LONG openResult, LONG queryResult);
// The outcome of a value read whose environment references were expanded: "answered", or
// "answered, %USERPROFILE%\Documents expanded" when they changed the text.
Finding ExpandedOutcome(const std::string& stored, const std::string& expanded);
Finding ExpandedOutcome(const std::wstring& stored, const std::wstring& expanded);
// A wide text in a record, which is written in the ANSI code page: as the ANSI calls would give
// it (a character the code page lacks as its look-alike or '?').
std::string RecordText(const std::wstring& text);
inline const std::string& RecordText(const std::string& text) {
    return text;
}
// A slot name and a leaf joined below it, for defaults: 'StartMenuFolder + "Programs"'.
std::string BelowSlot(const char* slotName, const std::string& leaf);
