// The simulated local memory and the kernel's string compare and length answer as Windows does
// (values checked against Wine); a string read past its block is counted.
#include "machine_fixture.h"

#include <windows.h>

#include <cstring>

namespace {

class MemorySim : public MachineTest {};

TEST_F(MemorySim, StringCallsAndBlocks) {
    EXPECT_EQ(lstrcmpA(nullptr, ""), -1);
    EXPECT_EQ(lstrcmpA("a", "A"), -1);
    EXPECT_EQ(lstrcmpA("A", "b"), -1);
    EXPECT_EQ(lstrcmpA("Terminal Server", "Terminal Server"), 0);

    char* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, 3));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abc", 3); // no terminating zero inside the block
    EXPECT_EQ(lstrlenA(block), 3);
    EXPECT_EQ(M().memory.readsPastBlock, 1);
    EXPECT_EQ(LocalFree(block), nullptr);
    ExpectNothingOpen();
}

} // namespace
