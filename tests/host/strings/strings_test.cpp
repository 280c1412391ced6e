// String helpers in code pages 1252 and 932. In 932, "\x95\x5C" is one character whose trail
// byte is the backslash byte; "\x82\x81" is a full-width small a, "\x82\x60" its capital. And
// folderdump's JSON strings (tools/JsonText.h), which carry raw registry values.
#include "machine_fixture.h"

#include "JsonText.h"
#include "strings/Strings.h"

namespace {

class Strings : public MachineTest {};
class StringsDbcs : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        M().codePage.acp = 932;
    }
};

const std::string kHyo = "\x95\x5C"; // one double-byte character, trail byte 0x5C

TEST_F(Strings, BeforeAndAfterTakeTheFirstOccurrence) {
    EXPECT_EQ(StrBefore("abc", "x"), "abc");
    EXPECT_EQ(StrAfter("abc", "x"), "");
    EXPECT_EQ(StrBefore("C:\\A\\B", "\\"), "C:");
    EXPECT_EQ(StrAfter("C:\\A\\B", "\\"), "A\\B");
    EXPECT_EQ(StrAfter("abab", "ab"), "ab");
    EXPECT_EQ(StrBefore("", "x"), "");
    EXPECT_EQ(StrBefore("abc", ""), "");
    EXPECT_EQ(StrAfter("abc", ""), "abc");
}

TEST_F(Strings, NoCaseVariantsKeepTheTextsOwnCase) {
    EXPECT_EQ(StrAfterNoCase("C:\\Program Files\\X", "PROGRAM FILES"), "\\X");
    EXPECT_EQ(StrBeforeNoCase("C:\\Program Files\\X", "PROGRAM FILES"), "C:\\");
    EXPECT_EQ(StrBeforeNoCase("abc", "X"), "abc");
    EXPECT_EQ(StrAfterNoCase("abc", "X"), "");
    // Accented letters fold in 1252: e acute (E9) and E acute (C9).
    EXPECT_EQ(StrAfterNoCase("caf\xE9-x", "\xC9-"), "x");
}

TEST_F(Strings, ContainsAndEqual) {
    EXPECT_EQ(StrContains("abc", "", 1), 1);
    EXPECT_EQ(StrContains("abc", "B", 1), 0);
    EXPECT_EQ(StrContains("abc", "B", 0), 1);
    EXPECT_EQ(StrContains("ab", "abc", 0), 0);
    EXPECT_EQ(StrEqual("ABC", "abc", 0), 1);
    EXPECT_EQ(StrEqual("ABC", "abc", 1), 0);
    EXPECT_EQ(StrEqual("abc", "abcd", 0), 0);
    EXPECT_EQ(StrEqual("\xFF", "\x9F", 0), 1); // y diaeresis and its capital
}

