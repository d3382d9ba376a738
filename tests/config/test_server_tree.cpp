/*
 * The server tree: operations and the Node XML form.
 */
#include <gtest/gtest.h>

#include "config/server_tree.h"
#include "core/protect.h"
#include "core/text.h"
#include "core/xml_reader.h"
#include "test_util.h"

static ServerNode *Named(int type, const char *name)
{
    ServerNode *n = NodeNew(type);
    StrAssign(&n->DisplayName, WText(name));
    return n;
}

/* Reads the Node children of the root of doc into a fresh folder. */
static ServerNode *ReadNodes(const std::string &doc, bool import)
{
    ServerNode *f = NodeNew(NODE_FOLDER);
    XmlElement *r = XmlParseDocument(WText("<r>" + doc + "</r>"));
    NodeReadList(f, r, import);
    XmlFree(r);
    return f;
}

static std::string Written(const ServerNode *n, int depth, bool plain, bool omit)
{
    TextBuilder b = {};
    NodeWrite(&b, n, depth, plain, omit);
    std::string out = U8(b.Text());
    b.Release();
    return out;
}

TEST(ServerTree, NewNodes)
{
    ServerNode *f = NodeNew(NODE_FOLDER);
    EXPECT_EQ(f->UID, nullptr);
    EXPECT_EQ(f->SavedSession, nullptr);
    EXPECT_EQ(f->PuttyConType, 0);
    ServerNode *s = NodeNew(NODE_SERVER);
    EXPECT_EQ(U8(s->UID).size(), 38u);
    EXPECT_EQ(s->PuttyConType, CON_SSH);
    EXPECT_EQ(U8(s->SavedSession), "Default Settings");
    NodeFree(f);
    NodeFree(s);
}

TEST(ServerTree, LinkingAndAncestry)
{
    ServerNode *root = NodeNew(NODE_FOLDER);
    ServerNode *a = Named(NODE_FOLDER, "a"), *b = Named(NODE_SERVER, "b"), *c = Named(NODE_SERVER, "c");
    NodeAppendChild(root, a);
    NodeAppendChild(a, b);
    NodeInsertAfter(a, c);
    EXPECT_EQ(TreeShape(root), "[a: b] c");
    EXPECT_EQ(c->Parent, root);
    EXPECT_TRUE(NodeIsAncestorOrSelf(a, b));
    EXPECT_TRUE(NodeIsAncestorOrSelf(a, a));
    EXPECT_FALSE(NodeIsAncestorOrSelf(b, a));
    EXPECT_FALSE(NodeIsAncestorOrSelf(a, c));
    NodeUnlink(a);
    EXPECT_EQ(TreeShape(root), "c");
    EXPECT_EQ(a->Parent, nullptr);
    EXPECT_EQ(a->NextSibling, nullptr);
    EXPECT_EQ(a->FirstChild, b);            /* keeps its own children */
    NodeUnlink(a);                          /* no parent: unchanged */
    NodeInsertAfter(c, a);
    NodeUnlink(c);
    EXPECT_EQ(TreeShape(root), "[a: b]");
    NodeFree(c);
    NodeFreeTree(root);
}

