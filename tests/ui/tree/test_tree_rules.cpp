/*
 * The server tree as the tree control shows it: order, search, where
 * nodes go, drops, duplicates and deletes.
 */
#include <gtest/gtest.h>

#include "config/server_tree.h"
#include "core/text.h"
#include "ui/tree/tree_rules.h"
#include "test_util.h"

namespace {

ServerNode *Add(ServerNode *folder, int type, const char *name, const char *host = nullptr)
{
    ServerNode *n = NodeNew(type);
    StrAssign(&n->DisplayName, WText(name));
    if (host)
        StrAssign(&n->ServerName, WText(host));
    NodeAppendChild(folder, n);
    return n;
}

/* Top level: [web: [inner: deep] www1 www2] [empty] db; then the saved
 * sessions folder with two entries. */
struct TreeRules : ::testing::Test {
    ServerNode *web, *inner, *deep, *www1, *www2, *empty, *db, *saved1, *saved2;

    void SetUp() override
    {
        ResetModel();
        web = Add(ServersRoot, NODE_FOLDER, "web");
        inner = Add(web, NODE_FOLDER, "inner");
        deep = Add(inner, NODE_SERVER, "deep", "10.0.0.9");
        www1 = Add(web, NODE_SERVER, "www1", "alpha.example");
        www2 = Add(web, NODE_SERVER, "www2", "beta.example");
        empty = Add(ServersRoot, NODE_FOLDER, "empty");
        db = Add(ServersRoot, NODE_SERVER, "db", "ALPHA.db");
        PuttySessionsFolder = NodeNew(NODE_FOLDER);
        StrAssign(&PuttySessionsFolder->DisplayName, L"PuTTY 세션");
        PuttySessionsFolder->IsPuttySession = true;
        saved1 = Add(PuttySessionsFolder, NODE_SERVER, "router");
        saved1->IsPuttySession = true;
        StrAssign(&saved1->SavedSession, L"router");
        saved2 = Add(PuttySessionsFolder, NODE_SERVER, "switch");
        saved2->IsPuttySession = true;
    }
    void TearDown() override { ResetModel(); }

    std::string Order()
    {
        std::string out;
        for (ServerNode *n = NextNodeInOrder(nullptr); n; n = NextNodeInOrder(n))
            out += (out.empty() ? "" : " ") + U8(n->DisplayName);
        return out;
    }
};

} // namespace

TEST_F(TreeRules, DisplayOrderIsDepthFirstWithSavedSessionsLast)
{
    EXPECT_EQ(Order(), "web inner deep www1 www2 empty db PuTTY 세션 router switch");
    /* collapsed folders take part as if open */
    web->Expanded = 0;
    EXPECT_EQ(NextNodeInOrder(deep), www1);
    EXPECT_EQ(NextNodeInOrder(saved2), nullptr);
}

TEST_F(TreeRules, EmptyTreeShowsOnlyTheSavedSessions)
{
    ResetModel();
    EXPECT_EQ(NextNodeInOrder(nullptr), nullptr);
    PuttySessionsFolder = NodeNew(NODE_FOLDER);
    EXPECT_EQ(NextNodeInOrder(nullptr), PuttySessionsFolder);
    EXPECT_EQ(NextNodeInOrder(PuttySessionsFolder), nullptr);
}

TEST_F(TreeRules, SearchMatchesNamesAndHostsOnly)
{
    EXPECT_TRUE(NodeMatches(www1, L"ALPHA"));
    EXPECT_TRUE(NodeMatches(www1, L"ww"));
    StrAssign(&web->ServerName, L"alpha");     /* a folder's host is never searched */
    EXPECT_FALSE(NodeMatches(web, L"alpha"));
    StrAssign(&www2->UserName, L"zed");
    StrAssign(&www2->SavedSession, L"zed");
    EXPECT_FALSE(NodeMatches(www2, L"zed"));
    /* "putty" finds the folder and, through it, its entries by name */
    EXPECT_TRUE(NodeMatches(PuttySessionsFolder, L"putty"));
}

TEST_F(TreeRules, FindGoesOnFromTheSelectionAndWraps)
{
    EXPECT_EQ(FindMatch(nullptr, L"alpha"), www1);
    EXPECT_EQ(FindMatch(www1, L"alpha"), db);
    EXPECT_EQ(FindMatch(db, L"alpha"), www1);   /* wrapped */
    /* the only match is the selection itself: found again, no beep */
    EXPECT_EQ(FindMatch(deep, L"10.0.0"), deep);
    EXPECT_EQ(FindMatch(deep, L"nowhere"), nullptr);
    EXPECT_EQ(FindMatch(nullptr, L"nowhere"), nullptr);
    EXPECT_EQ(FindMatch(www1, L""), nullptr);
    EXPECT_EQ(FindMatch(saved1, L"switch"), saved2);
    EXPECT_EQ(FindMatch(saved2, L"web"), web);
}

