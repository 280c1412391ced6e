// A slot's chain of sources: the steps run in order, each answer checked, recorded and put in
// the slot.
#include "folders/Chain.h"

#include "folders/AttachContext.h"
#include "folders/FolderRecord.h"
#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/Root.h"
#include "paths/ShortPath.h"
#include "platform/WideText.h"

#include <utility>

namespace {

Outcome Make(Verdict verdict, const char* kind, std::string detail, std::string folder,
             Finding text) {
    Outcome outcome;
    outcome.verdict = verdict;
    outcome.kind = kind;
    outcome.detail = std::move(detail);
    outcome.folder = std::move(folder);
    outcome.text = std::move(text.text);
    outcome.code = text.code;
    outcome.error = text.error;
    outcome.result = text.result;
    return outcome;
}

// The outcome turned into a failure with `text`, keeping what it learnt of the answer (the raw
// value, the qualities proven so far are dropped with the answer).
void Refuse(Outcome& outcome, Finding text) {
    outcome.verdict = Verdict::Failed;
    outcome.text = std::move(text.text);
    outcome.code = text.code;
    outcome.error = text.error;
    outcome.result = text.result;
    outcome.qualities = 0;
    outcome.create = false;
}

// An answer's outcome code: the one its source gave when that says more than that it answered,
// else the strongest thing the chain proved or did with it.
DWORD AnswerCode(const Outcome& outcome) {
    if (outcome.code != kOutcomeByVerdict && outcome.code != QUELLIN_OUTCOME_ANSWERED &&
        outcome.code != QUELLIN_OUTCOME_EXPANDED && outcome.code != QUELLIN_OUTCOME_UNTESTED)
        return outcome.code;
    struct Strength {
        DWORD quality;
        DWORD code;
    };
    static const Strength kStrongestFirst[] = {
        {QUELLIN_ANSWER_CREATED, QUELLIN_OUTCOME_CREATED},
        {QUELLIN_ANSWER_ALREADY_THERE, QUELLIN_OUTCOME_ALREADY_THERE},
        {QUELLIN_ANSWER_NOT_CREATED, QUELLIN_OUTCOME_NOT_CREATED},
        {QUELLIN_ANSWER_WRITE_TESTED, QUELLIN_OUTCOME_WRITE_TESTED},
        {QUELLIN_ANSWER_UNTESTED, QUELLIN_OUTCOME_UNTESTED},
        {QUELLIN_ANSWER_SHORT_NAME, QUELLIN_OUTCOME_SHORT_NAME},
        {QUELLIN_ANSWER_EXPANDED, QUELLIN_OUTCOME_EXPANDED},
    };
    for (const Strength& s : kStrongestFirst)
        if (outcome.qualities & s.quality)
            return s.code;
    return QUELLIN_OUTCOME_ANSWERED;
}

// A step whose answer, if any, is changed by `change`.
Step Changed(Step step, void (*change)(Outcome&)) {
    return [step = std::move(step), change] {
        Outcome outcome = step();
        if (outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Held)
            change(outcome);
        return outcome;
    };
}

// What a write test that refused the folder says of it: the step that failed and the error,
// and for a folder on a share the network refused, that trial.
std::string WriteTestFailed(const std::string& folder, const WriteTestResult& result) {
    std::string text = "write test failed: " + folder + " (" + result.step;
    if (result.error != 0)
        text += ": " + ErrorText(result.error);
    text += ")";
    if (const ShareTrial* trial = RefusedShareTrial(folder))
        text += " (the network refused " + trial->candidate + " at " + trial->localName + " with " +
                ErrorText(trial->result) + " after " + std::to_string(trial->milliseconds) + " ms)";
    return text;
}

// The outcome code of a fault.
DWORD FaultCode(PathFault fault) {
    switch (fault) {
    case PathFault::NotFull:
        return QUELLIN_OUTCOME_NOT_A_FULL_PATH;
    case PathFault::Unwritable:
        return QUELLIN_OUTCOME_ANSI_UNWRITABLE;
    case PathFault::Usable:
    case PathFault::Invalid:
        break;
    }
    return QUELLIN_OUTCOME_INVALID_PATH;
}

// Why an answer is no folder an installer can use; null when it is one.
const char* FaultText(PathFault fault) {
    switch (fault) {
    case PathFault::Usable:
        return nullptr;
    case PathFault::NotFull:
        return "not a full path";
    case PathFault::Unwritable:
        return "holds characters the ANSI code page cannot write";
    case PathFault::Invalid:
        return "not a valid path";
    }
    return nullptr;
}

} // namespace