TEST(ServerTree, CopyKeepsUidsCloneRenews)
{
    ServerNode *f = Named(NODE_FOLDER, "f");
    ServerNode *s1 = Named(NODE_SERVER, "s1"), *sub = Named(NODE_FOLDER, "sub"), *s2 = Named(NODE_SERVER, "s2");
    StrAssign(&s1->Password, L"pw");
    s1->TreeItem = (void *)1;
    s1->NeedsPassword = true;
    NodeAppendChild(f, s1);
    NodeAppendChild(f, sub);
    NodeAppendChild(sub, s2);
    f->IsPuttySession = true;

    ServerNode *shallow = NodeCopy(f, false);
    EXPECT_EQ(shallow->FirstChild, nullptr);
    NodeFree(shallow);

    ServerNode *copy = NodeCopy(f, true);
    EXPECT_EQ(TreeShape(copy), "s1 [sub: s2]");
    EXPECT_EQ(U8(copy->FirstChild->UID), U8(s1->UID));
    EXPECT_NE(copy->FirstChild->Password, s1->Password);
    EXPECT_EQ(U8(copy->FirstChild->Password), "pw");
    EXPECT_EQ(copy->FirstChild->TreeItem, nullptr);
    EXPECT_TRUE(copy->FirstChild->NeedsPassword);
    EXPECT_TRUE(copy->IsPuttySession);
    EXPECT_EQ(copy->Parent, nullptr);

    ServerNode *clone = NodeClone(f);
    EXPECT_FALSE(clone->IsPuttySession);
    EXPECT_NE(U8(clone->FirstChild->UID), U8(s1->UID));
    EXPECT_NE(U8(clone->FirstChild->NextSibling->FirstChild->UID), U8(s2->UID));
    EXPECT_EQ(clone->UID, nullptr);         /* folders have none */
    NodeFreeTree(copy);
    NodeFreeTree(clone);
    NodeFreeTree(f);
}

TEST(ServerTree, SortIsStableFoldersFirst)
{
    ServerNode *f = NodeNew(NODE_FOLDER);
    NodeAppendChild(f, Named(NODE_SERVER, "b"));
    NodeAppendChild(f, Named(NODE_FOLDER, "z"));
    NodeAppendChild(f, Named(NODE_SERVER, "A"));
    NodeAppendChild(f, Named(NODE_FOLDER, "a"));
    NodeSortChildren(f);
    EXPECT_EQ(TreeShape(f), "[a] [z] A b");
    NodeFreeTree(f);

    f = NodeNew(NODE_FOLDER);
    const char *names[] = { "x", "X", "", "x" };
    for (int i = 0; i < 4; i++) {
        ServerNode *s = Named(NODE_SERVER, names[i]);
        s->Port = i;
        NodeAppendChild(f, s);
    }
    ServerNode *sub = Named(NODE_FOLDER, "deep");
    NodeAppendChild(sub, Named(NODE_SERVER, "2"));
    NodeAppendChild(sub, Named(NODE_SERVER, "1"));
    NodeAppendChild(f, sub);
    NodeSortChildren(f);
    std::string order;
    for (ServerNode *n = f->FirstChild; n; n = n->NextSibling)
        order += std::to_string(n->Port);
    EXPECT_EQ(order, "02013");              /* folder, empty name, then x X x as they were */
    EXPECT_EQ(TreeShape(sub), "2 1");        /* deeper levels untouched */
    NodeFreeTree(f);
    NodeSortChildren(sub = NodeNew(NODE_FOLDER));
    EXPECT_EQ(sub->FirstChild, nullptr);
    NodeFree(sub);
}

TEST(ServerTree, CountAndFind)
{
    ServerNode *f = ReadNodes(
        "<Node Type='1'><DisplayName>a</DisplayName><UID>{U1}</UID></Node>"
        "<Node Type='1'><DisplayName>b</DisplayName><UID>{U2}</UID></Node>"
        "<Node><DisplayName>sub</DisplayName>"
        "  <Node Type='1'><UID>{U3}</UID><ServerName>h3</ServerName></Node>"
        "  <Node Type='1'><UID>{u1}</UID><ServerName>dup</ServerName></Node>"
        "  <Node Type='1'><ServerName>h5</ServerName></Node></Node>", false);
    EXPECT_EQ(NodeCountServers(f), 5);
    EXPECT_EQ(NodeCountServers(f->FirstChild), 0);
    ServerNode *empty = NodeNew(NODE_FOLDER);
    EXPECT_EQ(NodeCountServers(empty), 0);
    NodeFree(empty);
    EXPECT_EQ(U8(NodeFindByUid(f, L"{u3}")->ServerName), "h3");
    EXPECT_EQ(U8(NodeFindByUid(f, L"{U1}")->DisplayName), "a");   /* the first of equal UIDs */
    EXPECT_EQ(NodeFindByUid(f, L""), nullptr);
    EXPECT_EQ(NodeFindByUid(NULL, L"{U1}"), nullptr);
    EXPECT_EQ(NodeFindByUid(f, L"{none}"), nullptr);
    NodeFreeTree(f);
}