/* What the live filter shows: servers by name, host, user or saved
 * session; a folder exactly when something below it passes. */
TEST_F(TreeRules, FilterShowsMatchesAndTheFoldersLeadingThere)
{
    StrAssign(&www2->UserName, L"Zed");
    StrAssign(&saved2->SavedSession, L"core-SW");
    auto shown = [&](const wchar_t *text) {
        std::string out;
        for (ServerNode *n = NextNodeInOrder(nullptr); n; n = NextNodeInOrder(n))
            if (FilterShows(n, text))
                out += (out.empty() ? "" : " ") + U8(n->DisplayName);
        return out;
    };
    EXPECT_EQ(shown(L"ALPHA"), "web www1 db");
    EXPECT_EQ(shown(L"zed"), "web www2");
    EXPECT_EQ(shown(L"10.0"), "web inner deep");
    EXPECT_EQ(shown(L"sw"), "PuTTY 세션 switch");
    EXPECT_EQ(shown(L"www"), "web www1 www2");
    /* a folder's own name shows nothing: only what lies below counts */
    EXPECT_EQ(shown(L"web"), "");
    EXPECT_EQ(shown(L"empty"), "");
    EXPECT_EQ(shown(L"putty"), "");
    EXPECT_FALSE(FilterPasses(web, L"web"));

    /* Enter and F3 walk the shown servers, wrapping */
    EXPECT_EQ(FindFilterMatch(nullptr, L"alpha"), www1);
    EXPECT_EQ(FindFilterMatch(www1, L"alpha"), db);
    EXPECT_EQ(FindFilterMatch(db, L"alpha"), www1);
    EXPECT_EQ(FindFilterMatch(nullptr, L"web"), nullptr);
}

/* A node shows its own colour, else its nearest folder's. */
TEST_F(TreeRules, ShownColourFollowsTheFolders)
{
    EXPECT_EQ(NodeShownColor(deep), NODE_COLOR_NONE);
    web->Color = NODE_COLOR_RED;
    EXPECT_EQ(NodeShownColor(deep), NODE_COLOR_RED);
    inner->Color = NODE_COLOR_BLUE;
    EXPECT_EQ(NodeShownColor(deep), NODE_COLOR_BLUE);
    deep->Color = NODE_COLOR_GREY;
    EXPECT_EQ(NodeShownColor(deep), NODE_COLOR_GREY);
    EXPECT_EQ(NodeShownColor(www1), NODE_COLOR_RED);
    EXPECT_EQ(NodeShownColor(db), NODE_COLOR_NONE);
    db->Color = 9;      /* damaged: none, and it follows its folder */
    EXPECT_EQ(NodeShownColor(db), NODE_COLOR_NONE);
    EXPECT_EQ(NodeShownColor(nullptr), NODE_COLOR_NONE);
}

TEST_F(TreeRules, AddedNodesGoWhereTheSelectionSays)
{
    EXPECT_EQ(InsertionFolder(nullptr), ServersRoot);
    EXPECT_EQ(InsertionFolder(inner), inner);
    EXPECT_EQ(InsertionFolder(www1), web);
    EXPECT_EQ(InsertionFolder(db), ServersRoot);
    EXPECT_EQ(InsertionFolder(PuttySessionsFolder), ServersRoot);
    EXPECT_EQ(InsertionFolder(saved1), ServersRoot);

    EXPECT_EQ(BulkPasswordFolder(www1), web);
    EXPECT_EQ(BulkPasswordFolder(db), ServersRoot);
    EXPECT_EQ(BulkPasswordFolder(empty), empty);
    EXPECT_EQ(BulkPasswordFolder(saved1), nullptr);
    EXPECT_EQ(BulkPasswordFolder(PuttySessionsFolder), nullptr);
    EXPECT_EQ(BulkPasswordFolder(nullptr), nullptr);
}

TEST_F(TreeRules, SelectionAfterDelete)
{
    EXPECT_EQ(DeleteSuccessor(www1), www2);
    EXPECT_EQ(DeleteSuccessor(www2), web);      /* last child: its folder */
    EXPECT_EQ(DeleteSuccessor(deep), inner);
    EXPECT_EQ(DeleteSuccessor(empty), db);
    EXPECT_EQ(DeleteSuccessor(db), nullptr);    /* last of the top level */
}

