/*
 * The MTPuTTY import without windows: files written here from the shape
 * MTPuTTY's mtputty.xml has, read in both modes.
 */
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "config/mtputty_import.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/platform.h"
#include "core/text.h"
#include "core/xml_reader.h"
#include "test_util.h"

namespace {

std::string Server(const std::string &name, const std::string &host, const std::string &more = "")
{
    return "<Node Type=\"1\"><DisplayName>" + name + "</DisplayName><ServerName>" + host + "</ServerName>" + more +
           "</Node>\r\n";
}

std::string Folder(const std::string &name, const std::string &inner)
{
    return "<Node Type=\"0\" Expanded=\"1\"><DisplayName>" + name + "</DisplayName>\r\n" + inner + "</Node>\r\n";
}

std::string Mtputty(const std::string &servers, const std::string &globals = "")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<MTPutty version=\"1.0\">\r\n<Servers>\r\n<Putty>\r\n" +
           servers + "</Putty>\r\n</Servers>\r\n" + globals + "</MTPutty>\r\n";
}

/* Nested folders; one server with MTPuTTY's masked -pw and its own
 * encrypted Password, one with a real -pw value, one with only the
 * encrypted Password, one without any. */
const std::string SampleServers =
    Folder("운영",
           Server("web1", "10.0.0.1",
                  "<UID>{00000000-0000-0000-0000-00000000000A}</UID><PuttyConType>4</PuttyConType><Port>22</Port>"
                  "<UserName>admin</UserName><Password>QUJDREVGR0g=</Password><CLParams>-pw *****</CLParams>"
                  "<ScriptDelay>0</ScriptDelay>") +
               Folder("db", Server("db1", "10.0.1.1", "<CLParams>-ssh -pw s3cret -P 2222</CLParams>"))) +
    Server("router", "192.168.0.1", "<PuttyConType>2</PuttyConType><Password>ZW5j</Password>") +
    Server("plain", "host4", "<SavedSession>Default Settings</SavedSession>");

/* The settings an import may touch, as one line. */
std::string Options()
{
    std::string s = "path=" + U8(Settings.PuttyPath);
    const struct { const char *name; int value; } ints[] = {
        { "TabCaption", Settings.TabCaption },
        { "CloseOnNormalEnd", Settings.CloseOnNormalEnd },
        { "KeepOnAbnormalEnd", Settings.KeepOnAbnormalEnd },
        { "AutoReconnect", Settings.AutoReconnect },
        { "NoQuitConfirm", Settings.NoQuitConfirm },
        { "NoCloseConfirm", Settings.NoCloseConfirm },
        { "CloseButtonOnTabs", Settings.CloseButtonOnTabs },
        { "TabBottom", Settings.TabBottom },
        { "SaveLayout", Settings.SaveLayout },
        { "SaveSessions", Settings.SaveSessions },
    };
    for (const auto &i : ints)
        s += std::string(" ") + i.name + "=" + std::to_string(i.value);
    return s;
}

std::string Hotkeys()
{
    std::string s;
    for (int i = 0; i < HOTKEY_COUNT; i++)
        s += std::to_string(Settings.Hotkeys[i]) + " ";
    return s;
}

ServerNode *Find(const ServerNode *folder, const char *name)
{
    for (ServerNode *n = folder->FirstChild; n; n = n->NextSibling) {
        if (U8(n->DisplayName) == name)
            return n;
        if (ServerNode *inner = Find(n, name))
            return inner;
    }
    return nullptr;
}

ServerNode *Find(const char *name)
{
    return Find(ServersRoot, name);
}

struct MtputtyImport : ::testing::Test {
    TempDir dir;
    WText file = dir.File("mtputty.xml");

    void SetUp() override
    {
        ResetModel();
        ServerNode *old = NodeNew(NODE_FOLDER);
        StrAssign(&old->DisplayName, L"mine");
        NodeAppendChild(ServersRoot, old);
        ServerNode *s = NodeNew(NODE_SERVER);
        StrAssign(&s->DisplayName, L"own");
        NodeAppendChild(old, s);
    }
    void TearDown() override { ResetModel(); }

    int Import(const std::string &content, bool replace, MtputtyImportResult *r = nullptr)
    {
        EXPECT_TRUE(WriteBytes(file, content));
        MtputtyImportResult local = {};
        return ImportMtputtyFile(file, replace, replace, r ? r : &local);
    }
    /* Only the Globals element, applied to the current settings. */
    void Apply(const std::string &globals)
    {
        XmlElement *g = XmlParseDocument(WText(globals));
        ASSERT_NE(g, nullptr);
        ApplyMtputtyOptions(g);
        XmlFree(g);
    }
};

} // namespace