TEST_F(Strings, TrimRemovesOnlyTheSixWhiteSpaceBytes) {
    EXPECT_EQ(StrTrim("\t x\r\n"), "x");
    EXPECT_EQ(StrTrim("\v\f a b \f\v"), "a b");
    EXPECT_EQ(StrTrim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(StrTrim(std::string("\0x", 2)), std::string("\0x", 2));
    EXPECT_EQ(StrTrim("   "), "");
    EXPECT_EQ(StrTrim(""), "");
}

TEST_F(Strings, UpperMapsTheCodePagesLetters) {
    EXPECT_EQ(StrUpper("abc xyz 09"), "ABC XYZ 09");
    EXPECT_EQ(StrUpper("\xE0\xE9\xFE\xF7\xFF\x9A\xDF"), "\xC0\xC9\xDE\xF7\x9F\x8A\xDF");
}

TEST_F(Strings, ReverseAndStrip) {
    EXPECT_EQ(StrReverse("abc"), "cba");
    EXPECT_EQ(StrReverse(""), "");
    EXPECT_EQ(StrStripLeading("\\\\srv", "\\"), "\\srv");
    EXPECT_EQ(StrStripLeading("abc", "x"), "abc");
    EXPECT_EQ(StrStripLeading("xabc", "X"), "xabc"); // case-sensitive
    EXPECT_EQ(StrStripLeading("", "x"), "");
    EXPECT_EQ(StrStripTrailing("C:\\Dir\\\\", "\\"), "C:\\Dir\\");
    EXPECT_EQ(StrStripTrailing("abc", "x"), "abc");
    EXPECT_EQ(StrStripTrailing("abc", "bc"), "a");
    EXPECT_EQ(StrStripTrailing("abc", ""), "abc");
}

TEST_F(Strings, ReplaceNeverSearchesReplacedText) {
    EXPECT_EQ(StrReplace("aXbxc", "x", "-", 0), "a-b-c");
    EXPECT_EQ(StrReplace("aXbxc", "x", "-", 1), "aXb-c");
    EXPECT_EQ(StrReplace("aaa", "a", "aa", 1), "aaaaaa");
    EXPECT_EQ(StrReplace("abc", "", "x", 1), "abc");
    EXPECT_EQ(StrReplace("C:\\\\\\x", "\\\\", "\\", 1), "C:\\\\x"); // three become two
    EXPECT_EQ(StrReplace("%systemdrive%\\P;%SystemDrive%", "%SystemDrive%", "D:", 0), "D:\\P;D:");
    EXPECT_EQ(StrReplace("aAa", "A", "bb", 0), "bbbbbb");
}

TEST_F(Strings, ReplaceIsLinearOnLongText) {
    // A pass that copied the rest once per occurrence would move about 10^10 bytes here.
    std::string text(200000, 'a');
    std::string out = StrReplace(text, "a", "b", 0);
    EXPECT_EQ(out, std::string(200000, 'b'));
}

TEST_F(Strings, FieldNumbersCountFromOne) {
    EXPECT_EQ(StrField("a, b ,c", ",", 1), "a");
    EXPECT_EQ(StrField("a, b ,c", ",", 2), "b");
    EXPECT_EQ(StrField("a, b ,c", ",", 3), "c");
    EXPECT_EQ(StrField("a, b ,c", ",", 0), "");
    EXPECT_EQ(StrField("a, b ,c", ",", 4), "");
    EXPECT_EQ(StrField("a,,b", ",", 2), "");
    EXPECT_EQ(StrField("a::b::c", "::", 3), "c");
    EXPECT_EQ(StrField("abc", "", 1), "");
    EXPECT_EQ(StrField("abc", "", 2), "");
}

// The probe names ("%05d") and the record's numbers ("0x%04X", "0x%08lX") are made of these.
TEST_F(Strings, DigitsArePaddedToTheWidthAndNeverCut) {
    EXPECT_EQ(StrDigits(0, 10, 5), "00000");
    EXPECT_EQ(StrDigits(4217, 10, 5), "04217");
    EXPECT_EQ(StrDigits(32767, 10, 5), "32767");
    EXPECT_EQ(StrDigits(123456, 10, 5), "123456");
    EXPECT_EQ(StrDigits(0x2B, 16, 4), "002B");
    EXPECT_EQ(StrDigits(0x80070005UL, 16, 8), "80070005");
    EXPECT_EQ(StrDigits(0xFFFFFFFFUL, 16, 8), "FFFFFFFF");
    EXPECT_EQ(StrDigits(7, 10, 0), "7");
}

TEST_F(Strings, SplitEmptiesTheArrayAndKeepsEmptyItems) {
    CStringArray items = {"old", "items"};
    EXPECT_EQ(StrSplit("a; b;", items, ';'), 3);
    EXPECT_EQ(items, (CStringArray{"a", "b", ""}));
    EXPECT_EQ(StrSplit("", items, ';'), 0);
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(StrSplit("   ", items, ';'), 1);
    EXPECT_EQ(items, (CStringArray{""}));
    EXPECT_EQ(StrSplit(";;", items, ';'), 3);
    EXPECT_EQ(StrSplit("\\\\srv\\share", items, '\\'), 4);
    EXPECT_EQ(items, (CStringArray{"", "", "srv", "share"}));
}

TEST_F(StringsDbcs, TrailByte5CIsNeverABackslash) {
    const std::string path = "C:\\" + kHyo + "\\x" + kHyo;
    EXPECT_EQ(StrBefore(kHyo + "\\x", "\\"), kHyo);
    EXPECT_EQ(StrAfter(kHyo + "\\x", "\\"), "x");
    EXPECT_EQ(StrAfter(kHyo, "\\"), "");
    EXPECT_EQ(StrContains(kHyo, "\\", 1), 0);
    CStringArray items;
    EXPECT_EQ(StrSplit(path, items, '\\'), 3);
    EXPECT_EQ(items, (CStringArray{"C:", kHyo, "x" + kHyo}));
    EXPECT_EQ(StrStripTrailing("C:\\" + kHyo, "\\"), "C:\\" + kHyo);
    EXPECT_EQ(StrReplace(kHyo + "\\", "\\", "/", 1), kHyo + "/");
    // A pattern that starts with a trail byte is never found inside the character.
    EXPECT_EQ(StrContains("a" + kHyo + "b", "\\b", 1), 0);
}

TEST_F(StringsDbcs, ReverseKeepsDoubleByteCharactersWhole) {
    const std::string text = "a" + kHyo + "\\b\x82\x81";
    EXPECT_EQ(StrReverse(text), "\x82\x81"
                                "b\\" +
                                    kHyo + "a");
    EXPECT_EQ(StrReverse(StrReverse(text)), text);
    // A lead byte at the very end stands alone.
    EXPECT_EQ(StrReverse("ab\x95"), "\x95"
                                    "ba");
}

TEST_F(StringsDbcs, UpperMapsFullWidthLettersAndSparesTrailBytes) {
    // The trail byte 0x61 ('a') of 0x9561 is not upper-cased on its own.
    EXPECT_EQ(StrUpper("a\x82\x81\x95\x61z"), "A\x82\x60\x95\x61Z");
    EXPECT_EQ(StrEqual("\x82\x81", "\x82\x60", 0), 1);
    EXPECT_EQ(StrAfterNoCase("x\x82\x81y", "\x82\x60"), "y");
    // Half-width katakana (single bytes beyond ASCII) have no case.
    EXPECT_EQ(StrUpper("\xB1\xDF"), "\xB1\xDF");
}

TEST_F(StringsDbcs, TrimNeverTestsATrailByte) {
    // 0x8120 would end in a blank if its trail byte were tested on its own.
    EXPECT_EQ(StrTrim(" \x81\x20"), "\x81\x20");
    EXPECT_EQ(StrTrim("\x81\x20 "), "\x81\x20");
}

TEST_F(StringsDbcs, ReplaceGoesOnAfterAnOccurrenceEndingInsideACharacter) {
    // A pattern that is a lone lead byte matches the lead of a character; the search then
    // goes on from the byte after it, taken as the start of a character.
    EXPECT_EQ(StrReplace("\x95\x95\x95\x5C", "\x95", "-", 1), "---\\");
    EXPECT_EQ(StrReplace("\x95\x95\x95\x5C", "\x95", "-", 0), "---\\");
}

// A raw value reaches the report as it was stored: quotes, backslashes, control characters
// escaped, UTF-8 kept as it is, so that a JSON reader gets the stored text back.
TEST(JsonText, StringsEscapeWhatJsonMustAndKeepTheRest) {
    struct Case {
        const char* what;
        std::string utf8;
        const char* json;
    };
    const Case cases[] = {
        {"a quoted value", "\"C:\\users\\Documents\"", "\"\\\"C:\\\\users\\\\Documents\\\"\""},
        {"a share", "\\\\srv\\share", "\"\\\\\\\\srv\\\\share\""},
        {"control characters", std::string("a\tb\nc\x01\x1f\x7f", 8),
         "\"a\\u0009b\\u000ac\\u0001\\u001f\\u007f\""},
        {"a zero inside", std::string("a\0b", 3), "\"a\\u0000b\""},
        {"non-ASCII text", "C:\\\xd0\x94\xd0\xbe\xd0\xba \xe2\x82\xac \xf0\x9f\x93\x81",
         "\"C:\\\\\xd0\x94\xd0\xbe\xd0\xba \xe2\x82\xac \xf0\x9f\x93\x81\""},
        {"nothing", "", "\"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JsonUtf8(c.utf8), c.json);
    }
    EXPECT_EQ(JsonObject().Add("a\"b", JsonUtf8("\\")).Add("n", JsonNumber(7, false)).Text(),
              "{\"a\\\"b\": \"\\\\\", \"n\": null}");
    EXPECT_EQ(JsonList({"1", "\"x\""}), "[1, \"x\"]");
}

} // namespace
