/*
 * Base64, password protection and identifiers.
 */
#include <gtest/gtest.h>

#include <set>
#include <string.h>

#include "core/protect.h"
#include "core/text.h"
#include "test_util.h"

static std::string Enc(const std::string &bytes)
{
    wchar_t *t = Base64Encode((const uint8_t *)bytes.data(), (int)bytes.size());
    std::string out = U8(t);
    MemFree(t);
    return out;
}

static std::string Dec(const std::string &text)
{
    int n = -1;
    uint8_t *b = Base64Decode(WText(text), &n);
    std::string out((const char *)b, (size_t)n);
    MemFree(b);
    return out;
}

TEST(Base64, Rfc4648Vectors)
{
    EXPECT_EQ(Enc(""), "");
    EXPECT_EQ(Enc("f"), "Zg==");
    EXPECT_EQ(Enc("fo"), "Zm8=");
    EXPECT_EQ(Enc("foo"), "Zm9v");
    EXPECT_EQ(Enc("foob"), "Zm9vYg==");
    EXPECT_EQ(Enc("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Enc("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Enc(std::string("\xFF\xFE\x00", 3)), "//4A");
    EXPECT_EQ(Enc("\xFB\xEF"), "++8=");
}

TEST(Base64, DecoderSkipsNoise)
{
    EXPECT_EQ(Dec("Zm9vYmFy"), "foobar");
    EXPECT_EQ(Dec("Zm9v\r\nYm Fy"), "foobar");
    EXPECT_EQ(Dec("Zm9vYg"), "foob");
    EXPECT_EQ(Dec("Zm9vYmE"), "fooba");
    EXPECT_EQ(Dec("*Z*m*8*=*"), "fo");
    EXPECT_EQ(Dec(""), "");
    EXPECT_EQ(Dec("Z"), "");
    EXPECT_EQ(Dec("//4A"), std::string("\xFF\xFE\x00", 3));
    std::string all;
    for (int i = 0; i < 256; i++)
        all += (char)i;
    for (size_t len = 0; len < all.size(); len += 7)
        EXPECT_EQ(Dec(Enc(all.substr(0, len))), all.substr(0, len));
}

TEST(Protect, RoundTrip)
{
    const char *passwords[] = { "secret", "p<a&s\"s'", "한글비번😀", "x" };
    for (const char *p : passwords) {
        wchar_t *prot = ProtectPassword(WText(p));
        ASSERT_NE(prot, nullptr) << p;
        if (strlen(p) > 3)
            EXPECT_EQ(U8(prot).find(p), std::string::npos);
        wchar_t *back = UnprotectPassword(prot);
        EXPECT_EQ(U8(back), p);
        StrFreeSecret(back);
        MemFree(prot);
    }
}

TEST(Protect, EmptyAndForeignInput)
{
    EXPECT_EQ(ProtectPassword(L""), nullptr);
    EXPECT_EQ(ProtectPassword(NULL), nullptr);
    EXPECT_EQ(UnprotectPassword(L""), nullptr);
    EXPECT_EQ(UnprotectPassword(NULL), nullptr);
    EXPECT_EQ(UnprotectPassword(L"Zm9vYmFy"), nullptr);
    EXPECT_EQ(UnprotectPassword(L"not base64 at all!"), nullptr);
    wchar_t *prot = ProtectPassword(L"secret");
    ASSERT_NE(prot, nullptr);
    /* a blob cut short cannot be opened */
    prot[StrLen(prot) / 2] = 0;
    EXPECT_EQ(UnprotectPassword(prot), nullptr);
    MemFree(prot);
}

TEST(Uid, RegistryFormAndUnique)
{
    std::set<std::string> seen;
    for (int i = 0; i < 200; i++) {
        wchar_t *u = NewUid();
        std::string s = U8(u);
        MemFree(u);
        ASSERT_EQ(s.size(), 38u) << s;
        EXPECT_EQ(s[0], '{');
        EXPECT_EQ(s[37], '}');
        for (int k : { 9, 14, 19, 24 })
            EXPECT_EQ(s[(size_t)k], '-') << s;
        for (char c : s)
            EXPECT_TRUE(c == '{' || c == '}' || c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << s;
        EXPECT_TRUE(seen.insert(s).second);
    }
}