TEST_F(MtputtyImport, ReplaceTakesTreeOptionsAndHotkeys)
{
    WText putty = dir.File("putty.exe");
    ASSERT_TRUE(WriteBytes(putty, "MZ"));
    std::string globals =
        "<Globals>\r\n<PuttyLocation>" + U8(putty) + "</PuttyLocation>\r\n"
        "<General><TabCaption>1</TabCaption><NormalTermination>1</NormalTermination>"
        "<AbnormalTermination>0</AbnormalTermination><AbnormalAutoReconnect>1</AbnormalAutoReconnect>"
        "<QuitNoConfrim>1</QuitNoConfrim><CloseSessionNoConfirm>1</CloseSessionNoConfirm>"
        "<CloseButtonOnTabs>0</CloseButtonOnTabs><TabPosition>1</TabPosition></General>\r\n"
        "<Advanced><SaveLayout>0</SaveLayout><SaveSessions>1</SaveSessions></Advanced>\r\n"
        "<Hotkeys><NextTab>0</NextTab><PrevTab>0</PrevTab><AppSwitch>0</AppSwitch><acConnect>24656</acConnect>"
        "<acConnectTo>0</acConnectTo><acSettings>32881</acSettings></Hotkeys>\r\n</Globals>\r\n";
    MtputtyImportResult r = {};
    EXPECT_EQ(Import(Mtputty(SampleServers, globals), true, &r), 4);
    EXPECT_EQ(r.Folder, ServersRoot);
    EXPECT_EQ(r.Servers, 4);
    EXPECT_EQ(r.NeedPassword, 2);
    EXPECT_EQ(TreeShape(ServersRoot), "[운영: web1 [db: db1]] router plain");

    EXPECT_EQ(Options(), "path=" + U8(putty) +
                             " TabCaption=1 CloseOnNormalEnd=0 KeepOnAbnormalEnd=1 AutoReconnect=1 NoQuitConfirm=1"
                             " NoCloseConfirm=1 CloseButtonOnTabs=0 TabBottom=1 SaveLayout=1 SaveSessions=1");
    int expected[HOTKEY_COUNT];
    for (int i = 0; i < HOTKEY_COUNT; i++)
        expected[i] = HotkeySettings[i].Default;
    expected[12] = 24656;       /* acConnect */
    expected[13] = 0;           /* acConnectTo */
    expected[5] = 32881;        /* acSettings, Alt+F2 as MTPuTTY wrote it */
    for (int i = 0; i < HOTKEY_COUNT; i++)
        EXPECT_EQ(Settings.Hotkeys[i], expected[i]) << U8(HotkeySettings[i].Name);
}

TEST_F(MtputtyImport, PasswordsTakenOrCounted)
{
    MtputtyImportResult r = {};
    ASSERT_EQ(Import(Mtputty(SampleServers), true, &r), 4);

    /* the masked pair goes; MTPuTTY's own encrypted Password is no use */
    ServerNode *web1 = Find("web1");
    ASSERT_NE(web1, nullptr);
    EXPECT_EQ(web1->CLParams, nullptr);
    EXPECT_EQ(NodePassword(web1), nullptr);
    EXPECT_TRUE(web1->NeedsPassword);
    EXPECT_EQ(web1->CustomCmd, 1);      /* decided from CLParams as written */
    EXPECT_EQ(U8(web1->UID), "{00000000-0000-0000-0000-00000000000A}");
    EXPECT_EQ(U8(web1->UserName), "admin");
    EXPECT_EQ(web1->Port, 22);

    /* a real value becomes the password, the rest of the line stays */
    ServerNode *db1 = Find("db1");
    ASSERT_NE(db1, nullptr);
    EXPECT_EQ(U8(NodePassword(db1)), "s3cret");
    EXPECT_EQ(U8(db1->CLParams), "-ssh -P 2222");
    EXPECT_EQ(db1->CustomCmd, 1);
    EXPECT_FALSE(db1->NeedsPassword);

    ServerNode *router = Find("router"), *plain = Find("plain");
    ASSERT_TRUE(router && plain);
    EXPECT_TRUE(router->NeedsPassword);
    EXPECT_EQ(router->PuttyConType, CON_TELNET);
    EXPECT_FALSE(plain->NeedsPassword);
    EXPECT_EQ(plain->CustomCmd, 0);
    EXPECT_EQ(plain->PuttyConType, CON_SSH);

    /* the folders keep their open state; every server has an identity */
    EXPECT_EQ(ServersRoot->FirstChild->Expanded, 1);
    EXPECT_FALSE(StrIsEmpty(router->UID));
}