TEST(ServerTree, PuttyLoginFind)
{
    ResetModel();
    ServerNode *a = Named(NODE_SERVER, "web");
    StrAssign(&a->SavedSession, L"Web Prod");
    NodeAppendChild(PuttyLoginRoot, a);
    EXPECT_EQ(PuttyLoginFind(L"web prod"), a);
    EXPECT_EQ(PuttyLoginFind(L"other"), nullptr);
    ResetModel();
}

TEST(ServerTree, LabelTables)
{
    EXPECT_EQ(U8(PuttyConTypeName(0)), "세션 설정 따름");
    EXPECT_EQ(U8(PuttyConTypeName(4)), "SSH");
    EXPECT_EQ(U8(PuttyConTypeName(6)), "?");
    EXPECT_EQ(U8(PuttyConTypeName(-1)), "?");
    EXPECT_EQ(U8(PasswordModeName(3)), "-pwfile (PuTTY 0.77 이상)");
    EXPECT_EQ(U8(PasswordModeName(5)), "?");
}

TEST(NodeXml, TypesAndNames)
{
    ServerNode *f = ReadNodes("<Node Type='2'><ServerName>two</ServerName></Node>"
                              "<Node><DisplayName></DisplayName></Node>"
                              "<node type='1'><displayname>lower</displayname></node>"
                              "<Node Type='1'><DisplayName></DisplayName><ServerName>host1</ServerName></Node>"
                              "<Node Type='1'></Node>"
                              "<Other Type='1'/>", false);
    EXPECT_EQ(TreeShape(f), "two [폴더] lower host1 <null>");
    ServerNode *n = f->FirstChild;
    EXPECT_EQ(n->Type, NODE_SERVER);
    EXPECT_EQ(n->SavedSession, nullptr);     /* not "Default Settings" when absent */
    EXPECT_EQ(U8(n->UID).size(), 38u);       /* fresh UID */
    EXPECT_EQ(n->NextSibling->Type, NODE_FOLDER);
    NodeFreeTree(f);
}

TEST(NodeXml, ValueRules)
{
    ServerNode *f = ReadNodes(
        "<Node Type='1'><PuttyConType>7</PuttyConType><PasswordMode>9</PasswordMode>"
        "<Port>22x</Port><UID>{KEEP}</UID></Node>"
        "<Node Type='1'><PuttyConType>-1</PuttyConType><PasswordMode>-1</PasswordMode></Node>"
        "<Node Type='1'><PuttyConType>2</PuttyConType><PasswordMode>4</PasswordMode>"
        "<PasswordDelay>250</PasswordDelay><ScriptDelay>100</ScriptDelay><CustomCmd>1</CustomCmd></Node>"
        "<Node Type='0' Expanded='5'><DisplayName>F</DisplayName></Node>", false);
    ServerNode *a = f->FirstChild, *b = a->NextSibling, *c = b->NextSibling, *d = c->NextSibling;
    EXPECT_EQ(a->PuttyConType, 0);
    EXPECT_EQ(a->PasswordMode, 0);
    EXPECT_EQ(a->Port, 22);
    EXPECT_EQ(U8(a->UID), "{KEEP}");
    EXPECT_EQ(b->PuttyConType, 0);
    EXPECT_EQ(b->PasswordMode, 0);
    EXPECT_EQ(c->PuttyConType, 2);
    EXPECT_EQ(c->PasswordMode, 4);
    EXPECT_EQ(c->PasswordDelay, 250);
    EXPECT_EQ(c->ScriptDelay, 100);
    EXPECT_EQ(c->CustomCmd, 1);
    EXPECT_EQ(d->Expanded, 5);
    EXPECT_NE(Written(d, 0, false, false).find("Expanded=\"1\""), std::string::npos);
    NodeFreeTree(f);
    f = ReadNodes("<Node Type='1'></Node>", false);
    EXPECT_EQ(f->FirstChild->PuttyConType, CON_SSH);
    NodeFreeTree(f);
    /* delays between 0 and nine digits, so that adding two never overflows */
    f = ReadNodes("<Node Type='1'><PasswordDelay>-250</PasswordDelay><ScriptDelay>2147483647</ScriptDelay></Node>"
                  "<Node Type='1'><PasswordDelay>99999999999</PasswordDelay><ScriptDelay>999999999</ScriptDelay></Node>",
                  false);
    EXPECT_EQ(f->FirstChild->PasswordDelay, 0);
    EXPECT_EQ(f->FirstChild->ScriptDelay, 999999999);
    EXPECT_EQ(f->FirstChild->NextSibling->PasswordDelay, 999999999);
    EXPECT_EQ(f->FirstChild->NextSibling->ScriptDelay, 999999999);
    NodeFreeTree(f);
}

