/*
 * The bulk password change without windows: which servers it reaches and
 * what it leaves in them.
 */
#include <gtest/gtest.h>

#include <string>

#include "config/server_tree.h"
#include "core/text.h"
#include "ui/dialogs/bulk_rules.h"
#include "test_util.h"

namespace {

/* [ops: a (admin, no password, -pw in its arguments) b (root, has one)
 * [deep: c (custom command -l ADMIN)]] d (-l admin without the custom
 * mark) e (ADMIN, host E.Internal); login data and saved sessions
 * beside. */
struct BulkRules : ::testing::Test {
    ServerNode *ops, *a, *b, *deep, *c, *d, *e, *login, *saved;

    void SetUp() override
    {
        ResetModel();
        ops = AddNode(ServersRoot, NODE_FOLDER, "ops");
        a = AddServer(ops, "a", "admin", "", "-ssh -pw old a.example");
        a->NeedsPassword = true;
        b = AddServer(ops, "b", "root", "keep");
        deep = AddNode(ops, NODE_FOLDER, "deep");
        c = AddServer(deep, "c", "", "", "-ssh -l ADMIN c.example");
        c->CustomCmd = 1;
        d = AddServer(ServersRoot, "d", "", "", "-l admin");
        e = AddServer(ServersRoot, "e", "ADMIN", "");
        StrAssign(&e->ServerName, L"E.Internal");
        login = AddServer(PuttyLoginRoot, "login", "admin", "");
        PuttySessionsFolder = NodeNew(NODE_FOLDER);
        saved = AddServer(PuttySessionsFolder, "saved", "admin", "");
        saved->IsPuttySession = true;
    }
    void TearDown() override { ResetModel(); }

    static std::string Password(ServerNode *n) { return U8(NodePassword(n)); }
};

} // namespace

TEST_F(BulkRules, PasswordsAreCheckedExactly)
{
    EXPECT_EQ(CheckBulkPasswords(L"", L""), BULK_PASSWORD_EMPTY);
    EXPECT_EQ(CheckBulkPasswords(nullptr, L"x"), BULK_PASSWORD_EMPTY);
    EXPECT_EQ(CheckBulkPasswords(L"Secret", L"secret"), BULK_PASSWORDS_DIFFER);
    EXPECT_EQ(CheckBulkPasswords(L"abc", L"abcd"), BULK_PASSWORDS_DIFFER);
    EXPECT_EQ(CheckBulkPasswords(L"abc", L""), BULK_PASSWORDS_DIFFER);
    /* two spellings of 가 that a locale comparison may take as one */
    EXPECT_EQ(CheckBulkPasswords(L"\xAC00", L"\x1100\x1161"), BULK_PASSWORDS_DIFFER);
    EXPECT_EQ(CheckBulkPasswords(L"비밀 1", L"비밀 1"), BULK_PASSWORDS_OK);
    EXPECT_EQ(U8(BulkPasswordProblemText(BULK_PASSWORD_EMPTY)), "새 비밀번호를 입력하세요.");
    EXPECT_EQ(U8(BulkPasswordProblemText(BULK_PASSWORDS_DIFFER)), "두 비밀번호가 다릅니다.");
}

TEST_F(BulkRules, ScopeAndLabel)
{
    wchar_t *label = BulkFolderLabel(ops);
    EXPECT_EQ(U8(label), "선택한 폴더: ops");
    MemFree(label);
    /* a top-level server offers ServersRoot, which has no name */
    label = BulkFolderLabel(ServersRoot);
    EXPECT_EQ(U8(label), "선택한 폴더: ");
    MemFree(label);
    EXPECT_EQ(BulkScope(ops, true), ops);
    EXPECT_EQ(BulkScope(ops, false), ServersRoot);
    EXPECT_EQ(BulkScope(nullptr, true), ServersRoot);
}

TEST_F(BulkRules, UserTest)
{
    EXPECT_TRUE(BulkUserMatches(a, L"ADMIN"));
    EXPECT_TRUE(BulkUserMatches(e, L"admin"));
    EXPECT_FALSE(BulkUserMatches(b, L"admin"));
    /* -l in the arguments counts only for a custom command line */
    EXPECT_TRUE(BulkUserMatches(c, L"admin"));
    EXPECT_FALSE(BulkUserMatches(d, L"admin"));
    EXPECT_FALSE(BulkUserMatches(c, L"root"));

    /* a user of 128 characters is looked for after -l, a longer one not */
    std::string u128(128, 'u');
    StrAssign(&c->CLParams, WText("-l " + u128 + "u"));
    EXPECT_TRUE(BulkUserMatches(c, WText(u128)));
    EXPECT_FALSE(BulkUserMatches(c, WText(u128 + "u")));
    StrAssign(&c->UserName, WText(u128 + "u"));
    EXPECT_TRUE(BulkUserMatches(c, WText(u128 + "U")));    /* the name itself still counts */
    StrAssign(&c->CLParams, nullptr);
    EXPECT_FALSE(BulkUserMatches(c, L"admin"));
}

