/*
 * Memory, strings, TextBuilder, ParseInt and UTF-8 conversion.
 */
#include <gtest/gtest.h>
#include <string.h>

#include "core/text.h"
#include "test_util.h"

TEST(ParseInt, LenientDecimal)
{
    EXPECT_EQ(ParseInt(L" -12abc"), -12);
    EXPECT_EQ(ParseInt(L"+-5"), 0);
    EXPECT_EQ(ParseInt(L"- 5"), 0);
    EXPECT_EQ(ParseInt(L"x1"), 0);
    EXPECT_EQ(ParseInt(L"0x10"), 0);
    EXPECT_EQ(ParseInt(L"\t7"), 7);
    EXPECT_EQ(ParseInt(L"+42"), 42);
    EXPECT_EQ(ParseInt(L""), 0);
    EXPECT_EQ(ParseInt(NULL), 0);
    EXPECT_EQ(ParseInt(L"\n5"), 0);     /* only spaces and tabs are skipped */
    EXPECT_EQ(ParseInt(L"2147483647"), 2147483647);
    EXPECT_EQ(ParseInt(L"2147483648"), (int)0x80000000u);
    EXPECT_EQ(ParseInt(L"-2147483648"), (int)0x80000000u);
}

TEST(Strings, NullAndEmpty)
{
    wchar_t *field = StrDup(L"old");
    StrAssign(&field, L"");
    EXPECT_EQ(field, nullptr);
    EXPECT_TRUE(StrIsEmpty(field));
    StrAssign(&field, L"new");
    EXPECT_EQ(U8(field), "new");
    StrAssign(&field, NULL);
    EXPECT_EQ(field, nullptr);
    EXPECT_EQ(StrLen(NULL), 0);
    EXPECT_EQ(StrDup(NULL), nullptr);
    EXPECT_EQ(StrDupN(NULL, 3), nullptr);
    wchar_t *part = StrDupN(L"abcdef", 3);
    EXPECT_EQ(U8(part), "abc");
    MemFree(part);
}

TEST(Strings, AssignFromItself)
{
    wchar_t *field = StrDup(L"same");
    StrAssign(&field, field);
    EXPECT_EQ(U8(field), "same");
    MemFree(field);
}

TEST(Strings, CompareAndFind)
{
    EXPECT_EQ(StrCompareNoCase(L"Servers", L"servers"), 0);
    EXPECT_EQ(StrCompareNoCase(NULL, L""), 0);
    EXPECT_LT(StrCompareNoCase(L"a", L"B"), 0);
    EXPECT_GT(StrCompareNoCase(L"b", L"A"), 0);
    const wchar_t *text = L"PuTTY.exe";
    EXPECT_EQ(StrFindNoCase(text, L"putty"), text);
    EXPECT_EQ(StrFindNoCase(text, L".EXE"), text + 5);
    EXPECT_EQ(StrFindNoCase(text, L""), text);
    EXPECT_EQ(StrFindNoCase(NULL, L"x"), nullptr);
    EXPECT_EQ(StrFindNoCase(text, NULL), nullptr);
    EXPECT_EQ(StrFindNoCase(text, L"kitty"), nullptr);
    EXPECT_EQ(StrFindNoCase(L"ab", L"abc"), nullptr);
    /* ASCII is folded without the system; the rest still through it */
    const wchar_t *title = L"\u00c4rger@host (INACTIVE)";
    EXPECT_EQ(StrFindNoCase(title, L"(inactive)"), title + 11);
    EXPECT_EQ(StrFindNoCase(title, L"\u00e4RGER"), title);
    const wchar_t *edges = L"@[`{";
    EXPECT_EQ(StrFindNoCase(edges, L"`{"), edges + 2);
    EXPECT_EQ(StrFindNoCase(L"[", L"{"), nullptr);
    EXPECT_EQ(StrFindNoCase(L"@", L"`"), nullptr);
    /* exact: a character the locale would ignore still counts */
    EXPECT_TRUE(StrEqual(L"ab", L"ab"));
    EXPECT_TRUE(StrEqual(NULL, L""));
    EXPECT_FALSE(StrEqual(L"ab", L"a\u00adb"));
    EXPECT_FALSE(StrEqual(L"ab", L"AB"));
    EXPECT_FALSE(StrEqual(L"ab", L"abc"));
    const wchar_t *p = L"a\\b\\c";
    EXPECT_EQ(StrFindChar(p, '\\'), p + 1);
    EXPECT_EQ(StrFindLastChar(p, '\\'), p + 3);
    EXPECT_EQ(StrFindChar(p, 'z'), nullptr);
    EXPECT_EQ(StrFindLastChar(NULL, 'a'), nullptr);
}