TEST(NodeXml, PasswordsAndImportFlag)
{
    const char *doc =
        "<Node Type='1'><DisplayName>noenc</DisplayName><Password>x</Password></Node>"
        "<Node Type='1'><DisplayName>plain</DisplayName><Password enc='PLAIN'>p&amp;w</Password></Node>"
        "<Node Type='1'><DisplayName>foreign</DisplayName><Password enc='dpapi'>Zm9v</Password></Node>"
        "<Node Type='1'><DisplayName>odd</DisplayName><Password enc='rot13'>x</Password></Node>"
        "<Node Type='1'><DisplayName>empty</DisplayName><Password enc='plain'></Password></Node>"
        "<Node Type='1'><DisplayName>cmd</DisplayName><CLParams>-ssh -v</CLParams></Node>"
        "<Node Type='1'><DisplayName>cmd0</DisplayName><CLParams>-v</CLParams><CustomCmd>0</CustomCmd></Node>";
    for (int import = 0; import < 2; import++) {
        ServerNode *f = ReadNodes(doc, import != 0);
        ServerNode *n[7];
        int i = 0;
        for (ServerNode *c = f->FirstChild; c; c = c->NextSibling)
            n[i++] = c;
        ASSERT_EQ(i, 7);
        EXPECT_EQ(n[0]->Password, nullptr);
        EXPECT_EQ(n[0]->NeedsPassword, import != 0);
        EXPECT_EQ(U8(n[1]->Password), "p&w");
        EXPECT_FALSE(n[1]->NeedsPassword);
        EXPECT_EQ(n[2]->Password, nullptr);
        EXPECT_EQ(n[2]->NeedsPassword, import != 0);
        EXPECT_EQ(n[3]->NeedsPassword, import != 0);
        EXPECT_FALSE(n[4]->NeedsPassword);   /* an empty element is no password to take */
        EXPECT_EQ(n[5]->CustomCmd, import ? 1 : 0);
        EXPECT_EQ(n[6]->CustomCmd, 0);
        NodeFreeTree(f);
    }
}

