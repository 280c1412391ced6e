// Inputs found by the fuzz targets of tests/fuzz that the product gets wrong, kept as
// reproducers. Disabled until the product is mended; enable each with its fix.
#include "machine_fixture.h"

#include "paths/Path.h"

namespace {

class FuzzRegressions : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        M().codePage.acp = 932;
    }
};

// A path whose last byte is a lead byte with no trail byte after it (a double-byte text cut
// short). PathParent and PathLeaf cut at the last backslash by reversing the path, and the
// reversed text starts with that lead byte, which pairs with the byte after it: the leaf comes
// back with its bytes reordered, and the parent skips a level.
TEST_F(FuzzRegressions, PathCutsOfAPathEndingInALoneLeadByte) {
    EXPECT_EQ(PathLeaf("ab\x82"), "ab\x82");        // gives "a\x82" "b"
    EXPECT_EQ(PathLeaf("C:\\dir\\x\x82"), "x\x82"); // gives "\x82" "x"
    EXPECT_EQ(PathParent("a\\b\\\x82"), "a\\b");    // gives "a"
    EXPECT_EQ(PathLeaf("a\\b\\\x82"), "\x82");      // gives "b" "\x82" "\\"
}

} // namespace
