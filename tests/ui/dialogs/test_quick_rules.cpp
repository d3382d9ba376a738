/*
 * Quick connect without windows: the history of targets, reading
 * user@host:port (IPv6 addresses included) and finding a server by name.
 */
#include <gtest/gtest.h>

#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "ui/dialogs/quick_rules.h"
#include "test_util.h"

namespace {

ServerNode *Add(ServerNode *folder, int type, const char *name)
{
    ServerNode *n = NodeNew(type);
    if (name)
        StrAssign(&n->DisplayName, WText(name));
    NodeAppendChild(folder, n);
    return n;
}

struct QuickRules : ::testing::Test {
    void SetUp() override { ResetModel(); }
    void TearDown() override { ResetModel(); }

    /* The history, slot 0 first, "|" between; "." marks a gap. */
    static std::string Recents()
    {
        std::string out;
        int last = RECENT_MAX - 1;
        while (last >= 0 && !Settings.Recents[last])
            last--;
        for (int i = 0; i <= last; i++)
            out += (i ? "|" : "") + (Settings.Recents[i] ? U8(Settings.Recents[i]) : std::string("."));
        return out;
    }
    static void AddAll(std::initializer_list<const char *> texts)
    {
        for (const char *t : texts)
            AddRecent(WText(t));
    }
};

/* What the target gives a fresh server: "user host port", "-" for none. */
std::string Parsed(const char *target)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    ParseTarget(WText(target), n);
    std::string s = (n->UserName ? U8(n->UserName) : "-") + " " + (n->ServerName ? U8(n->ServerName) : "-") +
                    " " + (n->Port ? std::to_string(n->Port) : "-");
    NodeFree(n);
    return s;
}

} // namespace

TEST_F(QuickRules, HistoryPutsNewTargetsFirstAndKeepsFifteen)
{
    AddRecent(L"");
    AddRecent(nullptr);
    EXPECT_EQ(Recents(), "");
    AddAll({ "a", "b", "c" });
    EXPECT_EQ(Recents(), "c|b|a");
    AddAll({ "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o" });
    EXPECT_EQ(Recents(), "o|n|m|l|k|j|i|h|g|f|e|d|c|b|a");
    /* a sixteenth drops the oldest */
    AddRecent(L"p");
    EXPECT_EQ(Recents(), "p|o|n|m|l|k|j|i|h|g|f|e|d|c|b");
}

TEST_F(QuickRules, HistoryMovesAKnownTargetUpInItsStoredCase)
{
    AddAll({ "web1", "db1", "root@h:22", "서버", "app" });
    ASSERT_EQ(Recents(), "app|서버|root@h:22|db1|web1");
    const wchar_t *stored = Settings.Recents[3];
    AddRecent(L"DB1");
    EXPECT_EQ(Recents(), "db1|app|서버|root@h:22|web1");
    EXPECT_EQ(Settings.Recents[0], stored);     /* moved, not copied */
    /* already first: nothing moves, the case stays */
    AddRecent(L"Db1");
    EXPECT_EQ(Recents(), "db1|app|서버|root@h:22|web1");

    /* the last slot of a full history moves up without a loss */
    AddAll({ "a", "b", "c", "d", "e", "f", "g", "h", "i", "j" });
    ASSERT_EQ(Settings.Recents[14] ? U8(Settings.Recents[14]) : "", "web1");
    AddRecent(L"WEB1");
    EXPECT_EQ(Recents(), "web1|j|i|h|g|f|e|d|c|b|a|db1|app|서버|root@h:22");
}

TEST_F(QuickRules, TargetGivesUserHostAndPort)
{
    EXPECT_EQ(Parsed("admin@db1:822"), "admin db1 822");
    EXPECT_EQ(Parsed("db1"), "- db1 -");
    /* nothing above 0 after the colon: it stays in the host */
    EXPECT_EQ(Parsed("db1:"), "- db1: -");
    EXPECT_EQ(Parsed("db1:0"), "- db1:0 -");
    EXPECT_EQ(Parsed("db1:-22"), "- db1:-22 -");
    EXPECT_EQ(Parsed("db1:x22"), "- db1:x22 -");
    /* digits up to the first other character, blanks skipped */
    EXPECT_EQ(Parsed("db1:22x"), "- db1 22");
    EXPECT_EQ(Parsed("db1: 2222"), "- db1 2222");
    /* the first "@" splits; an empty user is none */
    EXPECT_EQ(Parsed("@db1:22"), "- db1 22");
    EXPECT_EQ(Parsed("a@b@c"), "a b@c -");
    EXPECT_EQ(Parsed("운영자@서버"), "운영자 서버 -");
    EXPECT_EQ(Parsed("root@"), "root - -");
    EXPECT_EQ(Parsed(""), "- - -");
}