TEST_F(MtputtyImport, CountingEdges)
{
    std::string servers =
        /* masked, but a usable plain Password: kept, not counted */
        Server("a", "h", "<Password enc=\"plain\">pw-a</Password><CLParams>-pw ***</CLParams>") +
        /* masked and an unusable Password: counted once */
        Server("b", "h", "<Password>QQ==</Password><CLParams>-v -pw ***** -C</CLParams>") +
        /* a real value makes up for an unusable Password */
        Server("c", "h", "<Password>QQ==</Password><CLParams>-pw \"two words\"</CLParams><CustomCmd>0</CustomCmd>");
    MtputtyImportResult r = {};
    ASSERT_EQ(Import(Mtputty(Folder("f", servers)), false, &r), 3);
    EXPECT_EQ(r.NeedPassword, 1);

    EXPECT_EQ(U8(NodePassword(Find("a"))), "pw-a");
    EXPECT_EQ(Find("a")->CLParams, nullptr);
    EXPECT_FALSE(Find("a")->NeedsPassword);
    EXPECT_EQ(U8(Find("b")->CLParams), "-v -C");
    EXPECT_TRUE(Find("b")->NeedsPassword);
    EXPECT_EQ(U8(NodePassword(Find("c"))), "two words");
    EXPECT_FALSE(Find("c")->NeedsPassword);
    EXPECT_EQ(Find("c")->CustomCmd, 0);     /* as written, not guessed */
}

TEST_F(MtputtyImport, AddModeKeepsTreeAndOptions)
{
    std::string before = Options(), keys = Hotkeys();
    std::string globals = "<Globals><PuttyLocation>" + U8(file) + "</PuttyLocation><General><TabPosition>1</TabPosition>"
                          "</General><Hotkeys><acConnectTo>0</acConnectTo></Hotkeys></Globals>";
    MtputtyImportResult r = {};
    EXPECT_EQ(Import(Mtputty(SampleServers, globals), false, &r), 4);
    EXPECT_EQ(r.NeedPassword, 2);
    ASSERT_NE(r.Folder, nullptr);
    EXPECT_EQ(r.Folder->Parent, ServersRoot);
    EXPECT_EQ(r.Folder->Expanded, 1);
    EXPECT_EQ(TreeShape(ServersRoot), "[mine: own] [MTPuTTY에서 가져옴: [운영: web1 [db: db1]] router plain]");
    EXPECT_EQ(Options(), before);
    EXPECT_EQ(Hotkeys(), keys);

    /* a second time: a second folder, the same UIDs (the first is found) */
    MtputtyImportResult again = {};
    EXPECT_EQ(Import(Mtputty(SampleServers), false, &again), 4);
    EXPECT_NE(again.Folder, r.Folder);
    EXPECT_EQ(again.Folder->Parent, ServersRoot);
    EXPECT_EQ(NodeCountServers(ServersRoot), 9);
    EXPECT_EQ(NodeFindByUid(ServersRoot, L"{00000000-0000-0000-0000-00000000000A}"), r.Folder->FirstChild->FirstChild);
}