Outcome Answer(const char* kind, std::string detail, std::string folder, Finding text) {
    if (text.code == QUELLIN_OUTCOME_EXPANDED || text.code == QUELLIN_OUTCOME_UNTESTED) {
        Outcome outcome =
            Make(Verdict::Answered, kind, std::move(detail), std::move(folder), std::move(text));
        outcome.qualities |= outcome.code == QUELLIN_OUTCOME_EXPANDED ? QUELLIN_ANSWER_EXPANDED
                                                                      : QUELLIN_ANSWER_UNTESTED;
        return outcome;
    }
    return Make(Verdict::Answered, kind, std::move(detail), std::move(folder), std::move(text));
}

Outcome Answer(const char* kind, std::string detail, std::wstring folder, Finding text) {
    Outcome outcome = Answer(kind, std::move(detail), std::string(), std::move(text));
    outcome.wideFolder = std::move(folder);
    return outcome;
}

bool WideCalls(const AttachContext& context) {
    return context.NT();
}

Outcome Failure(const char* kind, std::string detail, Finding text) {
    return Make(Verdict::Failed, kind, std::move(detail), std::string(), std::move(text));
}

Outcome Stop(const char* kind, std::string detail, Finding text) {
    return Make(Verdict::Stopped, kind, std::move(detail), std::string(), std::move(text));
}

Outcome NotTried() {
    return Outcome();
}

Step WriteTested(Step step) {
    return Changed(std::move(step), [](Outcome& outcome) { outcome.writeTest = true; });
}

Step Created(Step step) {
    return Changed(std::move(step), [](Outcome& outcome) { outcome.create = true; });
}

Step Held(Step step) {
    return Changed(std::move(step), [](Outcome& outcome) { outcome.verdict = Verdict::Held; });
}

Step OnlyIf(const bool& when, Step step) {
    return [&when, step = std::move(step)] { return when ? step() : NotTried(); };
}

Chain::Chain(CSystemFolders& table, QuellinSlot slot) : table_(table), slot_(slot) {
    table_.records_[slot_].Clear();
}

Chain::~Chain() {
    if (heldKind_ != nullptr && !heldIsLast_ && !table_.slots_[slot_].empty())
        table_.records_[slot_].Add(
            heldKind_, heldDetail_,
            Finding(QUELLIN_OUTCOME_KEPT, "answered, kept: no later source did"));
}

Verdict Chain::Try(const Step& step) {
    if (Ended())
        return end_;
    Outcome outcome = step();
    if (outcome.kind == nullptr)
        return Verdict::Failed; // not tried: no line, the chain goes on
    if (outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Held) {
        Prove(outcome);
        if (outcome.create && !outcome.folder.empty())
            Create(outcome);
    }
    table_.records_[slot_].Add(Entry(outcome));
    heldIsLast_ = outcome.verdict == Verdict::Held;
    if (outcome.verdict == Verdict::Held) {
        heldKind_ = outcome.kind;
        heldDetail_ = outcome.detail;
    } else if (outcome.verdict == Verdict::Answered) {
        heldKind_ = nullptr;
    }
    switch (outcome.verdict) {
    case Verdict::Answered:
    case Verdict::Held:
        table_.slots_[slot_] = outcome.folder;
        table_.wide_[slot_] = outcome.wideFolder;
        break;
    case Verdict::Failed:
    case Verdict::Stopped:
        break;
    }
    if (outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Stopped)
        end_ = outcome.verdict;
    return outcome.verdict;
}

// The record entry of a step's outcome.
RecordEntry Chain::Entry(const Outcome& outcome) {
    RecordEntry entry;
    entry.kind = RecordKind(outcome.kind);
    entry.detail = outcome.detail;
    const bool answered = outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Held;
    entry.outcome = answered ? AnswerCode(outcome) : CodeOr(outcome.code, QUELLIN_OUTCOME_FAILED);
    entry.qualities = answered ? outcome.qualities : 0;
    entry.error = outcome.error;
    entry.result = outcome.result;
    entry.valueType = outcome.valueType;
    entry.offendingCharacter = outcome.offendingCharacter;
    entry.offendingPosition = outcome.offendingPosition;
    entry.baseSlot = outcome.baseSlot;
    entry.folder = answered ? outcome.folder : outcome.checked;
    entry.stored = outcome.stored;
    entry.expanded = outcome.expanded;
    entry.text = outcome.text;
    return entry;
}

