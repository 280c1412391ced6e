// Fault-injection sweep over the whole attach. On each complete machine the attach runs once
// to record every platform call it makes; then, for each recorded call in turn (and each
// error Windows gives for it), the attach runs again with that one call failing. Every run
// must end without a crash or sanitizer report, fill every slot with a value one of its
// sources could give on that machine or leave it empty, leave the disk as it was apart from
// the documents and My Pictures folders made on purpose, and leave nothing open at detach.
// A refused release (a key that does not close, a probe file that cannot be deleted) may
// leave exactly that resource behind, and nothing else.
#include "allowed_slots.h"
#include "attach_run.h"
#include "complete_machines.h"
#include "fault_plan.h"
#include "machine_fixture.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>

namespace machines {
void PrintTo(const Machine& machine, std::ostream* out) {
    *out << machine.name;
}
} // namespace machines

namespace {

using attach::AttachRun;
using attach::InChildProcesses;
using attach::IsAtOrAbove;
using attach::Upper;

struct Fault {
    size_t index;
    std::string api, detail;
    DWORD error;
};

// Builds the machine afresh, attaches (with the fault, if any), reads every slot, detaches.
AttachRun Attach(const machines::Machine& machine, const Fault* fault) {
    return attach::Attach([&] {
        machines::Build(machine);
        if (fault != nullptr)
            winsim::machine().calls.FailCallAt(fault->index, fault->error);
    });
}

// What may remain after a refused release: the one resource it would have given back.
void DropRefusedRelease(const Fault& fault, AttachRun& run) {
    auto dropOpen = [&run](const std::string& prefix) -> std::string {
        for (auto it = run.open.begin(); it != run.open.end(); ++it)
            if (it->compare(0, prefix.size(), prefix) == 0) {
                std::string entry = *it;
                run.open.erase(it);
                return entry;
            }
        return std::string();
    };
    auto dropAdded = [&run](const std::string& kind, const std::string& path) {
        run.added.erase(std::remove_if(run.added.begin(), run.added.end(),
                                       [&](const std::string& e) {
                                           return kind == "dir"
                                                      ? IsAtOrAbove(e, "dir", path)
                                                      : Upper(e) == Upper(kind + " " + path);
                                       }),
                        run.added.end());
    };
    if (fault.api == "RegCloseKey") {
        dropOpen("registry key ");
    } else if (fault.api == "FreeLibrary") {
        dropOpen("modules loaded: 1");
    } else if (fault.api == "WNetCancelConnectionA") {
        dropOpen("drive mapping ");
    } else if (fault.api == "CloseHandle") {
        // The probe file stays open, so it cannot be deleted either.
        std::string handle = dropOpen("file handle ");
        if (!handle.empty())
            dropAdded("file", handle.substr(std::string("file handle ").size()));
    } else if (fault.api == "DeleteFileA") {
        dropAdded("file", fault.detail);
    } else if (fault.api == "RemoveDirectoryA") {
        // Levels above the one kept are not empty and stay too.
        dropAdded("dir", fault.detail);
    }
}

// Everything wrong with one run, one line each.
std::vector<std::string> Problems(const sweep::SlotValues& allowed, const Fault* fault,
                                  AttachRun run) {
    std::vector<std::string> problems;
    if (fault != nullptr) {
        if (run.calls.size() <= fault->index || run.calls[fault->index].api != fault->api ||
            !run.calls[fault->index].failed) {
            problems.push_back("the attach did not repeat itself up to the faulted call");
        } else if (sweep::IsRelease(fault->api)) {
            // The call as this run made it: probe names differ from run to run.
            Fault refused = *fault;
            refused.detail = run.calls[fault->index].detail;
            DropRefusedRelease(refused, run);
        }
    }
    for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        const std::string& value = run.slots[slot];
        if (!value.empty() && allowed[slot].count(value) == 0)
            problems.push_back("slot " + std::to_string(slot) + " holds '" + value +
                               "', which none of its sources gives");
    }
    for (const std::string& p : attach::LeftBehind(run))
        problems.push_back(p);
    return problems;
}

std::string HexText(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string Describe(const machines::Machine& machine, const Fault& f) {
    std::ostringstream out;
    out << machine.name << ", call " << f.index << " " << f.api << "(" << f.detail
        << ") failing with "
        << (f.error == sweep::kNaturalError ? std::string("its natural error")
            : f.error >= 0x80000000u        ? HexText(f.error)
                                            : std::to_string(static_cast<unsigned long>(f.error)));
    return out.str();
}

class FaultSweep : public MachineTest, public ::testing::WithParamInterface<machines::Machine> {};

TEST_P(FaultSweep, EveryCallFailingInTurn) {
    const machines::Machine& machine = GetParam();
    const sweep::SlotValues allowed = [&] {
        machines::Build(machine);
        return sweep::AllowedSlotValues();
    }();
    const AttachRun recorded = Attach(machine, nullptr);
    for (const std::string& p : Problems(allowed, nullptr, recorded))
        ADD_FAILURE() << machine.name << ", the unfaulted attach: " << p;
    ASSERT_FALSE(recorded.calls.empty());

    std::vector<Fault> plan;
    std::map<std::string, int> skipped;
    for (size_t i = 0; i < recorded.calls.size(); ++i) {
        const winsim::Call& call = recorded.calls[i];
        if (sweep::CannotFail(call.api))
            ++skipped[call.api];
        else
            for (DWORD error : sweep::ErrorsFor(call.api))
                plan.push_back({i, call.api, call.detail, error});
    }
    // The faulted attaches run in child processes: a crash ends one run, not the sweep.
    const std::vector<std::vector<std::string>> found =
        InChildProcesses(plan.size(), [&](size_t run) {
            return Problems(allowed, &plan[run], Attach(machine, &plan[run]));
        });
    std::vector<std::string> problems;
    for (size_t run = 0; run < plan.size(); ++run)
        for (const std::string& p : found[run])
            problems.push_back(Describe(machine, plan[run]) + ": " + p);
    const size_t runs = plan.size();

    std::cout << machine.name << ": " << recorded.calls.size() << " calls recorded, " << runs
              << " faulted attaches; calls that cannot fail, not faulted:";
    for (const auto& s : skipped)
        std::cout << " " << s.first << " x" << s.second;
    std::cout << std::endl;

    const size_t kShown = 40;
    std::ostringstream shown;
    for (size_t i = 0; i < problems.size() && i < kShown; ++i)
        shown << "\n  " << problems[i];
    if (problems.size() > kShown)
        shown << "\n  ... and " << problems.size() - kShown << " more";
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems:" << shown.str();
}

INSTANTIATE_TEST_SUITE_P(CompleteMachines, FaultSweep, ::testing::ValuesIn(machines::All()),
                         [](const ::testing::TestParamInfo<machines::Machine>& info) {
                             return info.param.name;
                         });

} // namespace