TEST_F(BulkRules, Filters)
{
    BulkFilter all = { L"", L"", false };
    for (ServerNode *n : { a, b, c, d, e })
        EXPECT_TRUE(BulkSelects(n, &all)) << U8(n->DisplayName);

    /* the default: servers that already have a password keep it */
    BulkFilter empty = { nullptr, nullptr, true };
    EXPECT_TRUE(BulkSelects(a, &empty));
    EXPECT_FALSE(BulkSelects(b, &empty));

    /* the text in the host or the arguments, any case; not the name */
    BulkFilter host = { L"", L"e.INTERNAL", false };
    EXPECT_TRUE(BulkSelects(e, &host));
    EXPECT_FALSE(BulkSelects(a, &host));
    BulkFilter arg = { L"", L"-SSH", false };
    EXPECT_TRUE(BulkSelects(a, &arg));
    EXPECT_TRUE(BulkSelects(c, &arg));
    EXPECT_FALSE(BulkSelects(b, &arg));
    BulkFilter name = { L"", L"ops", false };
    EXPECT_FALSE(BulkSelects(a, &name));

    /* all three together */
    BulkFilter three = { L"admin", L"example", true };
    EXPECT_TRUE(BulkSelects(a, &three));
    EXPECT_TRUE(BulkSelects(c, &three));
    EXPECT_FALSE(BulkSelects(e, &three));       /* host E.Internal */
    EXPECT_FALSE(BulkSelects(d, &three));       /* no custom mark */
}

TEST_F(BulkRules, WalkChangesTheFilteredServersOnly)
{
    BulkFilter admins = { L"admin", L"", true };
    EXPECT_EQ(BulkChangePasswords(ops, &admins, L"new"), 2);      /* a, and c below deep */
    EXPECT_EQ(Password(a), "new");
    EXPECT_EQ(Password(c), "new");
    EXPECT_EQ(Password(b), "keep");
    EXPECT_EQ(Password(e), "<null>");          /* outside the folder */
    EXPECT_FALSE(a->NeedsPassword);

    /* the whole tree; the login data and saved sessions are not in it */
    BulkFilter all = { L"", L"", false };
    EXPECT_EQ(BulkChangePasswords(BulkScope(ops, false), &all, L"x"), 5);
    for (ServerNode *n : { a, b, c, d, e })
        EXPECT_EQ(Password(n), "x") << U8(n->DisplayName);
    EXPECT_EQ(Password(login), "<null>");
    EXPECT_EQ(Password(saved), "<null>");

    /* nothing passes: nothing changes, and the count says so */
    BulkFilter none = { L"nobody", L"", false };
    EXPECT_EQ(BulkChangePasswords(ServersRoot, &none, L"y"), 0);
    EXPECT_EQ(Password(a), "x");
    EXPECT_EQ(BulkChangePasswords(nullptr, &all, L"y"), 0);
}

TEST_F(BulkRules, PasswordPairsLeaveTheArguments)
{
    BulkChangeServer(a, L"new");
    EXPECT_EQ(U8(a->CLParams), "-ssh a.example");
    EXPECT_EQ(Password(a), "new");          /* not the value of the removed pair */

    /* every pair goes, masked ones too; nothing left is no arguments */
    StrAssign(&b->CLParams, L"-pw first -v -pw \"second one\" -pw ***** -4");
    BulkChangeServer(b, L"n2");
    EXPECT_EQ(U8(b->CLParams), "-v -4");
    EXPECT_EQ(Password(b), "n2");
    StrAssign(&d->CLParams, L"-pw only");
    BulkChangeServer(d, L"n3");
    EXPECT_EQ(d->CLParams, nullptr);
    EXPECT_EQ(Password(d), "n3");

    /* a lone -pw without a value is left as it is */
    StrAssign(&e->CLParams, L"-ssh -pw");
    BulkChangeServer(e, L"n4");
    EXPECT_EQ(U8(e->CLParams), "-ssh -pw");
    EXPECT_EQ(Password(e), "n4");
}