TEST(Memory, ZeroFilledAndResized)
{
    unsigned char *p = (unsigned char *)MemAlloc(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0);
    p = (unsigned char *)MemRealloc(p, 100);
    for (int i = 0; i < 100; i++)
        EXPECT_EQ(p[i], 0) << i;
    MemFill(p, 7, 10);
    p = (unsigned char *)MemRealloc(p, 4000);
    EXPECT_EQ(p[9], 7);
    EXPECT_EQ(p[10], 0);
    EXPECT_EQ(p[3999], 0);
    MemFree(p);
    MemFree(NULL);
    void *q = MemRealloc(NULL, 8);
    EXPECT_NE(q, nullptr);
    MemFree(q);
}

TEST(Memory, CompareAndOverlappingCopy)
{
    unsigned char a[] = { 1, 200 }, b[] = { 1, 100 };
    EXPECT_EQ(MemCompare(a, b, 2), 1);
    EXPECT_EQ(MemCompare(b, a, 2), -1);
    EXPECT_EQ(MemCompare(a, a, 2), 0);
    char s[] = "abcdef";
    MemCopy(s + 2, s, 3);
    EXPECT_STREQ(s, "ababcf");
    char t[] = "abcdef";
    MemCopy(t, t + 2, 3);
    EXPECT_STREQ(t, "cdedef");
}

#ifndef _WIN32
/* On Windows the message box would wait for a click; the native seam
 * prints the text instead. */
TEST(MemoryDeathTest, ExhaustionEndsWithCode3)
{
    EXPECT_EXIT(MemAlloc((size_t)-1 - 64), ::testing::ExitedWithCode(3),
                "메모리가 부족합니다.");
}
#endif

TEST(TextBuilder, GrowthRule)
{
    TextBuilder b = {};
    EXPECT_EQ(U8(b.Text()), "");
    b.AppendN(L"", 0);
    ASSERT_NE(b.Buffer, nullptr);
    EXPECT_EQ(b.Capacity, 64);
    EXPECT_EQ(b.Buffer[0], 0);
    for (int i = 0; i < 63; i++)
        b.AppendChar('x');
    EXPECT_EQ(b.Length, 63);
    EXPECT_EQ(b.Capacity, 64);
    b.AppendChar('y');
    EXPECT_EQ(b.Capacity, 128);
    EXPECT_EQ(b.Buffer[64], 0);
    wchar_t big[300];
    for (int i = 0; i < 299; i++)
        big[i] = 'z';
    big[299] = 0;
    b.Append(big);
    EXPECT_EQ(b.Capacity, 512);
    EXPECT_EQ(b.Length, 363);
    b.Release();
    EXPECT_EQ(b.Buffer, nullptr);
    EXPECT_EQ(b.Length, 0);
    EXPECT_EQ(b.Capacity, 0);
}

