// Test ground of the path utilities: a fresh machine, and the proof that an operation left
// the machine as it found it.
#pragma once

#include "machine_fixture.h"

#include <string>
#include <vector>

class PathsTest : public MachineTest {
  protected:
    // Remembers the file system once the test's set-up is done.
    void Baseline() { baseline_ = M().files.Snapshot(); }
    // No file or directory left behind or taken away since Baseline(), and nothing open: no
    // key, no file handle, no drive mapping.
    void ExpectLeftAsFound() {
        EXPECT_EQ(M().files.Snapshot(), baseline_);
        ExpectNothingOpen();
    }
    // Shares that answer the trial connection; the network and the file system both know
    // them.
    void AddShare(const std::string& root,
                  winsim::ShareAnswer answer = winsim::ShareAnswer::Accept) {
        M().network.Answer(root, answer);
        M().files.AddDirectory(root);
    }
    // Every letter from F to Z is a present drive.
    void TakeLettersFtoZ() {
        for (char c = 'F'; c <= 'Z'; ++c)
            M().files.AddDrive(c);
    }

  private:
    std::vector<std::string> baseline_;
};
