/*
 * The tree export file and the bulk password change without windows:
 * what an export holds, what reading it back in either mode makes of the
 * tree, which files are refused, and which servers the bulk change
 * reaches and what it leaves in them.
 */
#include <gtest/gtest.h>

#include <string>

#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../config/tree_exchange.h"
#include "../core/text.h"
#include "../ui/dialogs/bulk_rules.h"
#include "test_util.h"

namespace {

ServerNode *Add(ServerNode *folder, int type, const char *name)
{
    ServerNode *n = NodeNew(type);
    StrAssign(&n->DisplayName, WText(name));
    NodeAppendChild(folder, n);
    return n;
}

ServerNode *AddServer(ServerNode *folder, const char *name, const char *user, const char *password,
                      const char *params = "")
{
    ServerNode *n = Add(folder, NODE_SERVER, name);
    StrAssign(&n->ServerName, WText(std::string(name) + ".example"));
    StrAssign(&n->UserName, WText(user));
    NodeSetPassword(n, WText(password));
    StrAssign(&n->CLParams, WText(params));
    return n;
}

/* The nodes below folder in their file form, passwords in clear: equal
 * pictures mean equal trees, UIDs included. */
std::string Picture(const ServerNode *folder)
{
    TextBuilder b = {};
    NodeWriteList(&b, folder->FirstChild, 0, true, false);
    std::string s = U8(b.Text());
    b.Release();
    return s;
}

std::string Export(bool withPasswords)
{
    int bytes = 0;
    char *utf8 = ComposeTreeExport(withPasswords, &bytes);
    std::string s(utf8, (size_t)bytes);
    MemWipe(utf8, (size_t)bytes);
    MemFree(utf8);
    return s;
}

bool Has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

const char Header[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<KestrumTree version=\"1\">\r\n\t<Servers>\r\n";
const char Footer[] = "\t</Servers>\r\n</KestrumTree>\r\n";

/* [운영 (open): web1 (a password with markup) [db: db1]] router (no
 * password). */
struct TreeExchange : ::testing::Test {
    TempDir dir;
    ServerNode *ops, *web1, *db, *db1, *router;

    void SetUp() override
    {
        ResetModel();
        ops = Add(ServersRoot, NODE_FOLDER, "운영");
        ops->Expanded = 1;
        web1 = AddServer(ops, "web1", "admin", "p<&\">'w", "-A");
        web1->Port = 2222;
        StrAssign(&web1->Script, L"ls\r\n");
        db = Add(ops, NODE_FOLDER, "db");
        db1 = AddServer(db, "db1", "root", "s3cret");
        db1->CustomCmd = 1;
        router = AddServer(ServersRoot, "router", "", "");
        router->PuttyConType = CON_TELNET;
    }
    void TearDown() override { ResetModel(); }

    int Open(const std::string &name, const std::string &content, TreeImport *import)
    {
        WriteBytes(dir.File(name), content);
        return OpenTreeImport(dir.File(name), import);
    }
};

} // namespace

TEST_F(TreeExchange, ExportLayout)
{
    std::string without = Export(false);
    EXPECT_EQ(without.substr(0, sizeof Header - 1), Header);
    EXPECT_EQ(without.substr(without.size() - (sizeof Footer - 1)), Footer);
    EXPECT_FALSE(Has(without, "Password>")) << without;
    EXPECT_FALSE(Has(without, "p&lt;"));
    /* top-level nodes at two tabs, their content one deeper; UIDs and
     * the open mark travel */
    EXPECT_TRUE(Has(without, "\r\n\t\t<Node Type=\"0\" Expanded=\"1\">\r\n\t\t\t<DisplayName>운영</DisplayName>\r\n"));
    EXPECT_TRUE(Has(without, "\t\t\t\t<UID>" + U8(web1->UID) + "</UID>\r\n"));
    EXPECT_TRUE(Has(without, "\t\t\t\t\t<UID>" + U8(db1->UID) + "</UID>\r\n"));
    EXPECT_TRUE(Has(without, "\r\n\t\t<Node Type=\"1\">\r\n\t\t\t<DisplayName>router</DisplayName>\r\n"));

    /* with passwords: in clear, escaped; none for a server without one */
    std::string with = Export(true);
    EXPECT_TRUE(Has(with, "\t\t\t\t<Password enc=\"plain\">p&lt;&amp;&quot;&gt;'w</Password>\r\n")) << with;
    EXPECT_TRUE(Has(with, "<Password enc=\"plain\">s3cret</Password>"));
    size_t count = 0;
    for (size_t at = with.find("<Password "); at != std::string::npos; at = with.find("<Password ", at + 1))
        count++;
    EXPECT_EQ(count, 2u);
    EXPECT_FALSE(Has(with, "dpapi"));

    /* an empty tree: the frame alone */
    ResetModel();
    EXPECT_EQ(Export(true), std::string(Header) + Footer);
    NodeFreeTree(ServersRoot);
    ServersRoot = NULL;
    EXPECT_EQ(Export(false), std::string(Header) + Footer);
}

TEST_F(TreeExchange, AddModeReproducesTheTreeWithItsUids)
{
    std::string before = Picture(ServersRoot);
    ASSERT_TRUE(ExportTree(dir.File("kestrum-tree.xml"), true));
    EXPECT_FALSE(PathExists(dir.File("kestrum-tree.xml.tmp")));

    TreeImport import;
    ASSERT_EQ(OpenTreeImport(dir.File("kestrum-tree.xml"), &import), TREE_FILE_TREE);
    ServerNode *folder = ApplyTreeImport(&import, false);
    EXPECT_EQ(import.Document, nullptr);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Parent, ServersRoot);
    EXPECT_EQ(folder->NextSibling, nullptr);        /* appended last */
    EXPECT_EQ(U8(folder->DisplayName), "가져온 서버");
    EXPECT_EQ(folder->Expanded, 1);
    /* the whole tree again, field for field, same UIDs and passwords */
    EXPECT_EQ(Picture(folder), before);
    EXPECT_EQ(TreeShape(ServersRoot), "[운영: web1 [db: db1]] router [가져온 서버: [운영: web1 [db: db1]] router]");
    /* the originals are first, so lookups by UID still find them */
    EXPECT_EQ(NodeFindByUid(ServersRoot, web1->UID), web1);
}

