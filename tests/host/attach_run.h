// Whole attaches run in child processes, as the fault-injection sweep and the whole-attach
// property test make them: a machine set up, the library attached, every slot read through
// the ANSI and the wide accessor with its record, the library detached, and what the attach
// left behind (on disk, open, in the heap). The rules they check lie in attach_rules.h.
#pragma once

#include "attach_rules.h"
#include "machine_fixture.h"

#include "Quellin.h"

#include <winsim/machine.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define QUELLIN_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUELLIN_LEAK_CHECK 1
#endif
#endif
#ifdef QUELLIN_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace attach {

using Check = std::function<std::vector<std::string>(size_t)>;
using RunProblems = std::vector<std::vector<std::string>>;

namespace detail {

// Heap memory that nothing points to any more, as LeakSanitizer sees it now (its report is on
// the error output). Always false without the sanitizer.
inline bool HeapLeaked() {
#ifdef QUELLIN_LEAK_CHECK
    return __lsan_do_recoverable_leak_check() != 0;
#else
    return false;
#endif
}

// Runs [begin, end) in children of at most `batch` runs each (0: as many as the child lives
// for). With `leakCheck` a child checks the heap after its last run; memory leaked in a batch
// of several runs sends each of them again through a child of its own, to find the one that
// leaked.
inline void RunInChildren(size_t begin, size_t end, const Check& check, bool leakCheck,
                          size_t batch, RunProblems& problems) {
    for (size_t next = begin; next < end;) {
        const size_t last = batch == 0 || end - next < batch ? end : next + batch;
        int fds[2];
        if (pipe(fds) != 0) {
            problems[next].push_back("cannot make a pipe");
            return;
        }
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            FILE* out = fdopen(fds[1], "w");
            for (size_t run = next; run < last; ++run) {
                for (const std::string& line : check(run))
                    std::fprintf(out, "P %zu %s\n", run, line.c_str());
                std::fprintf(out, "D %zu\n", run);
                std::fflush(out);
            }
            if (leakCheck && HeapLeaked())
                std::fprintf(out, "L %zu\n", last);
            std::fclose(out);
            _exit(0);
        }
        close(fds[1]);
        if (child < 0) {
            close(fds[0]);
            problems[next].push_back("cannot fork");
            return;
        }
        FILE* in = fdopen(fds[0], "r");
        size_t done = next; // runs before this one have ended
        bool leaked = false;
        char kind = 0;
        size_t run = 0;
        while (std::fscanf(in, "%c %zu", &kind, &run) == 2) {
            std::string text;
            for (int c; (c = std::fgetc(in)) != EOF && c != '\n';)
                text += static_cast<char>(c);
            if (kind == 'P' && run < end)
                problems[run].push_back(text.empty() ? text : text.substr(1));
            else if (kind == 'D')
                done = run + 1;
            else if (kind == 'L')
                leaked = true;
        }
        std::fclose(in);
        int status = 0;
        waitpid(child, &status, 0);
        if (leaked && last - next == 1) {
            problems[next].push_back("heap memory leaked (LeakSanitizer's report above)");
        } else if (leaked) {
            for (size_t again = next; again < last; ++again)
                problems[again].clear();
            RunInChildren(next, last, check, true, 1, problems);
            const std::string kLeak = "heap memory leaked";
            bool charged = false;
            for (size_t again = next; again < last; ++again)
                for (const std::string& line : problems[again])
                    charged = charged || line.compare(0, kLeak.size(), kLeak) == 0;
            if (!charged)
                problems[next].push_back(kLeak + " by the runs up to " + std::to_string(last - 1) +
                                         " together, by none alone");
        }
        if (done < last) {
            problems[done].push_back(
                WIFSIGNALED(status)
                    ? "the process died of signal " + std::to_string(WTERMSIG(status))
                    : "the process ended with status " + std::to_string(WEXITSTATUS(status)) +
                          " (a sanitizer report?)");
            ++done;
        }
        next = done;
    }
}

} // namespace detail

// Runs check(0), check(1), ... check(count - 1) in child processes and returns each run's
// problem lines. A child goes through the runs in order, reporting each as it ends; when it
// dies (a crash, a sanitizer report), the run it was in is charged with that, and a new
// child goes on with the next run. With `leakCheck`, children take the runs in batches and
// check the heap after each: memory that nothing points to any more is charged to the run
// that leaked it. What a sanitizer printed is on the test's error output.
inline RunProblems InChildProcesses(size_t count, const Check& check, bool leakCheck = false) {
    const size_t kLeakBatch = 50;
    RunProblems problems(count);
    detail::RunInChildren(0, count, check, leakCheck, leakCheck ? kLeakBatch : 0, problems);
    return problems;
}

// Sets the machine up (`setUp` builds it and arms any fault), attaches, reads every slot (with
// `wide`, through the wide accessor too, and its record), detaches. The wide accessor converts,
// and so adds calls to those the attach made.
inline AttachRun Attach(const std::function<void()>& setUp, bool wide = false) {
    setUp();
    winsim::Machine& m = winsim::machine();
    std::vector<std::string> before = m.files.Snapshot();
    AttachRun run;
    {
        AttachedLibrary lib;
        for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
            run.slots[slot] = lib.Folder(slot);
            if (wide) {
                run.wideSlots[slot] = lib.FolderW(slot);
                run.records[slot] = lib.Source(slot);
            }
        }
    }
    run.calls = m.calls.calls;
    run.open = m.OpenResources();
    run.readsPastBlock = m.memory.readsPastBlock;
    DiskChanges(before, m.files.Snapshot(), run);
    return run;
}

} // namespace attach