TEST(TextBuilder, AppendsAndTake)
{
    TextBuilder b = {};
    b.Append(NULL);
    EXPECT_EQ(b.Buffer, nullptr);
    wchar_t *empty = b.Take();
    EXPECT_EQ(U8(empty), "");
    MemFree(empty);
    b.Append(L"a");
    b.AppendN(L"bcd", 2);
    b.AppendChar('-');
    b.AppendFormat(L"%d|%s|%08X|%5d|%-3d|", -12, L"한글", 0xBEEFu, 42, 7);
    EXPECT_EQ(U8(b.Text()), "abc--12|한글|0000BEEF|   42|7  |");
    wchar_t *t = b.Take();
    EXPECT_EQ(b.Buffer, nullptr);
    EXPECT_EQ(b.Capacity, 0);
    EXPECT_EQ(U8(t), "abc--12|한글|0000BEEF|   42|7  |");
    MemFree(t);
}

TEST(TextBuilder, FormatAddsAtMost1024)
{
    wchar_t big[2001];
    for (int i = 0; i < 2000; i++)
        big[i] = 'q';
    big[2000] = 0;
    TextBuilder b = {};
    b.AppendFormat(L"%s", big);
    EXPECT_EQ(b.Length, 1024);
    b.Release();
}

TEST(Utf8, ByteOrderMarkRule)
{
    wchar_t *w = WideFromUtf8("\xEF\xBB\xBF", 3);
    EXPECT_EQ(U8(w), "");
    MemFree(w);
    w = WideFromUtf8("\xEF\xBB", 2);
    EXPECT_EQ(StrLen(w), 1);   /* not skipped: one replacement character */
    EXPECT_EQ((unsigned)w[0], 0xFFFDu);
    MemFree(w);
    w = WideFromUtf8("\xEF\xBB\xBFok", 5);
    EXPECT_EQ(U8(w), "ok");
    MemFree(w);
    w = WideFromUtf8("", 0);
    EXPECT_EQ(U8(w), "");
    MemFree(w);
}

TEST(Utf8, RoundTripAndInvalid)
{
    const char *text = "서버 😀 é\r\n\t";
    wchar_t *w = WideFromUtf8(text, (int)strlen(text));
    EXPECT_EQ(U8(w), text);
    int n = -1;
    char *back = Utf8FromWide(w, &n);
    EXPECT_EQ(n, (int)strlen(text));
    EXPECT_STREQ(back, text);
    MemFree(back);
    MemFree(w);
    w = WideFromUtf8("a\xFF" "b", 3);
    EXPECT_EQ(StrLen(w), 3);
    EXPECT_EQ((unsigned)w[1], 0xFFFDu);
    MemFree(w);
    back = Utf8FromWide(NULL, &n);
    EXPECT_EQ(n, 0);
    EXPECT_STREQ(back, "");
    MemFree(back);
}

/* Each length of sequence at every offset around the eight-byte steps
 * of the ASCII path, both ways. */
TEST(Utf8, EverySequenceLengthAtEveryOffset)
{
    const char *chars[] = { "\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF",
                            "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF" };
    for (const char *c : chars)
        for (int before = 0; before < 18; before++)
            for (int after = 0; after < 12; after += 5) {
                std::string text = std::string(before, 'a') + c + std::string(after, 'z');
                int units = -1;
                wchar_t *w = WideFromUtf8(text.data(), (int)text.size(), &units);
                EXPECT_EQ(U8(w), text);
                EXPECT_EQ(units, before + after + (strlen(c) == 4 ? 2 : 1));
                int n = -1;
                char *back = Utf8FromWide(w, &n);
                EXPECT_EQ(std::string(back, (size_t)n), text);
                char piece[64];
                EXPECT_EQ(Utf8Encode(w, units, piece), n);
                EXPECT_EQ(std::string(piece, (size_t)n), text);
                MemFree(back);
                MemFree(w);
            }
}

