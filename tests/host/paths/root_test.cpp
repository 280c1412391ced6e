// Roots of paths: drives from the text, shares by trial connection, the cache of shares.
#include "paths_fixture.h"

#include "paths/Root.h"

#include <windows.h>

namespace {

using winsim::ShareAnswer;

class Root : public PathsTest {
  protected:
    void TearDown() override { ExpectNothingOpen(); }
    const std::vector<std::string>& Trials() { return M().network.trials; }
};

TEST_F(Root, DrivesAndPathsWithoutARoot) {
    struct Case {
        const char* path;
        const char* root;
    } cases[] = {
        {"C:\\Program Files\\", "C:"},
        {" c:\\x ", "c:"},
        {"C:", "C:"},
        {"d:relative", "d:"},
        {"Windows\\System", ""},
        {"AB:\\x", ""},
        {"1:\\x", ""},
        {"\\\\srv\\share\\a:b", ""},
        {"\\\\srv", ""},
        {"\\\\\\share\\x", ""},
        {"", ""},
        {"\\x", ""},
        // A doubled backslash inside a relative path names no server: no trial connection.
        {"Apps\\\\Tolva\\sub", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathRoot(c.path), c.root) << "'" << c.path << "'";
    EXPECT_TRUE(Trials().empty());
    EXPECT_TRUE(ShareRootCache().empty());
}

// A share that accepts the connection, or answers with a logon failure, is the root; the
// letter is mapped and cancelled at once, and the root is cached.
TEST_F(Root, ShareFoundByTrialAndCached) {
    struct Case {
        const char* share;
        ShareAnswer answer;
    } cases[] = {{"\\\\srv\\share", ShareAnswer::Accept},
                 {"\\\\srv\\locked", ShareAnswer::LogonFailure}};
    for (const Case& c : cases) {
        M().network.Reset();
        M().network.Answer(c.share, c.answer);
        const size_t cached = ShareRootCache().size();
        EXPECT_EQ(PathRoot(std::string(c.share) + "\\dir\\file"), c.share);
        EXPECT_EQ(Trials(),
                  (std::vector<std::string>{"ADD " + std::string(c.share) + " F: password=''",
                                            "CANCEL F: force=1"}));
        ASSERT_EQ(ShareRootCache().size(), cached + 1);
        EXPECT_EQ(ShareRootCache().back(), c.share);
        EXPECT_TRUE(M().network.mapped.empty());
    }
}

TEST_F(Root, CachedRootAnswersWithoutTrialInAnyCase) {
    M().network.Answer("\\\\srv\\share", ShareAnswer::Accept);
    EXPECT_EQ(PathRoot("\\\\srv\\share\\dir\\file"), "\\\\srv\\share");
    M().network.trials.clear();
    EXPECT_EQ(PathRoot("\\\\SRV\\SHARE\\other"), "\\\\srv\\share");
    EXPECT_EQ(PathRoot("\\\\Srv\\Share\\"), "\\\\srv\\share");
    EXPECT_EQ(PathRoot(" \\\\srv\\share "), "\\\\srv\\share");
    EXPECT_TRUE(Trials().empty());
    EXPECT_EQ(ShareRootCache().size(), 1u);
}

TEST_F(Root, DeeperPrefixAcceptedAfterARejection) {
    M().network.Answer("\\\\srv\\vol\\dir", ShareAnswer::Accept);
    M().files.AddDrive('F');
    EXPECT_EQ(PathRoot("\\\\srv\\vol\\dir\\sub"), "\\\\srv\\vol\\dir");
    EXPECT_EQ(Trials(), (std::vector<std::string>{"ADD \\\\srv\\vol G: password=''",
                                                  "ADD \\\\srv\\vol\\dir G: password=''",
                                                  "CANCEL G: force=1"}));
    EXPECT_EQ(ShareRootCache(), (CStringArray{"\\\\srv\\vol\\dir"}));
}

TEST_F(Root, RefusedEverywhereGivesTheTextsShareUncachedAndTriesEachCandidateOnce) {
    EXPECT_EQ(PathRoot("\\\\srv\\share\\a\\b"), "\\\\srv\\share");
    EXPECT_EQ(M().network.Adds(), 3);
    EXPECT_EQ(M().network.Cancels(), 0);
    EXPECT_EQ(PathRoot("\\\\srv\\share\\a\\b"), "\\\\srv\\share");
    EXPECT_EQ(M().network.Adds(), 3); // each refused candidate is tried once
    EXPECT_TRUE(ShareRootCache().empty());
    // A longer path below the same share tries only the candidates not refused yet.
    EXPECT_EQ(PathRoot("\\\\SRV\\SHARE\\a\\b\\c"), "\\\\SRV\\SHARE");
    EXPECT_EQ(M().network.Adds(), 4);
}

TEST_F(Root, NoFreeLetterGivesTheTextsShareWithoutTrial) {
    TakeLettersFtoZ();
    M().network.Answer("\\\\srv\\share", ShareAnswer::Accept);
    EXPECT_EQ(PathRoot("\\\\srv\\share"), "\\\\srv\\share");
    EXPECT_TRUE(Trials().empty());
    EXPECT_TRUE(ShareRootCache().empty());
}

// A cached '\\srv\share' does not answer for '\\srv\share2': the root must end at a
// backslash or at the end of the path.
TEST_F(Root, CachedRootIsNoPrefixOfALongerShareName) {
    M().network.Answer("\\\\srv\\share", ShareAnswer::Accept);
    M().network.Answer("\\\\srv\\share2", ShareAnswer::Accept);
    EXPECT_EQ(PathRoot("\\\\srv\\share\\x"), "\\\\srv\\share");
    EXPECT_EQ(PathRoot("\\\\srv\\share2\\x"), "\\\\srv\\share2");
    EXPECT_EQ(PathRoot("\\\\srv\\SHARE2"), "\\\\srv\\share2");
    EXPECT_EQ(ShareRootCache(), (CStringArray{"\\\\srv\\share", "\\\\srv\\share2"}));
    EXPECT_EQ(M().network.Adds(), 2);
}

TEST_F(Root, FreeLetterFromFToZ) {
    M().files.RemoveDrive('C');
    for (char c : {'A', 'C', 'D', 'F', 'G'})
        M().files.AddDrive(c);
    EXPECT_EQ(FindFreeDriveLetter(), "H");
    M().files.Reset();
    for (char c : {'A', 'B', 'D', 'E'})
        M().files.AddDrive(c);
    EXPECT_EQ(FindFreeDriveLetter(), "F");
    // A letter mapped to a share is a present drive too.
    M().network.mapped['F'] = "\\\\srv\\other";
    EXPECT_EQ(FindFreeDriveLetter(), "G");
    M().network.mapped.clear();
    TakeLettersFtoZ();
    EXPECT_EQ(FindFreeDriveLetter(), "");
}

// With F to Y present, Z is the letter of the trial connection.
TEST_F(Root, ZIsTriedWhenItIsTheOnlyFreeLetter) {
    for (char c = 'F'; c < 'Z'; ++c)
        M().files.AddDrive(c);
    M().network.Answer("\\\\srv\\share", ShareAnswer::Accept);
    EXPECT_EQ(FindFreeDriveLetter(), "Z");
    EXPECT_EQ(PathRoot("\\\\srv\\share\\dir"), "\\\\srv\\share");
    EXPECT_EQ(Trials(),
              (std::vector<std::string>{"ADD \\\\srv\\share Z: password=''", "CANCEL Z: force=1"}));
}

// Only 'A' to 'Z' in either case are drives; any other byte is none, whatever the mask.
TEST_F(Root, DriveExistsOnlyForLetters) {
    M().files.AddDrive('A');
    M().files.AddDrive('Z');
    EXPECT_TRUE(DriveExists('c'));
    EXPECT_TRUE(DriveExists('C'));
    EXPECT_TRUE(DriveExists('a'));
    EXPECT_TRUE(DriveExists('z'));
    EXPECT_FALSE(DriveExists('d'));
    for (int byte : {0x00, 0x40, 0x5B, 0x60, 0x7B, 0x31, 0xC0, 0xE0, 0xFF})
        EXPECT_FALSE(DriveExists(static_cast<char>(byte))) << byte;
}

} // namespace