void Chain::Prove(Outcome& outcome) {
    // Only a folder an installer can use is taken, built on or tested; any other answer fails
    // as the source would have.
    std::string proven;
    if (!NameInAnsi(outcome, proven))
        return;
    size_t at = 0;
    PathFault fault = PathFaultOf(outcome.folder, at);
    // A '?' in the exact ANSI form of a wide answer was in the answer itself: no character the
    // code page lacks, but one no path may hold.
    if (fault == PathFault::Unwritable && !outcome.wideFolder.empty())
        fault = PathFault::Invalid;
    if (fault != PathFault::Usable) {
        outcome.checked = outcome.folder;
        if (at != std::string::npos) {
            outcome.offendingCharacter = static_cast<BYTE>(outcome.folder[at]);
            outcome.offendingPosition = static_cast<DWORD>(at);
        }
        Refuse(outcome, Finding(FaultCode(fault), FaultText(fault) + (": " + outcome.folder)));
        return;
    }
    if (outcome.mustHold != nullptr) {
        if (!FileExists(PathJoin(outcome.folder, outcome.mustHold))) {
            outcome.checked = outcome.folder;
            Refuse(outcome, Finding(QUELLIN_OUTCOME_FILE_MISSING,
                                    std::string("no ") + outcome.mustHold + ": " + outcome.folder));
            return;
        }
        proven += std::string(", holds ") + outcome.mustHold;
        outcome.qualities |= QUELLIN_ANSWER_HOLDS_FILE;
    }
    if (outcome.writeTest) {
        WriteTestResult result;
        if (!table_.context_.CanWrite(outcome.folder, result)) {
            outcome.checked = outcome.folder;
            Refuse(outcome, Finding(QUELLIN_OUTCOME_WRITE_TEST_FAILED,
                                    WriteTestFailed(outcome.folder, result), result.error));
            return;
        }
        proven += ", write test passed";
        outcome.qualities |= QUELLIN_ANSWER_WRITE_TESTED;
    }
    outcome.text += proven;
}

// The folder is made, with the levels above it that are missing; the record says whether this
// attach made it.
void Chain::Create(Outcome& outcome) {
    bool created = false;
    if (CreateDirectoryTree(outcome.folder, created)) {
        outcome.text += created ? ", created" : ", already there";
        outcome.qualities |= created ? QUELLIN_ANSWER_CREATED : QUELLIN_ANSWER_ALREADY_THERE;
    } else {
        outcome.error = GetLastError();
        outcome.text += ", not created: " + ErrorText(outcome.error);
        outcome.qualities |= QUELLIN_ANSWER_NOT_CREATED;
    }
}

// Windows 95, 98 and Me keep names in the ANSI code page: the ANSI answer is the name. On the NT
// family an ANSI call is its wide twin and a conversion with best fit, which writes a character
// the code page lacks as a look-alike (an L with stroke as 'L') or '?': the wide answer is the
// folder's name, and the slot takes its exact ANSI form, else its short name, else nothing.
bool Chain::NameInAnsi(Outcome& outcome, std::string& proven) {
    const std::wstring& wide = outcome.wideFolder;
    if (wide.empty())
        return true; // an ANSI answer, or none
    std::string exact;
    switch (AnsiFromWide(wide, exact)) {
    case AnsiForm::Exact:
        // An answer that fitted the wide call's 260 characters but not the ANSI call's 260
        // bytes (code page 65001 takes up to three bytes a character).
        if (wide.size() < MAX_PATH && exact.size() >= MAX_PATH) {
            outcome.checked = exact;
            Refuse(outcome, Finding(QUELLIN_OUTCOME_TOO_LONG,
                                    "too long for 260 bytes in the ANSI code page: " + exact));
            return false;
        }
        outcome.folder = exact;
        return true;
    case AnsiForm::Failed: {
        const DWORD error = GetLastError();
        Refuse(outcome,
               Finding(QUELLIN_OUTCOME_NOT_CONVERTED,
                       "not converted to the ANSI code page, " + FailedError(error).text, error));
        return false;
    }
    case AnsiForm::Inexact:
        break;
    }
    const std::string lookAlike = AnsiBestFit(wide);
    // '?' marks a character without a look-alike: the usable-folder rule names that case.
    const std::string written =
        lookAlike.find('?') == std::string::npos
            ? "the ANSI code page writes the name only as \"" + lookAlike + "\""
            : std::string(FaultText(PathFault::Unwritable)) + ": " + lookAlike;
    std::string shortName;
    if (!PathShortAnsi(wide, shortName)) {
        outcome.checked = lookAlike;
        const size_t at = lookAlike.find('?');
        if (at != std::string::npos) {
            outcome.offendingCharacter = '?';
            outcome.offendingPosition = static_cast<DWORD>(at);
        }
        Refuse(outcome, Finding(at == std::string::npos ? QUELLIN_OUTCOME_ANSI_LOOK_ALIKE
                                                        : QUELLIN_OUTCOME_ANSI_UNWRITABLE,
                                written + ", and it has no short name"));
        return false;
    }
    outcome.folder = shortName;
    outcome.qualities |= QUELLIN_ANSWER_SHORT_NAME;
    proven = lookAlike.find('?') == std::string::npos ? ", by its short name (" + written + ")"
                                                      : ", by its short name";
    return true;
}
