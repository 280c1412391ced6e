// Attach census: for each complete machine (and a few further ones that exercise Terminal
// Server and network shares), the platform calls that one attach of the library makes, by
// kind, the write tests per folder, and the median time of an attach and detach.
//
//   census [attaches-per-machine]     (default 200; 0 skips the timing)
#include "call_census.h"
#include "complete_machines.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Machine {
    std::string name;
    std::function<void()> build;
};

// The complete machines, then variants of them: the maker's folder under program files on
// Terminal Server, program files on a share the network accepts, and on a server that does
// not answer.
std::vector<Machine> Machines() {
    std::vector<Machine> all;
    for (const machines::Machine& machine : machines::All())
        all.push_back({machine.name, [machine] { machines::Build(machine); }});
    auto variant = [](machines::Windows windows, const char* base,
                      std::function<void(winsim::Machine&)> change) {
        return [windows, base, change] {
            machines::Build({windows, false, base});
            change(winsim::machine());
            winsim::machine().calls.Reset();
        };
    };
    const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    all.push_back({"XPWithoutShfolder + Terminal Server",
                   variant(machines::Windows::XP, "XPWithoutShfolder",
                           [](winsim::Machine& m) { m.version.terminalServer = true; })});
    all.push_back({"NT4WithoutShfolder + Terminal Server",
                   variant(machines::Windows::NT4, "NT4WithoutShfolder", [](winsim::Machine& m) {
                       m.registry.SetMultiString(
                           HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ProductOptions",
                           "ProductSuite", {"Terminal Server"});
                   })});
    all.push_back(
        {"XPWithoutShfolder + program files on \\\\srv\\apps",
         variant(machines::Windows::XP, "XPWithoutShfolder", [kCurrentVersion](winsim::Machine& m) {
             m.files.AddDirectory("\\\\srv\\apps\\Program Files");
             m.network.Answer("\\\\srv\\apps", winsim::ShareAnswer::Accept);
             m.registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                                  "\\\\srv\\apps\\Program Files");
         })});
    all.push_back(
        {"XPWithoutShfolder + program files on silent \\\\old\\apps",
         variant(machines::Windows::XP, "XPWithoutShfolder", [kCurrentVersion](winsim::Machine& m) {
             m.registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                                  "\\\\old\\apps\\Program Files");
         })});
    return all;
}

void Attach(const char* library) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", library, dlerror());
        std::exit(1);
    }
    dlclose(handle);
}

// Median wall time of one attach and detach, in microseconds; the machine is set up afresh
// before each, outside the time taken.
double MedianAttachMicroseconds(const Machine& machine, const char* library, int attaches) {
    std::vector<double> times;
    for (int i = 0; i < attaches; ++i) {
        machine.build();
        auto start = std::chrono::steady_clock::now();
        Attach(library);
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

void PrintCensus(const std::string& name, const census::Census& c) {
    std::printf("%s\n", name.c_str());
    std::printf("  platform calls %zu (and %zu conversions): registry opens %zu, reads %zu; files "
                "opened %zu, created "
                "%zu, deleted %zu; directories created %zu, removed %zu, refused %zu; attribute "
                "queries %zu; network trials %zu; module loads %zu\n",
                c.calls, c.conversions, c.registryOpens, c.registryReads, c.fileOpens,
                c.filesCreated, c.filesDeleted, c.directoriesCreated, c.directoriesRemoved,
                c.directoriesRefused, c.attributeQueries, c.networkTrials, c.moduleLoads);
    for (const auto& share : c.trialsPerShare)
        std::printf("  network trials of %s: %zu\n", share.first.c_str(), share.second);
    std::printf("  write tests %zu, of %zu folders, %zu repeated with nothing changed on disk\n",
                c.writeTests.size(), c.ByFolder().size(), c.Repeats());
    for (const auto& folder : c.ByFolder()) {
        const census::WriteTest& first = *folder.second.front();
        std::printf("    %zu x %s%s\n", folder.second.size(), first.folder.c_str(),
                    first.passed ? "" : " (refused)");
    }
}

} // namespace

int main(int argc, char** argv) {
    const int attaches = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::vector<Machine> all = Machines();

    std::vector<census::Census> censuses;
    for (const Machine& machine : all) {
        machine.build();
        Attach(QUELLIN_LIBRARY);
        censuses.push_back(census::Take(winsim::machine()));
        PrintCensus(machine.name, censuses.back());
    }

    std::printf("\n%-54s %5s %4s %4s %4s %6s %6s %5s %4s %5s %5s %7s\n", "machine", "calls", "conv",
                "reg", "read", "files", "dirs", "attr", "net", "tests", "reps", "median");
    std::printf("%-54s %5s %4s %4s %4s %6s %6s %5s %4s %5s %5s %7s\n", "", "", "", "open", "",
                "+/-", "+/-", "", "", "", "", "us");
    for (size_t i = 0; i < all.size(); ++i) {
        const census::Census& c = censuses[i];
        double median =
            attaches > 0 ? MedianAttachMicroseconds(all[i], QUELLIN_LIBRARY, attaches) : 0.0;
        std::printf("%-54s %5zu %4zu %4zu %4zu %3zu/%-2zu %3zu/%-2zu %5zu %4zu %5zu %5zu %7.0f\n",
                    all[i].name.c_str(), c.calls, c.conversions, c.registryOpens, c.registryReads,
                    c.filesCreated, c.filesDeleted, c.directoriesCreated, c.directoriesRemoved,
                    c.attributeQueries, c.networkTrials, c.writeTests.size(), c.Repeats(), median);
    }
    if (attaches > 0) {
        double null = MedianAttachMicroseconds(all.front(), NULL_LIBRARY, attaches);
        double quellin = MedianAttachMicroseconds(all.front(), QUELLIN_LIBRARY, attaches);
        std::printf("\nmedian attach over %d: Quellin %.0f us, a library that does nothing %.0f "
                    "us, ratio %.1f (%s)\n",
                    attaches, quellin, null, quellin / null, all.front().name.c_str());
    }
    return 0;
}