TEST(NodeXml, WriteForms)
{
    ServerNode *s = Named(NODE_SERVER, "web <1>");
    StrAssign(&s->UID, L"{U}");
    StrAssign(&s->ServerName, L"host");
    StrAssign(&s->Script, L"cd /tmp\r\nls");
    s->Port = 2222;
    EXPECT_EQ(Written(s, 1, false, false),
              "\t<Node Type=\"1\">\r\n"
              "\t\t<DisplayName>web &lt;1&gt;</DisplayName>\r\n"
              "\t\t<UID>{U}</UID>\r\n"
              "\t\t<SavedSession>Default Settings</SavedSession>\r\n"
              "\t\t<ServerName>host</ServerName>\r\n"
              "\t\t<PuttyConType>4</PuttyConType>\r\n"
              "\t\t<Port>2222</Port>\r\n"
              "\t\t<UserName></UserName>\r\n"
              "\t\t<PasswordMode>0</PasswordMode>\r\n"
              "\t\t<PasswordDelay>0</PasswordDelay>\r\n"
              "\t\t<CLParams></CLParams>\r\n"
              "\t\t<CustomCmd>0</CustomCmd>\r\n"
              "\t\t<Script>cd /tmp&#13;&#10;ls</Script>\r\n"
              "\t\t<ScriptDelay>0</ScriptDelay>\r\n"
              "\t</Node>\r\n");
    StrAssign(&s->Password, L"p<\"w");
    EXPECT_NE(Written(s, 0, true, false).find("\t<Password enc=\"plain\">p&lt;&quot;w</Password>\r\n"),
              std::string::npos);
    EXPECT_EQ(Written(s, 0, true, true).find("Password enc"), std::string::npos);
    std::string prot = Written(s, 0, false, false);
    EXPECT_NE(prot.find("<Password enc=\"dpapi\">"), std::string::npos);
    EXPECT_EQ(prot.find("p&lt;"), std::string::npos);

    ServerNode *f = Named(NODE_FOLDER, "F");
    NodeAppendChild(f, s);
    std::string folder = Written(f, 0, true, true);
    EXPECT_EQ(folder.find("<Node Type=\"0\" Expanded=\"0\">\r\n\t<DisplayName>F</DisplayName>\r\n"), 0u);
    EXPECT_NE(folder.find("\t<Node Type=\"1\">"), std::string::npos);
    NodeFreeTree(f);
}

TEST(NodeXml, WriteReadRoundTrip)
{
    ServerNode *f = ReadNodes(
        "<Node Type='0' Expanded='1'><DisplayName>Prod 서버</DisplayName>"
        "<Node Type='1'><DisplayName>db</DisplayName><UID>{A}</UID><SavedSession>s</SavedSession>"
        "<ServerName>10.0.0.1</ServerName><PuttyConType>2</PuttyConType><Port>23</Port>"
        "<UserName>root</UserName><Password enc='plain'>pa&lt;ss</Password><PasswordMode>3</PasswordMode>"
        "<PasswordDelay>5</PasswordDelay><CLParams>-v \"x y\"</CLParams><CustomCmd>1</CustomCmd>"
        "<Script>a&#13;&#10;b</Script><ScriptDelay>9</ScriptDelay></Node></Node>", false);
    TextBuilder b = {};
    NodeWriteList(&b, f->FirstChild, 0, false, false);
    std::string first = U8(b.Text());
    b.Release();
    ServerNode *g = ReadNodes(first, false);
    ServerNode *x = f->FirstChild->FirstChild, *y = g->FirstChild->FirstChild;
    EXPECT_EQ(TreeShape(g), "[Prod 서버: db]");
    EXPECT_EQ(g->FirstChild->Expanded, 1);
    EXPECT_EQ(U8(NodePassword(y)), "pa<ss");
    EXPECT_EQ(U8(y->Script), "a\r\nb");
    EXPECT_EQ(U8(y->CLParams), U8(x->CLParams));
    EXPECT_EQ(y->PasswordMode, 3);
    EXPECT_EQ(y->CustomCmd, 1);
    b = TextBuilder();
    NodeWriteList(&b, g->FirstChild, 0, true, false);
    std::string plain = U8(b.Text());
    b.Release();
    EXPECT_NE(plain.find("<Password enc=\"plain\">pa&lt;ss</Password>"), std::string::npos);
    NodeFreeTree(f);
    NodeFreeTree(g);
}

