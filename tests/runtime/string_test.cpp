// Strings: slicing, searching, splitting, replacing, case, sharing, the number
// texts, and the byte encodings (UTF-8, UTF-16 in both orders, the byte fallback).
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "runtime/runtime.h"

namespace {

std::vector<unsigned char> bytes_of(const String& s) {
    std::vector<unsigned char> out;
    s.Save(out);
    return out;
}

String load(std::vector<unsigned char> bytes) { return String::Load(bytes.data(), static_cast<int>(bytes.size())); }

std::vector<char16_t> units_of(const String& s) { return std::vector<char16_t>(s.Data(), s.Data() + s.Length()); }

}  // namespace

TEST(StringSlice, NormalisesBothEnds) {
    String s("abcdef");
    EXPECT_EQ(s.Slice(-3).ToUtf8(), "def");
    EXPECT_EQ(s.Slice(2, -1).ToUtf8(), "cde");
    EXPECT_EQ(s.Slice(4, 2).Length(), 0);
    EXPECT_EQ(s.Slice(-100, 2).ToUtf8(), "ab");
    EXPECT_EQ(s.Slice(3, -100).Length(), 0);  // a negative end is not clamped to 0
    EXPECT_EQ(s.Slice(99).Length(), 0);
    EXPECT_TRUE(s.Slice(0, 99).SharesRep(s));
    EXPECT_FALSE(s.Slice(1).SharesRep(s));
}

TEST(StringFind, EmptyAndBounds) {
    String s("abc");
    EXPECT_EQ(s.Find(String(""), 2), 2);
    EXPECT_EQ(s.Find(String(""), 3), 3);
    EXPECT_EQ(s.Find(String(""), 4), -1);
    EXPECT_EQ(s.FindLast(String("")), 3);
    EXPECT_EQ(String("abcabc").Find(String("bc"), -7), 1);
    EXPECT_EQ(String("abcabc").Find(String("bc"), 2), 4);
    EXPECT_EQ(String("abcabc").FindLast(String("bc")), 4);
    EXPECT_EQ(s.FindLast(String("abcd")), -1);
    EXPECT_TRUE(s.StartsWith(String("ab")));
    EXPECT_FALSE(s.StartsWith(String("abcd")));
}

TEST(StringSplit, SeparatorsGiveEmptyElements) {
    Array<String> parts = String("a||b|").Split(String("|"));
    ASSERT_EQ(parts.Length(), 4);
    EXPECT_EQ(parts[0].ToUtf8(), "a");
    EXPECT_EQ(parts[1].Length(), 0);
    EXPECT_EQ(parts[2].ToUtf8(), "b");
    EXPECT_EQ(parts[3].Length(), 0);

    String abc("abc");
    Array<String> whole = abc.Split(String("|"));
    ASSERT_EQ(whole.Length(), 1);
    EXPECT_TRUE(whole[0].SharesRep(abc));

    Array<String> chars = abc.Split(String(""));
    ASSERT_EQ(chars.Length(), 3);
    EXPECT_EQ(chars[2].ToUtf8(), "c");
    EXPECT_EQ(String("").Split(String("")).Length(), 0);

    Array<String> overlap = String("aaa").Split(String("aa"));
    ASSERT_EQ(overlap.Length(), 2);
    EXPECT_EQ(overlap[1].ToUtf8(), "a");
}

TEST(StringReplace, NonOverlappingLeftToRight) {
    EXPECT_EQ(String("aaaa").Replace(String("aa"), String("b")).ToUtf8(), "bb");
    EXPECT_EQ(String("x|y|z").Replace(String("|"), String("--")).ToUtf8(), "x--y--z");
    EXPECT_EQ(String("abc").Replace(String("b"), String("")).ToUtf8(), "ac");
    String s("abc");
    EXPECT_TRUE(s.Replace(String("q"), String("zz")).SharesRep(s));
    EXPECT_TRUE(s.Replace(String(""), String("zz")).SharesRep(s));
}

TEST(StringCase, LowersOnlyAsciiAndSharesWhenUnchanged) {
    EXPECT_EQ(String("AbC-Z").ToLower().ToUtf8(), "abc-z");
    String lower("already");
    EXPECT_TRUE(lower.ToLower().SharesRep(lower));
    const char16_t wide[] = {0x00C9, 0x0130, 0x0041, 0};
    std::vector<char16_t> got = units_of(String(wide).ToLower());
    EXPECT_EQ(got, (std::vector<char16_t>{0x00C9, 0x0130, 0x0061}));
}

TEST(StringSharing, CopiesConcatenationAndSelfAssignment) {
    String a("hello");
    String b = a;
    EXPECT_TRUE(a.SharesRep(b));
    EXPECT_TRUE((a + String("")).SharesRep(a));
    EXPECT_TRUE((String("") + a).SharesRep(a));
    EXPECT_EQ((a + String(" you")).ToUtf8(), "hello you");
    b = b;
    EXPECT_EQ(b.ToUtf8(), "hello");
    EXPECT_TRUE(String("") == String());
    EXPECT_TRUE(String("x") != String("y"));
}

