// Path text: cutting at the last backslash, joining and normalising.
#include "paths_fixture.h"

#include "paths/Path.h"

namespace {

class PathText : public PathsTest {};

TEST_F(PathText, ParentAndLeaf) {
    struct Case {
        const char* path;
        const char* parent;
        const char* leaf;
    } cases[] = {
        {"C:\\A\\B", "C:\\A", "B"},
        {"C:\\A\\", "C:\\A", ""},
        {"C:\\", "C:", ""},
        {"C:", "", "C:"},
        {"\\\\srv\\share", "\\\\srv", "share"},
        {"Name", "", "Name"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathParent(c.path), c.parent) << c.path;
        EXPECT_EQ(PathLeaf(c.path), c.leaf) << c.path;
    }
}

TEST_F(PathText, Join) {
    struct Case {
        const char* directory;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:\\Program Files\\", "Common Files", "C:\\Program Files\\Common Files"},
        {"C:\\Dir", "\\Sub\\", "C:\\Dir\\Sub"},
        {"C:", "Data", "C:\\Data"},
        {"C:\\", "", "C:\\"},
        {"C:", "", "C:\\"},
        {"\\\\srv\\share", "x", "\\\\srv\\share\\x"},
        {"", " x ", "x"},
        {"", "", ""},
        {"  ", "x", "\\x"},
        {"", "x", "x"},
        // Three backslashes in the joined text leave two: one pass folds each pair once.
        {"C:\\", "\\Program Files", "C:\\\\Program Files"},
        {" C:\\Windows ", " System ", "C:\\Windows\\System"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathJoin(c.directory, c.name), c.joined)
            << "'" << c.directory << "' + '" << c.name << "'";
}

// One backslash at the seam however many the folder ends with and the name begins with; no
// folder, nothing below it (never a name relative to the current directory).
TEST_F(PathText, JoinBelow) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:\\Program Files\\", "\\Borland\\Common Files\\Bde\\",
         "C:\\Program Files\\Borland\\Common Files\\Bde"},
        {"D:\\", "\\Borland", "D:\\Borland"},
        {"C:\\Dir\\\\\\", "\\\\\\Sub", "C:\\Dir\\Sub"},
        {" C:\\Dir ", " Sub ", "C:\\Dir\\Sub"},
        {"\\\\srv\\share\\", "\\x", "\\\\srv\\share\\x"},
        {"", "Startup", ""},
        {"  ", "Startup", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathJoinBelow(c.folder, c.name), c.joined)
            << "'" << c.folder << "' + '" << c.name << "'";
        // The same body joins wide text: the names of folders the code page cannot write.
        EXPECT_EQ(PathJoinBelow(M().codePage.ToWide(c.folder), M().codePage.ToWide(c.name)),
                  M().codePage.ToWide(c.joined))
            << "'" << c.folder << "' + '" << c.name << "'";
    }
    EXPECT_EQ(
        PathJoinBelow(std::wstring(L"C:\\Łukasz\\Documents\\"), std::wstring(L"\\My Pictures")),
        L"C:\\Łukasz\\Documents\\My Pictures");
}

// What keeps a path from naming a folder an installer can use, judged directly (the whole-attach
// and property tests take the rule as their witness).
TEST_F(PathText, FaultsOfPaths) {
    struct Case {
        UINT codePage;
        const char* path;
        PathFault fault;
    } cases[] = {
        {1252, "C:\\Program Files", PathFault::Usable},
        {1252, "C:\\", PathFault::Usable},
        {1252, "C:\\A\\", PathFault::Usable},
        {1252, "", PathFault::Usable},
        {1252, "C:\\A:B", PathFault::Invalid}, // a colon but after the drive letter
        {1252, "C:\\A\\B:", PathFault::Invalid},
        {1252, "C:\\A\\\\B", PathFault::Invalid},
        {1252, "C:\\A?B", PathFault::Unwritable},
        {1252, "C:A", PathFault::NotFull},
        {1252, "A\\B", PathFault::NotFull},
        {1252, "\\\\server\\share", PathFault::Usable},
        {1252, "\\\\server\\share\\dir", PathFault::Usable},
        {1252, "\\\\server\\", PathFault::NotFull}, // an empty share name
        {1252, "\\\\server", PathFault::NotFull},
        {1252, "\\\\\\share", PathFault::NotFull},
        // 0x95 0x7C and 0x95 0x5C: trail bytes that are no '|' and no separator.
        {932, "C:\\\x95\x7C", PathFault::Usable},
        {932, "C:\\\x95\x5C\\x", PathFault::Usable},
        {932, "C:\\\x95\x5C", PathFault::Usable},
        {1252, "C:\\\x95|", PathFault::Invalid},
    };
    for (const Case& c : cases) {
        M().codePage.acp = c.codePage;
        EXPECT_EQ(PathFaultOf(c.path), c.fault) << c.codePage << " '" << c.path << "'";
    }
}

TEST_F(PathText, NormalizeInPlace) {
    struct Case {
        const char* path;
        const char* normalized;
    } cases[] = {
        {"\\\\srv\\share\\\\dir\\", "\\\\srv\\share\\dir"},
        {"C:\\\\\\x", "C:\\\\x"},
        {"C:\\\\\\\\x", "C:\\\\x"},
        {"C:>x", "C:>x"},
        {"A:B:\\C", "A:B:\\C"},
        {"C:Dir", "C:\\Dir"},
        {"C:", "C:\\"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string path = c.path;
        PathNormalize(path);
        EXPECT_EQ(path, c.normalized) << "'" << c.path << "'";
    }
}

// In code page 932 the trail byte of 0x95 0x5C is the backslash byte: it is never cut.
TEST_F(PathText, DoubleByteTrailBackslashIsNoSeparator) {
    M().codePage.acp = 932;
    const std::string table = "\x95\x5C";
    const std::string dir = "C:\\" + table;
    EXPECT_EQ(PathParent(dir + "\\x"), dir);
    EXPECT_EQ(PathLeaf(dir + "\\x"), "x");
    EXPECT_EQ(PathParent(dir), "C:");
    EXPECT_EQ(PathLeaf(dir), table);
    EXPECT_EQ(PathParent("C:\\x" + table), "C:");
    EXPECT_EQ(PathLeaf(table + table), table + table);
    EXPECT_EQ(PathJoin(dir, table), dir + "\\" + table);
    EXPECT_EQ(PathJoin("C:", table), dir);
    std::string trailing = dir + "\\";
    PathNormalize(trailing);
    EXPECT_EQ(trailing, dir);
}

// A path whose last byte is a lead byte with no trail byte after it (a double-byte text cut
// short, found by the fuzz target of the path helpers): the leaf keeps its bytes in order and
// the parent is the text before the last backslash.
TEST_F(PathText, CutsOfAPathEndingInALoneLeadByte) {
    M().codePage.acp = 932;
    EXPECT_EQ(PathLeaf("ab\x82"), "ab\x82");
    EXPECT_EQ(PathLeaf("C:\\dir\\x\x82"), "x\x82");
    EXPECT_EQ(PathParent("a\\b\\\x82"), "a\\b");
    EXPECT_EQ(PathLeaf("a\\b\\\x82"), "\x82");
}

} // namespace
