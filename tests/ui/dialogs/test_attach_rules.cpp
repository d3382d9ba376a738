/*
 * The attach dialog's list texts.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialogs/attach_rules.h"
#include "test_util.h"

namespace {

std::string Entry(const wchar_t *title)
{
    wchar_t out[ATTACH_TITLE_MAX + 1];
    AttachEntryText(title, out);
    return U8(out);
}

std::string Entry(const std::string &title)
{
    return Entry(WText(title).c_str());
}

} // namespace

TEST(AttachRules, EntryIsTheTitleOrAPlaceholder)
{
    EXPECT_EQ(Entry("root@db: ~"), "root@db: ~");
    EXPECT_EQ(Entry("서버 - PuTTY"), "서버 - PuTTY");
    EXPECT_EQ(Entry(""), "(제목 없음)");
    EXPECT_EQ(Entry((const wchar_t *)nullptr), "(제목 없음)");
    EXPECT_EQ(Entry(" "), " ");
}

TEST(AttachRules, LongTitlesAreCutWholeCharacters)
{
    std::string exact(ATTACH_TITLE_MAX, 'a');
    EXPECT_EQ(Entry(exact), exact);
    EXPECT_EQ(Entry(exact + "bcd"), exact);

    /* U+1F600 is two code units: a cut between them drops both */
    std::string smile = "\xF0\x9F\x98\x80";
    std::string before(ATTACH_TITLE_MAX - 1, 'a');
    EXPECT_EQ(Entry(before + smile + "z"), before);
    std::string fits(ATTACH_TITLE_MAX - 2, 'a');
    EXPECT_EQ(Entry(fits + smile + "z"), fits + smile);

    /* a lone high surrogate the title really ends with is its own */
    std::vector<wchar_t> lone(ATTACH_TITLE_MAX, L'a');
    lone.back() = 0xD83D;
    lone.push_back(0);
    wchar_t out[ATTACH_TITLE_MAX + 1];
    AttachEntryText(lone.data(), out);
    EXPECT_EQ(out[ATTACH_TITLE_MAX - 1], 0xD83D);
}