TEST_F(TreeExchange, ReplaceModeTakesThePlaceOfTheTree)
{
    ASSERT_TRUE(ExportTree(dir.File("t.xml"), true));
    std::string exported = Picture(ServersRoot);
    /* the tree changes after the export; the import brings it back */
    NodeUnlink(router);
    NodeFreeTree(router);
    Add(ServersRoot, NODE_SERVER, "new");
    TreeImport import;
    ASSERT_EQ(OpenTreeImport(dir.File("t.xml"), &import), TREE_FILE_TREE);
    ServerNode *folder = ApplyTreeImport(&import, true);
    EXPECT_EQ(folder, ServersRoot);
    EXPECT_EQ(TreeShape(ServersRoot), "[운영: web1 [db: db1]] router");
    EXPECT_EQ(Picture(ServersRoot), exported);

    /* a file with an empty Servers section empties the tree */
    ASSERT_EQ(Open("empty.xml", std::string(Header) + Footer, &import), TREE_FILE_TREE);
    ApplyTreeImport(&import, true);
    EXPECT_EQ(ServersRoot->FirstChild, nullptr);
}

TEST_F(TreeExchange, HandWrittenFiles)
{
    /* names in any case; a server without UID gets a fresh one; a
     * password without enc is dropped without a mark (no import flag);
     * a folder without a name is "폴더" */
    std::string file = "<kestrumtree><SERVERS>"
                       "<node type=\"1\"><displayname>a</displayname><ServerName>h</ServerName>"
                       "<Password>x</Password><CLParams>-pw y</CLParams></node>"
                       "<Node><Node Type=\"1\"><UID>{SAME}</UID><ServerName>only-host</ServerName></Node></Node>"
                       "</SERVERS></kestrumtree>";
    TreeImport import;
    ASSERT_EQ(Open("hand.xml", file, &import), TREE_FILE_TREE);
    ServerNode *folder = ApplyTreeImport(&import, false);
    EXPECT_EQ(TreeShape(folder), "a [폴더: only-host]");
    ServerNode *a = folder->FirstChild;
    EXPECT_FALSE(StrIsEmpty(a->UID));
    EXPECT_EQ(NodePassword(a), nullptr);
    EXPECT_FALSE(a->NeedsPassword);
    EXPECT_EQ(a->CustomCmd, 0);                     /* not guessed: the file is ours */
    EXPECT_EQ(U8(a->CLParams), "-pw y");
    EXPECT_EQ(U8(a->NextSibling->FirstChild->UID), "{SAME}");

    /* the configuration file serves too: its servers only */
    std::string config = "<?xml version=\"1.0\"?><Kestrum><Settings><PuttyPath>C:\\x\\putty.exe</PuttyPath>"
                         "<TabBottom>1</TabBottom></Settings><Servers><Node Type=\"1\"><DisplayName>c</DisplayName>"
                         "</Node></Servers><PuttySessions><Node Type=\"1\"><SavedSession>s</SavedSession></Node>"
                         "</PuttySessions></Kestrum>";
    std::string path = U8(Settings.PuttyPath);
    ASSERT_EQ(Open("kestrum.xml", config, &import), TREE_FILE_TREE);
    ApplyTreeImport(&import, true);
    EXPECT_EQ(TreeShape(ServersRoot), "c");
    EXPECT_EQ(U8(Settings.PuttyPath), path);
    EXPECT_EQ(Settings.TabBottom, 0);
    EXPECT_EQ(PuttyLoginRoot->FirstChild, nullptr);
}