TEST(Utf8, UnitsCountZerosAndInvalidBytes)
{
    int units = -1;
    wchar_t *w = WideFromUtf8("a\0b\xF0\x9F\x98\x80", 7, &units);
    EXPECT_EQ(units, 5);
    EXPECT_EQ(w[1], 0);
    EXPECT_EQ(w[2], 'b');
    EXPECT_EQ((unsigned)w[3], 0xD83Du);
    EXPECT_EQ((unsigned)w[4], 0xDE00u);
    EXPECT_EQ(w[5], 0);
    MemFree(w);
    /* an invalid byte after a long valid start: the whole text is converted again */
    std::string text = std::string(20, 'v') + "\xFF" + "w";
    w = WideFromUtf8(text.data(), (int)text.size(), &units);
    EXPECT_EQ(units, 22);
    EXPECT_EQ(StrLen(w), 22);
    EXPECT_EQ((unsigned)w[20], 0xFFFDu);
    EXPECT_EQ(w[21], 'w');
    MemFree(w);
}

TEST(Utf8, EncodeLoneSurrogatesAsTheWholeConversion)
{
    const wchar_t texts[][6] = {
        { 'a', 0xD83D, 0xDE00, 'b', 0 }, { 0xD800, 'x', 0 }, { 'x', 0xDC00, 0 }, { 0xDBFF, 0 },
        { 0xDC00, 0xD800, 0 }, { 0x7FF, 0x800, 0xFFFF, 0 },
    };
    for (const wchar_t *t : texts) {
        char piece[32];
        int n = Utf8Encode(t, StrLen(t), piece);
        int m = -1;
        char *whole = Utf8FromWide(t, &m);
        EXPECT_EQ(std::string(piece, (size_t)n), std::string(whole, (size_t)m));
        MemFree(whole);
    }
}

TEST(TextBuilder, ReserveMeansNoGrowth)
{
    TextBuilder b = {};
    b.Append(L"start");
    b.Reserve(500);
    wchar_t *buffer = b.Buffer;
    for (int i = 0; i < 500; i++)
        b.AppendChar('x');
    EXPECT_EQ(b.Buffer, buffer);
    EXPECT_EQ(b.Length, 505);
    b.Release();
}

/* A drain that keeps the text it is given, leaving Keep characters. */
struct Drained {
    std::string Text;
    int Keep;
    int Calls;
};

static int DrainAllBut(TextBuilder *b, void *context)
{
    Drained *d = (Drained *)context;
    int n = b->Length > d->Keep ? b->Length - d->Keep : 0;
    std::vector<wchar_t> part(b->Buffer, b->Buffer + n);
    part.push_back(0);
    d->Text += U8(part.data());
    d->Calls++;
    return n;
}

TEST(TextBuilder, DrainEmptiesInsteadOfGrowing)
{
    Drained d = {};
    TextBuilder b = {};
    b.Drain = DrainAllBut;
    b.DrainContext = &d;
    b.Reserve(100);
    wchar_t *buffer = b.Buffer;
    int capacity = b.Capacity;
    std::string expected;
    for (int i = 0; i < 600; i++) {
        d.Keep = i % 4;
        std::string piece = std::string((size_t)(i % 37), (char)('a' + i % 26)) + "|";
        b.Append(WText(piece));
        b.AppendChar('-');
        b.AppendFormat(L"%d", i);
        expected += piece + "-" + std::to_string(i);
    }
    EXPECT_GT(d.Calls, 10);
    EXPECT_EQ(b.Buffer, buffer);
    EXPECT_EQ(b.Capacity, capacity);
    EXPECT_EQ(d.Text + U8(b.Text()), expected);

    /* more than a whole buffer at once, or a drain that takes nothing: it grows */
    std::vector<wchar_t> big((size_t)capacity * 2, 'q');
    b.AppendN(big.data(), (int)big.size());
    EXPECT_GT(b.Capacity, capacity);
    EXPECT_EQ(d.Text + U8(b.Text()), expected + std::string(big.size(), 'q'));
    int grown = b.Capacity;
    d.Keep = 1 << 30;
    b.AppendN(big.data(), (int)big.size());
    EXPECT_GT(b.Capacity, grown);
    b.Wipe();
}