TEST_F(MtputtyImport, OptionTableRules)
{
    /* start away from every default, so that "unchanged" shows */
    Settings.TabCaption = 1;
    Settings.CloseOnNormalEnd = 0;
    Settings.KeepOnAbnormalEnd = 0;
    Settings.AutoReconnect = 1;
    Settings.NoQuitConfirm = 1;
    Settings.NoCloseConfirm = 1;
    Settings.CloseButtonOnTabs = 0;
    Settings.TabBottom = 1;
    Settings.SaveLayout = 0;
    Settings.SaveSessions = 1;
    std::string flipped = Options();
    const std::string fromDefaults = " TabCaption=0 CloseOnNormalEnd=1 KeepOnAbnormalEnd=1 AutoReconnect=0"
                                     " NoQuitConfirm=0 NoCloseConfirm=0 CloseButtonOnTabs=1 TabBottom=0";

    /* no General, no Advanced: nothing of theirs changes */
    Apply("<Globals><Hotkeys/></Globals>");
    EXPECT_EQ(Options(), flipped);

    /* empty sections: every default of the table; SaveLayout's default
     * 1 sets it */
    Apply("<Globals><General/><Advanced/></Globals>");
    EXPECT_EQ(Options(), "path=" + fromDefaults + " SaveLayout=1 SaveSessions=0");

    /* empty elements count as missing; the names ignore case */
    Apply("<Globals><general><TABCAPTION></TABCAPTION><normaltermination>1</normaltermination>"
          "<AbnormalTermination>7</AbnormalTermination><CloseButtonOnTabs></CloseButtonOnTabs></general></Globals>");
    EXPECT_EQ(Options(), "path= TabCaption=0 CloseOnNormalEnd=0 KeepOnAbnormalEnd=0 AutoReconnect=0"
                         " NoQuitConfirm=0 NoCloseConfirm=0 CloseButtonOnTabs=1 TabBottom=0 SaveLayout=1 SaveSessions=0");

    /* MTPuTTY's spelling is the one read */
    Apply("<Globals><General><QuitNoConfirm>1</QuitNoConfirm></General></Globals>");
    EXPECT_EQ(Settings.NoQuitConfirm, 0);
    Apply("<Globals><General><quitnoconfrim>1</quitnoconfrim></General></Globals>");
    EXPECT_EQ(Settings.NoQuitConfirm, 1);

    /* SaveLayout is only ever switched on */
    Settings.SaveLayout = 0;
    Apply("<Globals><Advanced><SaveLayout>0</SaveLayout></Advanced></Globals>");
    EXPECT_EQ(Settings.SaveLayout, 0);
    Settings.SaveLayout = 1;
    Apply("<Globals><Advanced><SaveLayout>0</SaveLayout></Advanced></Globals>");
    EXPECT_EQ(Settings.SaveLayout, 1);
    Settings.SaveLayout = 0;
    Apply("<Globals><Advanced><SaveLayout>5</SaveLayout><SaveSessions>-1</SaveSessions></Advanced></Globals>");
    EXPECT_EQ(Settings.SaveLayout, 1);
    EXPECT_EQ(Settings.SaveSessions, 1);
}

TEST_F(MtputtyImport, HotkeyRules)
{
    Settings.Hotkeys[12] = 0x74;            /* acConnect on F5 */
    Apply("<Globals><Hotkeys><nexttab>0</nexttab><PrevTab>24609</PrevTab><AppSwitch></AppSwitch>"
          "<acConnect>0</acConnect><acRemove>46</acRemove><Unknown>5</Unknown></Hotkeys></Globals>");
    EXPECT_EQ(Settings.Hotkeys[0], 0x4009);     /* NextTab: 0 keeps ours */
    EXPECT_EQ(Settings.Hotkeys[1], 24609);      /* PrevTab: taken as given */
    EXPECT_EQ(Settings.Hotkeys[2], 0x40C0);     /* AppSwitch: empty is 0, kept */
    EXPECT_EQ(Settings.Hotkeys[12], 0);         /* acConnect: 0 clears */
    EXPECT_EQ(Settings.Hotkeys[10], 46);        /* unchanged, even a bare key */
    EXPECT_EQ(Settings.Hotkeys[13], 0x604B);    /* acConnectTo: not in the file */
    EXPECT_EQ(Settings.Hotkeys[27], 0x005D);
}

TEST_F(MtputtyImport, PuttyLocationOnlyWhenItExists)
{
    StrCopyTo(Settings.PuttyPath, KPATH, L"C:\\old\\putty.exe");
    Apply("<Globals><PuttyLocation>" + dir.path + "\\missing.exe</PuttyLocation></Globals>");
    Apply("<Globals><PuttyLocation></PuttyLocation></Globals>");
    Apply("<Globals><PuttyLocation>" + dir.path + "</PuttyLocation></Globals>");     /* a folder */
    EXPECT_EQ(U8(Settings.PuttyPath), "C:\\old\\putty.exe");
    WText kitty = dir.File("kitty.exe");
    ASSERT_TRUE(WriteBytes(kitty, "MZ"));
    Apply("<Globals><PuttyLocation>" + U8(kitty) + "</PuttyLocation></Globals>");
    EXPECT_EQ(U8(Settings.PuttyPath), U8(kitty));

    /* a path too long to keep is not cut into another one */
    std::string deep = dir.path + "\\" + std::string(120, 'd');
    std::string deeper = deep + "\\" + std::string(120, 'e');
    std::string exe = deeper + "\\putty.exe";
    PlatCreateDirectory(WText(deep));
    PlatCreateDirectory(WText(deeper));
    bool made = WriteBytes(WText(exe), "MZ");
    if (made) {
        ASSERT_GE(exe.size(), (size_t)KPATH);
        Apply("<Globals><PuttyLocation>" + exe + "</PuttyLocation></Globals>");
        EXPECT_EQ(U8(Settings.PuttyPath), U8(kitty));
        RemovePath(WText(exe));
    }
    RemovePath(WText(deeper));
    RemovePath(WText(deep));
}

