// Fuzz target of the string helpers that take a text apart or rebuild it: StrSplit, StrField
// and StrReplace, in code pages 1252 and 932.
//
// Input: one byte choosing the code page, the separator byte of StrSplit, a byte whose bit 0
// is StrReplace's case flag and whose bits 1-4 and 5-7 give the pattern's length (0 to 15)
// and the replacement's (0 to 7), the pattern, the replacement, then the text (the rest).
//
// Properties and the exact inputs on which each must hold:
// - StrSplit empties the caller's array; an empty text gives no item; a non-empty text with n
//   separator bytes on character boundaries gives n + 1 items, item k being the k-th piece
//   between separators with its white-space characters trimmed, cut at character boundaries:
//   for every separator byte that is not a lead byte of the code page. A lead-byte separator
//   is matched at the start of a double-byte character and the split cuts it; there only the
//   count returned equals the array's size, and every item is a piece of the text.
// - StrField with the separator as a one-byte string gives the same items, numbered from 1,
//   and an empty string outside 1..count: the same domain as StrSplit.
// - StrField with any separator string agrees with its definition by the cutting helpers
//   (field number less one times the text after the separator, then the trimmed text before
//   it): every input.
// - StrReplace agrees with a left-to-right reference that searches the rest of the text after
//   each replaced occurrence afresh, from the byte after the occurrence taken as a character
//   boundary (occurrences found on character boundaries; without regard to case through
//   upper-cased copies of the rest and the pattern): every input. Replacing the pattern by
//   itself, case-sensitively, gives the text back: every input.
#include "fuzz_input.h"

#include "strings/Strings.h"

namespace {

using fuzz::Chars;
using std::string;

const size_t npos = string::npos;

void CheckSplit(const string& text, char separator) {
    CStringArray items = {"left", "over"};
    int count = StrSplit(text, items, separator);
    FUZZ_REQUIRE(count == static_cast<int>(items.size()), "StrSplit returns the item count");
    if (text.empty()) {
        FUZZ_REQUIRE(count == 0, "StrSplit of an empty text gives no item");
        return;
    }
    if (fuzz::IsLead(static_cast<unsigned char>(separator))) {
        FUZZ_REQUIRE(count >= 1, "StrSplit of a text gives an item");
        for (const string& item : items)
            FUZZ_REQUIRE(text.find(item) != npos, "StrSplit items are pieces of the text");
        return;
    }

    // The pieces between separators found on character boundaries.
    std::vector<size_t> starts = {0};
    for (const fuzz::Char& c : Chars(text))
        if (text[c.begin] == separator)
            starts.push_back(c.begin + 1);
    FUZZ_REQUIRE(items.size() == starts.size(), "StrSplit gives separator count + 1 items");
    std::vector<bool> boundary = fuzz::Boundaries(text);
    const string sep(1, separator);
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t end = k + 1 < starts.size() ? starts[k + 1] - 1 : text.size();
        string piece = text.substr(starts[k], end - starts[k]);
        FUZZ_REQUIRE(items[k] == fuzz::Trimmed(piece), "StrSplit item is the trimmed piece");
        size_t at = starts[k] + piece.find(items[k]);
        FUZZ_REQUIRE(fuzz::IsWholePiece(text, boundary, at, items[k]),
                     "StrSplit item cuts no character");
        FUZZ_REQUIRE(StrField(text, sep, static_cast<int>(k + 1)) == items[k],
                     "StrField agrees with StrSplit");
    }
    FUZZ_REQUIRE(StrField(text, sep, 0).empty(), "StrField 0 is empty");
    FUZZ_REQUIRE(StrField(text, sep, count + 1).empty(), "StrField past the last is empty");
}

// StrField by its definition in terms of the cutting helpers.
string FieldByCuts(string text, const string& separator, int field) {
    if (field < 1)
        return string();
    for (int i = 1; i < field; ++i)
        text = StrAfter(text, separator);
    return StrTrim(StrBefore(text, separator));
}

void CheckField(const string& text, const string& separator) {
    for (int field = -1; field <= 4; ++field)
        FUZZ_REQUIRE(StrField(text, separator, field) == FieldByCuts(text, separator, field),
                     "StrField agrees with its definition");
}

// Replacement by a left-to-right reference: each search runs on the rest of the text as a
// string of its own, so its character boundaries start afresh after every occurrence.
string ReplaceReference(const string& text, const string& pattern, const string& replacement,
                        int caseFlag) {
    if (pattern.empty())
        return text;
    const string key = caseFlag ? pattern : StrUpper(pattern);
    string result, rest = text;
    for (;;) {
        size_t p = fuzz::FindOnBoundary(caseFlag ? rest : StrUpper(rest), key);
        if (p == npos)
            break;
        result.append(rest, 0, p).append(replacement);
        rest.erase(0, p + pattern.size());
    }
    return result + rest;
}

void CheckReplace(const string& text, const string& pattern, const string& replacement,
                  int caseFlag) {
    FUZZ_REQUIRE(StrReplace(text, pattern, replacement, caseFlag) ==
                     ReplaceReference(text, pattern, replacement, caseFlag),
                 "StrReplace agrees with the left-to-right reference");
    FUZZ_REQUIRE(StrReplace(text, pattern, pattern, 1) == text,
                 "replacing a pattern by itself changes nothing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    fuzz::ChooseCodePage(in);
    char separator = static_cast<char>(in.Byte());
    uint8_t shape = in.Byte();
    int caseFlag = shape & 1;
    string pattern = in.Take((shape >> 1) & 0x0F);
    string replacement = in.Take(shape >> 5);
    string text = in.Rest();

    CheckSplit(text, separator);
    CheckField(text, pattern);
    CheckReplace(text, pattern, replacement, caseFlag);
    return 0;
}