TEST_F(TreeExchange, FilesThatAreNotTreesChangeNothing)
{
    std::string before = Picture(ServersRoot);
    TreeImport import;
    EXPECT_EQ(OpenTreeImport(dir.File("missing.xml"), &import), TREE_FILE_UNREADABLE);
    EXPECT_EQ(OpenTreeImport(WText(dir.path), &import), TREE_FILE_UNREADABLE);   /* a folder */
    EXPECT_EQ(Open("text.xml", "just some words", &import), TREE_FILE_FOREIGN);
    EXPECT_EQ(Open("empty.xml", "", &import), TREE_FILE_FOREIGN);
    EXPECT_EQ(Open("noservers.xml", "<KestrumTree version=\"1\"><Server/></KestrumTree>", &import),
              TREE_FILE_FOREIGN);
    EXPECT_EQ(import.Document, nullptr);
    /* Servers deeper down does not count */
    EXPECT_EQ(Open("deep.xml", "<a><b><Servers><Node Type=\"1\"/></Servers></b></a>", &import), TREE_FILE_FOREIGN);
    /* MTPuTTY's file has Servers too, but goes to its own import */
    EXPECT_EQ(Open("mtputty.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<mtputty version=\"1.0\"><Servers><Putty>"
                   "<Node Type=\"1\"><DisplayName>m</DisplayName></Node></Putty></Servers></mtputty>",
                   &import),
              TREE_FILE_MTPUTTY);
    EXPECT_EQ(import.Document, nullptr);
    EXPECT_EQ(TreeDocumentKind(nullptr), TREE_FILE_FOREIGN);
    EXPECT_EQ(Picture(ServersRoot), before);

    /* a recognised file that is then not applied leaves the tree too */
    ASSERT_EQ(Open("other.xml", "<Anything><Servers><Node Type=\"1\"/></Servers></Anything>", &import),
              TREE_FILE_TREE);
    CloseTreeImport(&import);
    EXPECT_EQ(import.Document, nullptr);
    EXPECT_EQ(Picture(ServersRoot), before);
}

TEST_F(TreeExchange, FailedExportLeavesNoFile)
{
    /* a folder that does not exist */
    WText missing(dir.path + "\\no\\such\\tree.xml");
    EXPECT_FALSE(ExportTree(missing, true));
    EXPECT_FALSE(PathExists(WText(dir.path + "\\no\\such\\tree.xml.tmp")));
    /* a folder in the way: the temporary file is made, then removed */
    WText folder(dir.path);
    EXPECT_FALSE(ExportTree(folder, true));
    EXPECT_FALSE(PathExists(WText(dir.path + ".tmp")));
    EXPECT_TRUE(PathExists(folder));
    /* a path too long for the platform */
    std::string longName = dir.path + "\\" + std::string(260, 'x') + ".xml";
    EXPECT_FALSE(ExportTree(WText(longName), false));
}

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
        ops = Add(ServersRoot, NODE_FOLDER, "ops");
        a = AddServer(ops, "a", "admin", "", "-ssh -pw old a.example");
        a->NeedsPassword = true;
        b = AddServer(ops, "b", "root", "keep");
        deep = Add(ops, NODE_FOLDER, "deep");
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
