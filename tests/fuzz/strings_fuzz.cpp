// Fuzz target of the cutting string helpers: before and after a pattern (exact and without
// regard to case), trimming, upper-casing, reversal, stripping a leading or trailing pattern,
// containment and equality, in code pages 1252 and 932.
//
// Input: one byte choosing the code page, one byte whose low four bits give the pattern's
// length (0 to 15), the pattern, then the text (the rest).
//
// Properties and the exact inputs on which each must hold:
// - StrReverse gives the text's characters in reverse order, each double-byte character kept
//   whole: every input.
// - StrReverse twice is the identity: every text whose last character is not a lead byte
//   standing alone after other characters. Such a lead byte moves to the front of the reversed
//   text, where it pairs with the byte after it, so the second reversal sees other characters.
// - StrUpper keeps the length and every character boundary, and is idempotent: every input.
// - StrBefore, StrAfter, StrContains (exact): the leftmost occurrence starting on a character
//   boundary decides; StrBefore ends on a boundary: every input. StrAfter starts on a
//   boundary: every pattern whose last character is not a lone lead byte (such a pattern's
//   last byte matches the lead byte of a double-byte character of the text, so the occurrence
//   ends inside that character).
// - The case-insensitive variants: the leftmost boundary occurrence of the upper-cased pattern
//   in the upper-cased text decides; results are cut from the unchanged text, with the same
//   boundary rules as the exact variants: every input. It is never right of an exact
//   occurrence: every pattern whose last character is not a lone lead byte (upper-casing a
//   double-byte character of code page 932 may change its lead byte, as Windows does for the
//   codes of one character and for codes of no character, and the pattern's lone lead byte
//   then no longer matches).
// - StrTrim removes exactly the leading and trailing white-space characters and is
//   idempotent: every input.
// - StrStripLeading removes the pattern once when the text starts with it: every input; the
//   result starts on a boundary for a pattern not ending in a lone lead byte.
// - StrStripTrailing removes the pattern once when it ends the text starting on a boundary:
//   every input; and it agrees with the reversal formulation (reverse text and pattern, strip
//   leading, reverse back) for a text and a pattern that neither end in a lone lead byte. A
//   pattern that is one lone lead byte, reversed, matches the lead byte of a double-byte
//   character at the front of the reversed text: the reversal form would then cut that
//   character, the helper leaves the text alone.
// - StrEqual: exact equality, or equality of upper-cased copies; symmetric: every input.
#include "fuzz_input.h"

#include "strings/Strings.h"