TEST_F(TreeRules, DuplicateIsIndependentAndNamedSafely)
{
    ServerNode *copy = DuplicateNode(web);
    EXPECT_EQ(web->NextSibling, copy);
    EXPECT_EQ(TreeShape(copy), "[inner: deep] www1 www2");
    EXPECT_EQ(U8(copy->DisplayName), "web (복사본)");
    ServerNode *copiedWww1 = copy->FirstChild->NextSibling;
    EXPECT_NE(U8(copiedWww1->UID), U8(www1->UID));

    wchar_t name[DUPLICATE_NAME_MAX];
    DuplicateName(nullptr, name);
    EXPECT_EQ(U8(name), " (복사본)");

    /* a name that would not fit is shortened, never overrun */
    std::vector<wchar_t> longName(1000, L'x');
    longName.push_back(0);
    DuplicateName(longName.data(), name);
    EXPECT_EQ(StrLen(name), DUPLICATE_NAME_MAX - 1);
    EXPECT_EQ(U8(name).substr(U8(name).size() - 12), " (복사본)");
    /* nor cut through a surrogate pair */
    std::vector<wchar_t> pairs;
    for (int i = 0; i < 200; i++) {
        pairs.push_back(0xD83D);
        pairs.push_back(0xDE00);
    }
    pairs.push_back(0);
    DuplicateName(pairs.data(), name);
    int n = StrLen(name) - 6;
    EXPECT_EQ(n % 2, 0);
    EXPECT_EQ(name[n - 1], 0xDE00);
}

TEST_F(TreeRules, DropMovesIntoFoldersAndAfterServers)
{
    EXPECT_EQ(DropNode(db, empty, false), db);
    EXPECT_EQ(TreeShape(ServersRoot), "[web: [inner: deep] www1 www2] [empty: db]");
    EXPECT_EQ(empty->Expanded, 1);
    /* onto a server inside another folder: right after it */
    EXPECT_EQ(DropNode(empty, www1, false), empty);
    EXPECT_EQ(TreeShape(ServersRoot), "[web: [inner: deep] www1 [empty: db] www2]");
    /* below the last item: the end of the top level */
    EXPECT_EQ(DropNode(deep, nullptr, false), deep);
    EXPECT_EQ(TreeShape(ServersRoot), "[web: [inner] www1 [empty: db] www2] deep");
}

TEST_F(TreeRules, RefusedDropsChangeNothing)
{
    std::string before = TreeShape(ServersRoot);
    EXPECT_EQ(DropNode(web, inner, false), nullptr);    /* into its own subtree */
    EXPECT_EQ(DropNode(web, deep, false), nullptr);
    EXPECT_EQ(DropNode(web, web, false), nullptr);
    EXPECT_EQ(DropNode(db, PuttySessionsFolder, false), nullptr);
    EXPECT_EQ(DropNode(db, saved1, true), nullptr);
    EXPECT_EQ(DropNode(PuttySessionsFolder, empty, false), nullptr);
    EXPECT_EQ(TreeShape(ServersRoot), before);
    EXPECT_EQ(TreeShape(PuttySessionsFolder), "router switch");
}

TEST_F(TreeRules, CopyingDropsLeaveTheSourceInPlace)
{
    ServerNode *copy = DropNode(www1, empty, true);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, www1);
    EXPECT_EQ(TreeShape(ServersRoot), "[web: [inner: deep] www1 www2] [empty: www1] db");
    EXPECT_NE(U8(copy->UID), U8(www1->UID));

    /* a saved session always copies, as an ordinary server */
    StrAssign(&saved1->DisplayName, nullptr);
    ServerNode *server = DropNode(saved1, empty, false);
    ASSERT_NE(server, nullptr);
    EXPECT_FALSE(server->IsPuttySession);
    EXPECT_EQ(U8(server->SavedSession), "router");
    EXPECT_EQ(U8(server->DisplayName), "router");      /* an empty name takes the session's */
    EXPECT_EQ(saved1->Parent, PuttySessionsFolder);
    EXPECT_EQ(NodeCountServers(PuttySessionsFolder), 2);
}

static void Collect(ServerNode *server, void *context)
{
    *(std::string *)context += U8(server->DisplayName) + " ";
}

TEST_F(TreeRules, FolderConnectVisitsServersDepthFirst)
{
    std::string seen;
    ForEachServer(ServersRoot, Collect, &seen);
    EXPECT_EQ(seen, "deep www1 www2 db ");
    seen.clear();
    ForEachServer(empty, Collect, &seen);
    EXPECT_EQ(seen, "");
}