/* Passwords read from the configuration stay sealed until first used. */
TEST(NodeXml, SealedPasswords)
{
    wchar_t *sealed = ProtectPassword(L"open sesame");
    ASSERT_NE(sealed, nullptr);
    std::string doc = "<Node Type='1'><DisplayName>a</DisplayName><Password enc='dpapi'>" + U8(sealed) +
                      "</Password></Node><Node Type='1'><DisplayName>b</DisplayName>"
                      "<Password enc='dpapi'>Zm9vYmFy</Password></Node>";
    ServerNode *f = ReadNodes(doc, false);
    ServerNode *a = f->FirstChild, *b = a->NextSibling;
    EXPECT_EQ(a->Password, nullptr);
    EXPECT_FALSE(b->NeedsPassword);

    /* unopened: written back exactly as stored, without opening it */
    EXPECT_NE(Written(a, 0, false, false).find(U8(sealed)), std::string::npos);
    EXPECT_EQ(a->Password, nullptr);

    ServerNode *copy = NodeCopy(a, false);
    EXPECT_EQ(U8(NodePassword(copy)), "open sesame");
    NodeFree(copy);
    EXPECT_EQ(U8(NodePassword(a)), "open sesame");
    EXPECT_NE(Written(a, 0, false, false).find(U8(sealed)), std::string::npos);   /* unchanged: reused */
    EXPECT_NE(Written(a, 0, true, false).find(">open sesame<"), std::string::npos);

    StrAssign(&a->Password, L"edited directly");
    std::string changed = Written(a, 0, false, false);
    EXPECT_EQ(changed.find(U8(sealed)), std::string::npos);
    EXPECT_NE(changed.find("<Password enc=\"dpapi\">"), std::string::npos);
    EXPECT_EQ(changed.find("edited"), std::string::npos);

    NodeSetPassword(a, NULL);
    EXPECT_EQ(Written(a, 0, false, false).find("<Password "), std::string::npos);

    /* another user's (or a damaged) form counts as no password once
     * opened, yet is saved back as stored: the user it belongs to keeps
     * it; the plain export has nothing to write; a new password replaces it */
    EXPECT_EQ(NodePassword(b), nullptr);
    EXPECT_EQ(NodePassword(b), nullptr);
    EXPECT_NE(Written(b, 0, false, false).find("<Password enc=\"dpapi\">Zm9vYmFy</Password>"), std::string::npos);
    EXPECT_EQ(Written(b, 0, true, false).find("<Password "), std::string::npos);
    ServerNode *bc = NodeCopy(b, false);
    EXPECT_EQ(NodePassword(bc), nullptr);
    EXPECT_NE(Written(bc, 0, false, false).find("Zm9vYmFy"), std::string::npos);
    NodeFree(bc);
    NodeSetPassword(b, L"mine now");
    EXPECT_EQ(Written(b, 0, false, false).find("Zm9vYmFy"), std::string::npos);
    EXPECT_EQ(U8(NodePassword(b)), "mine now");
    NodeFreeTree(f);

    f = ReadNodes(doc, true);   /* imports open at once and mark what failed */
    EXPECT_EQ(U8(f->FirstChild->Password), "open sesame");
    EXPECT_TRUE(f->FirstChild->NextSibling->NeedsPassword);
    NodeFreeTree(f);
    MemFree(sealed);
}

/* The first of repeated fields counts, names match without regard to
 * case, and names that begin alike are told apart. */
TEST(NodeXml, FieldsFoundAsByName)
{
    ServerNode *f = ReadNodes("<Node Type='1'><scriptdelay>5</scriptdelay><SCRIPT>s</SCRIPT><Script>t</Script>"
                              "<passwordmode>2</passwordmode><PORT>1</PORT><Port>2</Port>"
                              "<UID></UID><UID>{LATER}</UID><savedsession>web</savedsession></Node>",
                              false);
    ServerNode *n = f->FirstChild;
    EXPECT_EQ(U8(n->Script), "s");
    EXPECT_EQ(n->ScriptDelay, 5);
    EXPECT_EQ(n->PasswordMode, 2);
    EXPECT_EQ(n->Port, 1);
    EXPECT_EQ(U8(n->UID).size(), 38u);      /* the first UID is empty: a fresh one */
    EXPECT_EQ(U8(n->SavedSession), "web");
    EXPECT_EQ(n->PuttyConType, CON_SSH);
    NodeFreeTree(f);
}

