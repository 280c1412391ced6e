// A slot's chain of sources. Each step asks one source and returns an outcome: its verdict, the
// folder, and the record line it earns. The chain runs the steps in order and is the one place
// that checks an answer (a file the folder must hold, a write test), records the line and puts
// the answer in the slot. The first step that answers or stops ends the chain; later steps are
// not called.
#pragma once

#include "Quellin.h"
#include "folders/FolderRecord.h"

#include <windows.h>

#include <functional>
#include <string>

class AttachContext;
class CSystemFolders;

// The character type of the calls a source makes: wide on the NT family, where an ANSI call is
// its wide twin and a conversion with best fit; ANSI on the Windows 95 family, which keeps names
// in the ANSI code page. `source` is called with a value of that type.
bool WideCalls(const AttachContext& context);
template <typename Source> auto InCallCharacters(const AttachContext& context, Source source) {
    if (WideCalls(context))
        return source(WCHAR());
    return source(char());
}

enum class Verdict {
    Answered, // the folder is the slot's; the chain ends
    Held,     // the folder is the slot's unless a later step answers; the chain goes on
    Failed,   // nothing from this source; the chain goes on
    Stopped,  // nothing from this source, and the chain ends
};

struct Outcome {
    Verdict verdict = Verdict::Failed;
    std::string folder;
    // The record entry (FolderRecord.h). A step that was not tried has no kind and no entry.
    const char* kind = nullptr;
    std::string detail;
    std::string text;
    // The outcome as data: its code (kOutcomeByVerdict until one is given), the qualities the
    // chain proves, the Win32 error or HRESULT, the raw answer (a registry value's type and
    // text as read, the text after expansion), the slot a default is built on, and the
    // character that made a path unusable with its position in `folder`.
    DWORD code = kOutcomeByVerdict;
    DWORD qualities = 0;
    DWORD error = 0;
    HRESULT result = S_OK;
    DWORD valueType = REG_NONE;
    RawText stored;
    RawText expanded;
    DWORD baseSlot = QUELLIN_NONE;
    DWORD offendingCharacter = 0;
    DWORD offendingPosition = QUELLIN_NONE;
    std::string checked; // the ANSI name the usable-folder rule refused
    // What the chain proves before it takes the folder, and whether it then creates it.
    const char* mustHold = nullptr; // a file the folder must hold
    bool writeTest = false;
    bool create = false;
    // The source's wide answer: on the NT family every source asks its wide call (its ANSI call
    // is that call and a lossy conversion), and the chain names the folder in the ANSI code page
    // (NameInAnsi). Empty for an answer of an ANSI call.
    std::wstring wideFolder;
};

Outcome Answer(const char* kind, std::string detail, std::string folder,
               Finding text = Finding("answered"));
Outcome Answer(const char* kind, std::string detail, std::wstring folder,
               Finding text = Finding("answered"));
Outcome Failure(const char* kind, std::string detail, Finding text);
Outcome Stop(const char* kind, std::string detail, Finding text);
// The raw answer of a registry value: its type, its text as read, and the text after
// expansion when that differs.
template <typename Char>
void RawValue(Outcome& outcome, DWORD type, const std::basic_string<Char>& stored,
              const std::basic_string<Char>& expanded) {
    outcome.valueType = type;
    outcome.stored.Set(stored);
    if (expanded != stored)
        outcome.expanded.Set(expanded);
}
Outcome NotTried();

// One source asked for a folder.
using Step = std::function<Outcome()>;

// The step's answer must pass a write test; is created once taken; is held rather than final.
Step WriteTested(Step step);
Step Created(Step step);
Step Held(Step step);
// The step, asked only when `when` holds at the moment the chain reaches it.
Step OnlyIf(const bool& when, Step step);

class Chain {
  public:
    // The chain of one slot of the table; the slot's record starts afresh.
    Chain(CSystemFolders& table, QuellinSlot slot);
    // A held answer that no later step replaced closes the record, which ends with the source
    // of the slot's folder.
    ~Chain();
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    // Runs the step unless the chain has ended. Returns the step's verdict, or the verdict that
    // ended the chain (Answered or Stopped) when the step was not run.
    Verdict Try(const Step& step);
    bool Ended() const { return end_ == Verdict::Answered || end_ == Verdict::Stopped; }
    // The chain ended with an answer.
    bool Answered() const { return end_ == Verdict::Answered; }

  private:
    RecordEntry Entry(const Outcome& outcome);
    // An answer that breaks what the step asked to prove becomes a failure.
    void Prove(Outcome& outcome);
    // The answer's ANSI name on the NT family: the exact form of its wide name, else its short
    // name (`proven` says so). False when it has neither: the outcome is then a failure.
    bool NameInAnsi(Outcome& outcome, std::string& proven);
    // Makes the folder of an answer that asked for it.
    void Create(Outcome& outcome);

    CSystemFolders& table_;
    QuellinSlot slot_;
    Verdict end_ = Verdict::Failed; // Failed while the chain goes on
    // The source of a held answer, while it holds the slot; null when none does.
    const char* heldKind_ = nullptr;
    std::string heldDetail_;
    bool heldIsLast_ = false;
};