TEST(StringConstruct, SignedAndUnsignedByteWidening) {
    const char text[] = {'A', static_cast<char>(0xE9), 0};
    EXPECT_EQ(units_of(String(text)), (std::vector<char16_t>{0x41, 0xFFE9}));
    const unsigned char raw[] = {0x41, 0xE9};
    EXPECT_EQ(units_of(String(raw, 2)), (std::vector<char16_t>{0x41, 0xE9}));
}

TEST(StringNumbers, IntAndFloatTexts) {
    EXPECT_EQ(String(-42).ToUtf8(), "-42");
    EXPECT_EQ(String(1.0f).ToUtf8(), "1.0");
    EXPECT_EQ(String(0.5f).ToUtf8(), "0.5");
    EXPECT_EQ(String(0.1f).ToUtf8(), "0.10000000149011612");
    EXPECT_EQ(String(100.0f).ToUtf8(), "100.0");
    EXPECT_EQ(String(2.5f).ToUtf8(), "2.5");
    EXPECT_EQ(String(3.0f).ToUtf8(), "3.0");
    EXPECT_NE(String(1e30f).ToUtf8().find('e'), std::string::npos);
}

TEST(StringDecode, Utf8WithAndWithoutMark) {
    EXPECT_EQ(units_of(load({0x41, 0xC3, 0xA9})), (std::vector<char16_t>{0x41, 0xE9}));
    EXPECT_EQ(units_of(load({0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC})), (std::vector<char16_t>{0x20AC}));
    EXPECT_EQ(load({}).Length(), 0);
    EXPECT_EQ(load({0xEF, 0xBB, 0xBF}).Length(), 0);
}

TEST(StringDecode, Utf16BothOrders) {
    EXPECT_EQ(units_of(load({0xFF, 0xFE, 0x41, 0x00})), (std::vector<char16_t>{0x41}));
    EXPECT_EQ(units_of(load({0xFE, 0xFF, 0x00, 0x41, 0x00})), (std::vector<char16_t>{0x41}));
    EXPECT_EQ(units_of(load({0xFE, 0xFF, 0x20, 0xAC, 0x00, 0x31})), (std::vector<char16_t>{0x20AC, 0x31}));
}

TEST(StringDecode, InvalidUtf8FallsBackToBytes) {
    const std::vector<std::vector<unsigned char>> invalid = {
        {0x41, 0xE9, 0x42},        // lead byte without continuation
        {0x80},                    // stray continuation
        {0xF0, 0x9F, 0x98, 0x80},  // four-byte form
        {0x41, 0xE2, 0x82},        // cut off by the end
    };
    for (const auto& in : invalid) {
        testing::internal::CaptureStdout();
        String s = load(in);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid UTF-8!\n");
        ASSERT_EQ(s.Length(), static_cast<int>(in.size()));
        for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(s[static_cast<int>(i)], in[i]);
    }
    testing::internal::CaptureStdout();
    String marked = load({0xEF, 0xBB, 0xBF, 0xFF});
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(marked.Length(), 4);  // the mark is kept in the fallback
}

TEST(StringEncode, Utf8UnitByUnit) {
    const char16_t euro[] = {0x20AC, 0};
    EXPECT_EQ(bytes_of(String(euro)), (std::vector<unsigned char>{0xE2, 0x82, 0xAC}));
    const char16_t mixed[] = {0x41, 0xE9, 0xD83D, 0};
    EXPECT_EQ(bytes_of(String(mixed)), (std::vector<unsigned char>{0x41, 0xC3, 0xA9, 0xED, 0xA0, 0xBD}));
    EXPECT_TRUE(bytes_of(String()).empty());

    const char16_t all[] = {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0};
    EXPECT_TRUE(load(bytes_of(String(all))) == String(all));
}

TEST(StringFiles, LoadAndSaveWholeFiles) {
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::string big(10000, 'x');
    big[4095] = 'y';
    String text(big.c_str());
    EXPECT_TRUE(text.Save(f));
    std::rewind(f);
    EXPECT_TRUE(String::Load(f) == text);
    std::fclose(f);

    FILE* empty = std::tmpfile();
    EXPECT_TRUE(String().Save(empty));
    std::rewind(empty);
    EXPECT_EQ(String::Load(empty).Length(), 0);
    std::fclose(empty);
}

TEST(StringCText, LowBytesAndUtf8) {
    const char16_t units[] = {0x41, 0x1E9, 0};
    const char* low = String(units).ToCString<char>();
    EXPECT_EQ(static_cast<unsigned char>(low[1]), 0xE9);
    EXPECT_EQ(low[2], 0);
    EXPECT_STREQ(String(units).ToUtf8CString(), "A\xC7\xA9");
    const char16_t* wide = String(units).ToCString<char16_t>();
    EXPECT_EQ(wide[1], 0x1E9);
    EXPECT_EQ(wide[2], 0);
}

TEST(StringArray, ElementsStartEmptyAndAreReleased) {
    Array<String> a(3);
    EXPECT_EQ(a[1].Length(), 0);
    String kept("kept");
    a[0] = kept;
    a[2] = kept;
    EXPECT_TRUE(a[0].SharesRep(kept));
    Array<int> ints(4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ints[i], 0);
    Array<float> none(0);
    EXPECT_EQ(none.Length(), 0);
    EXPECT_EQ(none.rep, Array<float>::Rep::empty());
}