namespace {

using fuzz::Boundaries;
using fuzz::EndsInLoneLead;
using fuzz::ReversibleText;
using std::string;

const size_t npos = string::npos;

void CheckReverseAndUpper(const string& text) {
    string reversed = StrReverse(text);
    FUZZ_REQUIRE(reversed == fuzz::ReversedChars(text), "StrReverse reverses whole characters");
    if (ReversibleText(text))
        FUZZ_REQUIRE(StrReverse(reversed) == text, "StrReverse twice is the identity");

    string upper = StrUpper(text);
    FUZZ_REQUIRE(upper.size() == text.size(), "StrUpper keeps the length");
    FUZZ_REQUIRE(Boundaries(upper) == Boundaries(text), "StrUpper keeps character boundaries");
    FUZZ_REQUIRE(StrUpper(upper) == upper, "StrUpper is idempotent");
    FUZZ_REQUIRE(StrEqual(text, upper, 0) == 1, "a text equals its upper case without case");
}

void CheckExactCuts(const string& text, const string& pattern) {
    std::vector<bool> boundary = Boundaries(text);
    size_t pos = fuzz::FindOnBoundary(text, pattern);
    string before = StrBefore(text, pattern);
    string after = StrAfter(text, pattern);
    FUZZ_REQUIRE(StrContains(text, pattern, 1) == (pos != npos ? 1 : 0), "StrContains exact");
    if (pos == npos) {
        FUZZ_REQUIRE(before == text, "StrBefore without occurrence is the text");
        FUZZ_REQUIRE(after.empty(), "StrAfter without occurrence is empty");
        return;
    }
    FUZZ_REQUIRE(before == text.substr(0, pos), "StrBefore is the text before the occurrence");
    FUZZ_REQUIRE(fuzz::IsWholePiece(text, boundary, 0, before), "StrBefore cuts no character");
    FUZZ_REQUIRE(after == text.substr(pos + pattern.size()), "StrAfter follows the occurrence");
    if (!EndsInLoneLead(pattern))
        FUZZ_REQUIRE(boundary[pos + pattern.size()], "StrAfter cuts no character");
}

void CheckNoCaseCuts(const string& text, const string& pattern) {
    std::vector<bool> boundary = Boundaries(text);
    size_t exact = fuzz::FindOnBoundary(text, pattern);
    size_t pos = fuzz::FindOnBoundary(StrUpper(text), StrUpper(pattern));
    string before = StrBeforeNoCase(text, pattern);
    string after = StrAfterNoCase(text, pattern);
    FUZZ_REQUIRE(StrContains(text, pattern, 0) == (pos != npos ? 1 : 0), "StrContains no case");
    FUZZ_REQUIRE(exact == npos || EndsInLoneLead(pattern) || (pos != npos && pos <= exact),
                 "an exact occurrence is one without case");
    if (pos == npos) {
        FUZZ_REQUIRE(before == text, "StrBeforeNoCase without occurrence is the text");
        FUZZ_REQUIRE(after.empty(), "StrAfterNoCase without occurrence is empty");
        return;
    }
    FUZZ_REQUIRE(before == text.substr(0, pos), "StrBeforeNoCase keeps the text's own case");
    FUZZ_REQUIRE(boundary[pos], "StrBeforeNoCase cuts no character");
    FUZZ_REQUIRE(after == text.substr(pos + pattern.size()), "StrAfterNoCase keeps the case");
    if (!EndsInLoneLead(pattern))
        FUZZ_REQUIRE(boundary[pos + pattern.size()], "StrAfterNoCase cuts no character");
}

void CheckTrim(const string& text) {
    string trimmed = StrTrim(text);
    FUZZ_REQUIRE(trimmed == fuzz::Trimmed(text), "StrTrim removes the white-space characters");
    FUZZ_REQUIRE(StrTrim(trimmed) == trimmed, "StrTrim is idempotent");
}

void CheckStrip(const string& text, const string& pattern) {
    std::vector<bool> boundary = Boundaries(text);
    bool starts = !pattern.empty() && text.compare(0, pattern.size(), pattern) == 0;
    string leading = StrStripLeading(text, pattern);
    FUZZ_REQUIRE(leading == (starts ? text.substr(pattern.size()) : text),
                 "StrStripLeading removes one leading occurrence");
    if (starts && !EndsInLoneLead(pattern))
        FUZZ_REQUIRE(boundary[pattern.size()], "StrStripLeading cuts no character");

    size_t cut = text.size() - pattern.size();
    bool ends = !pattern.empty() && pattern.size() <= text.size() &&
                text.compare(cut, npos, pattern) == 0 && boundary[cut];
    string trailing = StrStripTrailing(text, pattern);
    FUZZ_REQUIRE(trailing == (ends ? text.substr(0, cut) : text),
                 "StrStripTrailing removes one trailing occurrence on a boundary");
    if (!EndsInLoneLead(text) && !EndsInLoneLead(pattern)) {
        string viaReversal = StrReverse(StrStripLeading(StrReverse(text), StrReverse(pattern)));
        FUZZ_REQUIRE(trailing == viaReversal, "StrStripTrailing agrees with its reversal form");
    }
}

void CheckEqual(const string& text, const string& other) {
    FUZZ_REQUIRE(StrEqual(text, other, 1) == (text == other ? 1 : 0), "StrEqual exact");
    FUZZ_REQUIRE(StrEqual(text, other, 0) == (StrUpper(text) == StrUpper(other) ? 1 : 0),
                 "StrEqual without case");
    FUZZ_REQUIRE(StrEqual(text, other, 0) == StrEqual(other, text, 0), "StrEqual is symmetric");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    fuzz::ChooseCodePage(in);
    string pattern = in.Take(in.Byte() & 0x0F);
    string text = in.Rest();

    CheckReverseAndUpper(text);
    CheckReverseAndUpper(pattern);
    CheckExactCuts(text, pattern);
    CheckNoCaseCuts(text, pattern);
    CheckTrim(text);
    CheckStrip(text, pattern);
    CheckEqual(text, pattern);
    return 0;
}
