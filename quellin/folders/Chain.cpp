// A slot's chain of sources: the steps run in order, each answer checked, recorded and put in
// the slot.
#include "folders/Chain.h"

#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/Root.h"

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

Verdict Chain::Try(const Step& step) {
    if (Ended())
        return end_;
    Outcome outcome = step();
    if (outcome.kind == nullptr)
        return Verdict::Failed; // not tried: no line, the chain goes on
    if (outcome.verdict == Verdict::Answered || outcome.verdict == Verdict::Held)
        Prove(outcome);
    table_.records_[slot_].Add(outcome.kind, outcome.detail, outcome.text);
    switch (outcome.verdict) {
    case Verdict::Answered:
    case Verdict::Held:
        table_.slots_[slot_] = outcome.folder;
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
    std::string proven;
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
