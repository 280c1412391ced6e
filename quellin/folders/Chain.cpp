// A slot's chain of sources: the steps run in order, each answer checked, recorded and put in
// the slot.
#include "folders/Chain.h"

#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/Root.h"
#include "paths/ShortPath.h"

#include <utility>

namespace {

Outcome Make(Verdict verdict, const char* kind, std::string detail, std::string folder,
             std::string text) {
    Outcome outcome;
    outcome.verdict = verdict;
    outcome.kind = kind;
    outcome.detail = std::move(detail);
    outcome.folder = std::move(folder);
    outcome.text = std::move(text);
    return outcome;
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

// What a write test that refused the folder says of it.
std::string WriteTestFailed(const std::string& folder) {
    std::string text = "write test failed: " + folder;
    if (ShareRootRefused(folder))
        text += " (the network refused the share)";
    return text;
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

Outcome Answer(const char* kind, std::string detail, std::string folder, std::string text) {
    return Make(Verdict::Answered, kind, std::move(detail), std::move(folder), std::move(text));
}

Outcome Failure(const char* kind, std::string detail, std::string text) {
    return Make(Verdict::Failed, kind, std::move(detail), std::string(), std::move(text));
}

Outcome Stop(const char* kind, std::string detail, std::string text) {
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
        table_.records_[slot_].Add(heldKind_, heldDetail_, "answered, kept: no later source did");
}

Verdict Chain::Try(const Step& step) {
    if (Ended())
        return end_;
    Outcome outcome = step();
    if (outcome.kind == nullptr)
        return Verdict::Failed; // not tried: no line, the chain goes on
    if (outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Held)
        Prove(outcome);
    table_.records_[slot_].Add(outcome.kind, outcome.detail, outcome.text);
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
        if (outcome.create && !outcome.folder.empty())
            CreateDirectoryTree(outcome.folder);
        break;
    case Verdict::Failed:
    case Verdict::Stopped:
        break;
    }
    if (outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Stopped)
        end_ = outcome.verdict;
    return outcome.verdict;
}

void Chain::Prove(Outcome& outcome) {
    // Only a folder an installer can use is taken, built on or tested; any other answer fails
    // as the source would have.
    std::string proven;
    PathFault fault = PathFaultOf(outcome.folder);
    if (fault == PathFault::Unwritable && Rescue(outcome)) {
        fault = PathFaultOf(outcome.folder);
        proven = ", by its short name";
    }
    if (fault != PathFault::Usable) {
        outcome = Failure(outcome.kind, outcome.detail, FaultText(fault) + (": " + outcome.folder));
        return;
    }
    if (outcome.mustHold != nullptr) {
        if (!FileExists(PathJoin(outcome.folder, outcome.mustHold))) {
            outcome = Failure(outcome.kind, outcome.detail,
                              std::string("no ") + outcome.mustHold + ": " + outcome.folder);
            return;
        }
        proven += std::string(", holds ") + outcome.mustHold;
    }
    if (outcome.writeTest) {
        if (!table_.context_.CanWrite(outcome.folder)) {
            outcome = Failure(outcome.kind, outcome.detail, WriteTestFailed(outcome.folder));
            return;
        }
        proven += ", write test passed";
    }
    outcome.text += proven;
}

// Windows 95, 98 and Me keep names in the ANSI code page: there is nothing to rescue there.
bool Chain::Rescue(Outcome& outcome) {
    std::wstring wide;
    std::string shortName;
    if (!table_.context_.NT() || !outcome.wide || !outcome.wide(wide) ||
        !PathShortAnsi(wide, shortName))
        return false;
    outcome.folder = shortName;
    outcome.wideFolder = wide;
    return true;
}