TEST(NodeXml, ListsAppendInOrder)
{
    std::string doc;
    for (int i = 0; i < 3000; i++)
        doc += "<Node Type='1'><DisplayName>s" + std::to_string(i) + "</DisplayName></Node>";
    ServerNode *folder = NodeNew(NODE_FOLDER);
    NodeAppendChild(folder, Named(NODE_SERVER, "first"));
    XmlElement *r = XmlParseDocument(WText("<r>" + doc + "<Node><DisplayName>F</DisplayName>" + doc +
                                           "</Node></r>"));
    NodeReadList(folder, r, false);
    XmlFree(r);
    int count = 0;
    ServerNode *last = NULL;
    for (ServerNode *c = folder->FirstChild; c; c = c->NextSibling, count++) {
        EXPECT_EQ(c->Parent, folder);
        last = c;
    }
    EXPECT_EQ(count, 3002);
    EXPECT_EQ(U8(folder->FirstChild->DisplayName), "first");
    EXPECT_EQ(U8(folder->FirstChild->NextSibling->DisplayName), "s0");
    ASSERT_EQ(last->Type, NODE_FOLDER);
    EXPECT_EQ(NodeCountServers(last), 3000);
    EXPECT_EQ(U8(last->FirstChild->DisplayName), "s0");
    EXPECT_EQ(last->FirstChild->Parent, last);
    NodeFreeTree(folder);
}

/* NodeReadList over a document whose servers were taken as they
 * completed, with the untaken ones released as ApplyText does. */
static ServerNode *ReadNodesTaking(const std::string &doc)
{
    WText w("<r>" + doc + "</r>");
    int n = StrLen(w);
    wchar_t *text = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    MemCopy(text, w, (size_t)n * sizeof(wchar_t));
    ServerNode *f = NodeNew(NODE_FOLDER);
    XmlElement *r = XmlParseOwnedTextTaking(text, n, NodeTakeServer, NULL);
    NodeReadList(f, r, false);
    NodeFreeUntaken(r);
    XmlFree(r);
    return f;
}

static std::string WrittenList(const ServerNode *folder)
{
    TextBuilder b = {};
    NodeWriteList(&b, folder->FirstChild, 0, true, false);
    std::string out = U8(b.Text());
    b.Release();
    return out;
}

/* Servers taken while the document is read give the tree the whole
 * document gives, odd shapes included; servers no list reads (inside a
 * server, under another element) are released, as the leak check of the
 * native build sees. */
TEST(NodeXml, TakenServersReadAsTheWholeDocument)
{
    auto server = [](const std::string &uid, const std::string &inner) {
        return "<Node Type='1'><DisplayName>s" + uid + "</DisplayName><UID>{" + uid +
               "}</UID><Password enc='plain'>pw" + uid + "</Password>" + inner +
               "<Port>2" + uid + "</Port></Node>";
    };
    const std::string docs[] = {
        server("1", "") + "<Node Expanded='1'>" + server("2", "") + "<DisplayName>late</DisplayName>" +
            "<NODE type='0'>" + server("3", "<Script>a&#13;b</Script>") + "</NODE></Node>",
        server("4", server("5", "")) + server("6", ""),
        "<Other>" + server("7", "") + "</Other><NoDe TYPE='2'><uid>{8}</uid></NoDe>",
        server("9", "") + "<Node><DisplayName>open</DisplayName>" + server("10", "") +
            "<Node Type='1'><UID>{12}</UID><DisplayName>cut",
        "<Node Type='1'/><Node Type='x'>" + server("11", "") + "</Node>",
    };
    for (const std::string &doc : docs) {
        ServerNode *whole = ReadNodes(doc, false), *taken = ReadNodesTaking(doc);
        EXPECT_EQ(NodeCountServers(taken), NodeCountServers(whole)) << doc;
        std::string a = WrittenList(whole), b = WrittenList(taken);
        /* a server without UID gets a fresh one each reading */
        if (doc.find("Type='1'/>") == std::string::npos)
            EXPECT_EQ(b, a) << doc;
        NodeFreeTree(whole);
        NodeFreeTree(taken);
    }
}