TEST_F(MtputtyImport, OtherFilesChangeNothing)
{
    Settings.TabBottom = 1;
    Settings.Hotkeys[3] = 0x4070;
    std::string shape = TreeShape(ServersRoot), options = Options(), keys = Hotkeys();
    const std::string files[] = {
        "",
        std::string("\x00\x01\xff\xfe garbage", 12),
        "just text, no element",
        "<?xml version=\"1.0\"?>\r\n<!-- nothing -->",
        /* a tree export and a configuration have servers, but are not MTPuTTY's */
        "<KestrumTree version=\"1\"><Servers>" + Server("x", "y") + "</Servers></KestrumTree>",
        "<Kestrum><Servers><Putty>" + Server("x", "y") + "</Putty></Servers></Kestrum>",
        "<MTPuttyX><Servers><Putty>" + Server("x", "y") + "</Putty></Servers></MTPuttyX>",
    };
    for (const std::string &f : files) {
        for (bool replace : { true, false }) {
            MtputtyImportResult r = { ServersRoot, 77, 88 };
            EXPECT_EQ(Import(f, replace, &r), MTPUTTY_NOT_READ) << f;
            EXPECT_EQ(r.Folder, ServersRoot);
            EXPECT_EQ(r.Servers, 77);
            EXPECT_EQ(r.NeedPassword, 88);
            EXPECT_EQ(TreeShape(ServersRoot), shape) << f;
            EXPECT_EQ(Options(), options);
            EXPECT_EQ(Hotkeys(), keys);
        }
    }
    MtputtyImportResult r = {};
    EXPECT_EQ(ImportMtputtyFile(dir.File("absent.xml"), true, true, &r), MTPUTTY_NOT_READ);
    EXPECT_EQ(ImportMtputtyFile(WText(dir.path), true, true, &r), MTPUTTY_NOT_READ);
    EXPECT_EQ(TreeShape(ServersRoot), shape);
}

TEST_F(MtputtyImport, RootWithoutServers)
{
    /* recognised, so the mode is carried out with nothing to import */
    MtputtyImportResult r = {};
    EXPECT_EQ(Import("<mtputty><Globals><General><TabPosition>1</TabPosition></General></Globals></mtputty>", false, &r),
              0);
    EXPECT_EQ(TreeShape(ServersRoot), "[mine: own] [MTPuTTY에서 가져옴]");
    EXPECT_EQ(r.NeedPassword, 0);
    EXPECT_EQ(Settings.TabBottom, 0);
    EXPECT_EQ(Import("<MTPutty><Servers/><Globals><General><TabPosition>1</TabPosition></General></Globals></MTPutty>",
                     true, &r),
              0);
    EXPECT_EQ(TreeShape(ServersRoot), "");
    EXPECT_EQ(r.Folder, ServersRoot);
    EXPECT_EQ(Settings.TabBottom, 1);

    /* only the first Putty of the first Servers is read */
    EXPECT_EQ(Import("<MTPutty><Servers><Putty>" + Server("one", "h") + "</Putty><Putty>" + Server("two", "h") +
                         "</Putty></Servers><Servers><Putty>" + Server("three", "h") + "</Putty></Servers></MTPutty>",
                     true, &r),
              1);
    EXPECT_EQ(TreeShape(ServersRoot), "one");
}

TEST_F(MtputtyImport, SuggestedFileUnderAppData)
{
    wchar_t path[KPATH];
    ScopedEnv env("APPDATA", nullptr);
    EXPECT_FALSE(MtputtySuggestedPath(path, KPATH));
    SetEnv("APPDATA", dir.path.c_str());
    EXPECT_FALSE(MtputtySuggestedPath(path, KPATH));        /* no such file */
    WText folder = dir.File("TTYPlus");
    WText xml(dir.path + "\\TTYPlus\\mtputty.xml");
    ASSERT_TRUE(PlatCreateDirectory(folder));
    ASSERT_TRUE(WriteBytes(xml, Mtputty("")));
    EXPECT_TRUE(MtputtySuggestedPath(path, KPATH));
    EXPECT_EQ(U8(path), U8(xml));

    RemovePath(xml);
    RemovePath(folder);
}
