/*
 * The tree export file without windows: what an export holds, what
 * reading it back in either mode makes of the tree, and which files are
 * refused.
 */
#include <gtest/gtest.h>

#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "config/tree_exchange.h"
#include "core/text.h"
#include "test_util.h"

namespace {

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
        ops = AddNode(ServersRoot, NODE_FOLDER, "운영");
        ops->Expanded = 1;
        web1 = AddServer(ops, "web1", "admin", "p<&\">'w", "-A");
        web1->Port = 2222;
        StrAssign(&web1->Script, L"ls\r\n");
        db = AddNode(ops, NODE_FOLDER, "db");
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
    AddNode(ServersRoot, NODE_SERVER, "new");
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
