// The whole-attach property test: simulated machines made at random (random_machines.h), each
// attached in a child process, keep the rules of the folder table whatever they hold:
// - no crash and no sanitizer report; after detach nothing left open and no heap memory
//   leaked;
// - nothing left on disk but the documents and My Pictures folders, nothing gone from it;
// - every slot empty or a usable path (PathFaultOf), without a doubled backslash after its
//   root;
// - every record's lines hold three fields, and its last one names the source that answered
//   (an outcome beginning with "answered"), or is "none" for an empty slot;
// - the wide accessor gives the slot's text converted, or the long name of a folder that the
//   slot names by its short name (with the levels below it that did not exist, as they are).
//
// The test command runs the machines of seeds 1 to kMachines. A failing machine is printed
// with its seed, what broke and what the machine was; the environment variables of the test
// program rerun it or run more:
//   QUELLIN_PROPERTY_SEED=N      that one machine alone, in this process (a sanitizer's report
//                                then comes with its stack), its table and records printed;
//   QUELLIN_PROPERTY_MACHINES=N  N machines (a longer run), from seed
//   QUELLIN_PROPERTY_FIRST=S     S on (1 when not given).
// For example: QUELLIN_PROPERTY_SEED=1234 build/host/tests/quellin_property
#include "attach_run.h"
#include "random_machines.h"

#include "Quellin.h"

#include <winsim/machine.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const uint64_t kMachines = 500;

using machines::detail::Printable;

attach::AttachRun AttachSeed(uint64_t seed) {
    return attach::Attach(
        [seed] {
            machines::SeededChoices choices(seed);
            machines::BuildRandom(choices);
        },
        true);
}

std::vector<std::string> MachineOf(uint64_t seed) {
    machines::SeededChoices choices(seed);
    return machines::BuildRandom(choices);
}

uint64_t EnvironmentNumber(const char* name, uint64_t otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : otherwise;
}

// The test program's own file name.
std::string ThisProgram() {
    char path[4096] = {0};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "quellin_property";
}

std::string Described(uint64_t seed, const std::vector<std::string>& problems) {
    std::ostringstream out;
    out << "\nseed " << seed << ":";
    for (const std::string& p : problems)
        out << "\n  " << p;
    out << "\n  the machine:";
    for (const std::string& note : MachineOf(seed))
        out << "\n    " << note;
    out << "\n  rerun: QUELLIN_PROPERTY_SEED=" << seed << " " << ThisProgram();
    return out.str();
}

// One machine in this process, with its table and records.
// The machine is told before the attach, so that it shows above a sanitizer's report.
void RunOneSeed(uint64_t seed) {
    std::cout << "seed " << seed << ":" << std::endl;
    for (const std::string& note : MachineOf(seed))
        std::cout << "  " << note << std::endl;
    const attach::AttachRun run = AttachSeed(seed);
    for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        std::cout << slot << " " << attach::kSlotNames[slot] << " " << Printable(run.slots[slot])
                  << "\n";
        for (std::string line : records::Lines(run.records[slot])) {
            std::replace(line.begin(), line.end(), '\t', '|');
            std::cout << "    " << Printable(line) << "\n";
        }
    }
    const std::vector<std::string> problems = attach::TableProblems(run);
    EXPECT_TRUE(problems.empty()) << Described(seed, problems);
}

TEST(RandomMachines, KeepTheRulesOfTheTable) {
    if (std::getenv("QUELLIN_PROPERTY_SEED") != nullptr) {
        RunOneSeed(EnvironmentNumber("QUELLIN_PROPERTY_SEED", 0));
        return;
    }
    const uint64_t first = EnvironmentNumber("QUELLIN_PROPERTY_FIRST", 1);
    const uint64_t count = EnvironmentNumber("QUELLIN_PROPERTY_MACHINES", kMachines);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::vector<std::string>> found = attach::InChildProcesses(
        count, [first](size_t run) { return attach::TableProblems(AttachSeed(first + run)); },
        true);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << count << " machines, seeds " << first << " to " << first + count - 1 << ", in "
              << seconds << " s: " << static_cast<double>(count) / seconds << " a second"
              << std::endl;

    const size_t kShown = 5;
    std::vector<uint64_t> failing;
    std::string shown;
    for (size_t run = 0; run < found.size(); ++run) {
        if (found[run].empty())
            continue;
        failing.push_back(first + run);
        if (failing.size() <= kShown)
            shown += Described(first + run, found[run]);
    }
    std::ostringstream seeds;
    for (uint64_t seed : failing)
        seeds << " " << seed;
    EXPECT_TRUE(failing.empty()) << failing.size() << " of " << count
                                 << " machines broke a rule; seeds:" << seeds.str() << shown;
}

} // namespace