TEST_F(QuickRules, TargetLeavesWhatItDoesNotGive)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    StrAssign(&n->UserName, L"ops");
    StrAssign(&n->ServerName, L"old");
    n->Port = 2200;
    ParseTarget(L"web1", n);
    EXPECT_EQ(U8(n->UserName), "ops");
    EXPECT_EQ(U8(n->ServerName), "web1");
    EXPECT_EQ(n->Port, 2200);
    /* an "@" with nothing before it clears the user */
    ParseTarget(L"@web2:0", n);
    EXPECT_EQ(n->UserName, nullptr);
    EXPECT_EQ(U8(n->ServerName), "web2:0");
    EXPECT_EQ(n->Port, 2200);
    NodeFree(n);
}

TEST_F(QuickRules, OnlyATextWithAHostIsATarget)
{
    for (const char *t : { "db1", "root@web1:822", "운영자@서버", "[fe80::1]:22", "fe80::1", "db1:0", "a@b@c" })
        EXPECT_TRUE(TargetIsHost(WText(t))) << t;
    /* blanks and control characters (a password typed by mistake), or
     * nothing left for the host */
    for (const char *t : { "", "my pass word", "db1 ", " db1", "db1: 2222", "a\tb", "pw\r\n", "x\x01y", "x\x7Fy",
                           "root@", "@", "@:22", ":22" })
        EXPECT_FALSE(TargetIsHost(WText(t))) << t;
    EXPECT_FALSE(TargetIsHost(NULL));
}

TEST_F(QuickRules, IPv6AddressesKeepTheirColons)
{
    /* bare: every colon belongs to the address, so there is no port */
    EXPECT_EQ(Parsed("fe80::1"), "- fe80::1 -");
    EXPECT_EQ(Parsed("::1"), "- ::1 -");
    EXPECT_EQ(Parsed("root@2001:db8::22"), "root 2001:db8::22 -");
    EXPECT_EQ(Parsed("2001:db8:0:0:0:0:0:1"), "- 2001:db8:0:0:0:0:0:1 -");
    /* bracketed: the host without the brackets, with or without port */
    EXPECT_EQ(Parsed("[fe80::1]:2222"), "- fe80::1 2222");
    EXPECT_EQ(Parsed("root@[fe80::1]:22"), "root fe80::1 22");
    EXPECT_EQ(Parsed("[fe80::1]"), "- fe80::1 -");
    EXPECT_EQ(Parsed("[fe80::1%eth0]:22"), "- fe80::1%eth0 22");
    EXPECT_EQ(Parsed("[db1]:22"), "- db1 22");
    EXPECT_EQ(Parsed("[fe80::1]:22x"), "- fe80::1 22");
    /* anything else in brackets stays as written */
    EXPECT_EQ(Parsed("[fe80::1]:0"), "- [fe80::1]:0 -");
    EXPECT_EQ(Parsed("[fe80::1]:"), "- [fe80::1]: -");
    EXPECT_EQ(Parsed("[fe80::1]x"), "- [fe80::1]x -");
    EXPECT_EQ(Parsed("[fe80::1"), "- [fe80::1 -");
    EXPECT_EQ(Parsed("[db1"), "- [db1 -");
    /* empty brackets hold no address: the rule for one colon applies */
    EXPECT_EQ(Parsed("[]:22"), "- [] 22");
}

TEST_F(QuickRules, FindsTheFirstServerDepthFirst)
{
    ServerNode *web = Add(ServersRoot, NODE_FOLDER, "web");
    ServerNode *inner = Add(web, NODE_FOLDER, "db");         /* a folder never matches */
    ServerNode *deep = Add(inner, NODE_SERVER, "DB");
    ServerNode *later = Add(ServersRoot, NODE_SERVER, "db");
    ServerNode *nameless = Add(ServersRoot, NODE_SERVER, nullptr);
    ServerNode *korean = Add(ServersRoot, NODE_SERVER, "운영 서버");
    EXPECT_EQ(FindServerByName(ServersRoot, L"db"), deep);
    EXPECT_EQ(FindServerByName(inner, L"db"), deep);
    EXPECT_EQ(FindServerByName(ServersRoot, WText("운영 서버")), korean);
    EXPECT_EQ(FindServerByName(ServersRoot, L"web"), nullptr);
    EXPECT_EQ(FindServerByName(ServersRoot, L"d"), nullptr);      /* whole names only */
    /* a missing name reads as empty */
    EXPECT_EQ(FindServerByName(ServersRoot, L""), nameless);
    /* the root itself is not tested */
    EXPECT_EQ(FindServerByName(deep, L"DB"), nullptr);
    NodeUnlink(deep);
    NodeFree(deep);
    EXPECT_EQ(FindServerByName(ServersRoot, L"DB"), later);
    EXPECT_EQ(FindServerByName(nullptr, L"db"), nullptr);
}
