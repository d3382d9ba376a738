/*
 * Settings and the configuration file: locating, loading, saving.
 */
#include <gtest/gtest.h>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "test_util.h"

/* The model reset and the configuration file placed in a new directory. */
struct ConfigFile : ::testing::Test {
    TempDir dir;
    void SetUp() override
    {
        ResetModel();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    }
    void TearDown() override { ResetModel(); }
    bool Load(const std::string &content)
    {
        WriteBytes(ConfigFilePath, content);
        return ConfigLoad();
    }
    std::string Saved()
    {
        EXPECT_TRUE(ConfigSave());
        return ReadBytes(ConfigFilePath);
    }
};

static std::string Doc(const std::string &settings, const std::string &rest = "")
{
    return "<?xml version=\"1.0\"?>\r\n<Kestrum version=\"1\"><Settings>" + settings + "</Settings>" +
           rest + "</Kestrum>";
}

/* The lines of a text without those that hold a protected password. */
static std::string WithoutPasswords(const std::string &text)
{
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        if (line.find("<Password enc=\"dpapi\">") == std::string::npos)
            out += line;
        start = end;
    }
    return out;
}

TEST(Settings, Defaults)
{
    SettingsSetDefaults();
    EXPECT_EQ(U8(Settings.PuttyPath), "");
    EXPECT_EQ(Settings.CloseOnNormalEnd, 1);
    EXPECT_EQ(Settings.KeepOnAbnormalEnd, 1);
    EXPECT_EQ(Settings.AutoReconnect, 0);
    EXPECT_EQ(Settings.ReconnectDelay, 5);
    EXPECT_EQ(Settings.CloseButtonOnTabs, 1);
    EXPECT_EQ(Settings.ShowStartPage, 1);
    EXPECT_EQ(Settings.SaveLayout, 1);
    EXPECT_EQ(Settings.SaveSessions, 0);
    EXPECT_EQ(Settings.PasswordMode, 1);
    EXPECT_EQ(Settings.PasswordDelay, 1500);
    EXPECT_EQ(Settings.TreeWidth, 230);
    EXPECT_EQ(Settings.SessionsHeight, 140);
    EXPECT_EQ(Settings.PuttySessionsExpanded, 1);
    EXPECT_FALSE(Settings.WindowValid);
    const int expected[HOTKEY_COUNT] = { 16393, 24585, 16576, 0, 0, 0, 24642, 24660, 0, 0, 0, 0, 0,
                                         24651, 0, 24659, 0, 24658, 0, 0, 0, 24644, 0, 24663, 0,
                                         24646, 24653, 93 };
    for (int i = 0; i < HOTKEY_COUNT; i++)
        EXPECT_EQ(Settings.Hotkeys[i], expected[i]) << U8(HotkeySettings[i].Name);
    Settings.Recents[0] = StrDup(L"x");
    Settings.SendScriptText = StrDup(L"y");
    SettingsSetDefaults();
    EXPECT_EQ(Settings.Recents[0], nullptr);
    EXPECT_EQ(Settings.SendScriptText, nullptr);
}

TEST(Settings, LocatePortableThenAppData)
{
    TempDir appdata;
    ScopedEnv env("APPDATA", appdata.path.c_str());
    std::string exeDir = ProgramDir();
    WText portable(exeDir + "\\kestrum.xml");
    ASSERT_FALSE(PathExists(portable)) << "a stray kestrum.xml lies next to the test program";

    ConfigLocate();
    EXPECT_EQ(U8(ConfigFilePath), appdata.path + "\\Kestrum\\kestrum.xml");
    EXPECT_TRUE(PathExists(WText(appdata.path + "\\Kestrum")));
    EXPECT_FALSE(PathExists(WText(appdata.path + "\\Kestrum\\kestrum.xml")));
    ConfigLocate();                           /* the directory exists: still fine */
    EXPECT_EQ(U8(ConfigFilePath), appdata.path + "\\Kestrum\\kestrum.xml");

    TempDir appdata2;
    SetEnv("APPDATA", appdata2.path.c_str());
    ASSERT_TRUE(WriteBytes(portable, "<Kestrum/>"));
    ConfigLocate();
    EXPECT_EQ(U8(ConfigFilePath), U8(portable));
    EXPECT_FALSE(PathExists(WText(appdata2.path + "\\Kestrum")));
    RemovePath(portable);
    RemovePath(WText(appdata.path + "\\Kestrum"));
}

TEST_F(ConfigFile, MissingFileChangesNothing)
{
    EXPECT_FALSE(ConfigLoad());
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.broken")));
    EXPECT_NE(ServersRoot, nullptr);
    EXPECT_NE(PuttyLoginRoot, nullptr);
}

TEST_F(ConfigFile, BrokenFilesAreKept)
{
    const char *broken[] = { "", "no element here", "<Other><Settings/></Other>", "</Kestrum>",
                             "\xEF\xBB\xBF", "<!-- <Kestrum> -->" };
    for (const char *content : broken) {
        SettingsSetDefaults();
        EXPECT_FALSE(Load(content)) << content;
        EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.broken")), content);
        EXPECT_EQ(Settings.PasswordDelay, 1500);
    }
}

TEST_F(ConfigFile, RootNameIgnoresCase)
{
    EXPECT_TRUE(Load("<kestrum><settings><passworddelay>700</passworddelay></settings></kestrum>"));
    EXPECT_EQ(Settings.PasswordDelay, 700);
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.broken")));
}

TEST_F(ConfigFile, SettingValueRules)
{
    const char *modes[] = { "0", "5", "-1", "abc" };
    for (const char *m : modes) {
        SettingsSetDefaults();
        ASSERT_TRUE(Load(Doc(std::string("<PasswordMode>") + m + "</PasswordMode>")));
        EXPECT_EQ(Settings.PasswordMode, 1) << m;
    }
    ASSERT_TRUE(Load(Doc("<PasswordMode>3</PasswordMode><PuttyPath></PuttyPath><ReconnectDelay></ReconnectDelay>"
                         "<AutoReconnect>1</AutoReconnect><Layout><ViewMode>6</ViewMode></Layout>")));
    EXPECT_EQ(Settings.PasswordMode, 3);
    EXPECT_EQ(Settings.ReconnectDelay, 5);
    EXPECT_EQ(Settings.AutoReconnect, 1);
    EXPECT_EQ(Settings.ViewMode, 2);
    EXPECT_EQ(Settings.TreeWidth, 230);
    EXPECT_FALSE(Settings.WindowValid);

    /* the password delay between 0 and nine digits */
    for (const char *delay : { "-5", "2147483647", "99999999999", "999999999" }) {
        ASSERT_TRUE(Load(Doc(std::string("<PasswordDelay>") + delay + "</PasswordDelay>")));
        EXPECT_EQ(Settings.PasswordDelay, delay[0] == '-' ? 0 : 999999999) << delay;
    }

    std::string longPath(400, 'p');
    ASSERT_TRUE(Load(Doc("<PuttyPath>C:\\" + longPath + "</PuttyPath>")));
    EXPECT_EQ(StrLen(Settings.PuttyPath), 259);
}

TEST_F(ConfigFile, LayoutAndWindow)
{
    SettingsSetDefaults();
    Settings.HideTree = 1;
    ASSERT_TRUE(Load(Doc("<Layout><TreeWidth>300</TreeWidth>"
                         "<Window show='3' left='10' top='20' right='900' bottom='700'/></Layout>")));
    EXPECT_EQ(Settings.HideTree, 0);          /* 0 when missing inside Layout */
    EXPECT_EQ(Settings.TreeWidth, 300);
    EXPECT_EQ(Settings.SessionsHeight, 140);
    EXPECT_TRUE(Settings.WindowValid);
    EXPECT_EQ(Settings.Window.Length, 44);
    EXPECT_EQ(Settings.Window.ShowCmd, 3);
    EXPECT_EQ(Settings.Window.Left, 10);
    EXPECT_EQ(Settings.Window.Bottom, 700);
    EXPECT_EQ(sizeof(WindowPlacement), 44u);

    SettingsSetDefaults();
    ASSERT_TRUE(Load(Doc("<Layout><Window show='1' left='50' right='50'/></Layout>")));
    EXPECT_FALSE(Settings.WindowValid);
    EXPECT_EQ(Saved().find("<Window"), std::string::npos);
}

TEST_F(ConfigFile, HotkeysRecentsSendScript)
{
    std::string recents;
    for (int i = 0; i < 20; i++)
        recents += i == 3 ? "<R></R>" : "<R>host" + std::to_string(i) + "</R>";
    ASSERT_TRUE(Load(Doc("<Hotkeys><NextTab></NextTab><acconnect>123</acconnect><Unknown>5</Unknown></Hotkeys>"
                         "<Recents>" + recents + "<X>x</X></Recents>"
                         "<SendScript Target='2' Delay='150'><Text>ls&#13;&#10;pwd</Text></SendScript>"
                         "<SessionLogFolder>D:\\로그 &amp; 기록</SessionLogFolder><SessionLog>1</SessionLog>")));
    EXPECT_EQ(Settings.Hotkeys[0], 0);
    EXPECT_EQ(Settings.Hotkeys[1], 24585);
    EXPECT_EQ(Settings.Hotkeys[12], 123);
    int n = 0;
    while (n < RECENT_MAX && Settings.Recents[n])
        n++;
    EXPECT_EQ(n, 15);
    EXPECT_EQ(U8(Settings.Recents[2]), "host2");
    EXPECT_EQ(U8(Settings.Recents[3]), "host4");
    EXPECT_EQ(U8(Settings.Recents[14]), "host15");
    EXPECT_EQ(Settings.SendScriptTarget, 2);
    EXPECT_EQ(Settings.SendScriptDelay, 150);
    EXPECT_EQ(U8(Settings.SendScriptText), "ls\r\npwd");
    EXPECT_EQ(U8(Settings.SessionLogFolder), "D:\\로그 & 기록");
    EXPECT_EQ(Settings.SessionLog, 1);
}

TEST_F(ConfigFile, TreesAndOpenSessions)
{
    ASSERT_TRUE(Load(Doc("",
        "<Servers><Node Type='0' Expanded='1'><DisplayName>F</DisplayName>"
        "<Node Type='1'><DisplayName>a</DisplayName><UID>{A}</UID></Node></Node></Servers>"
        "<PuttySessions><Node Type='1'><DisplayName>web</DisplayName><SavedSession>web</SavedSession>"
        "<UserName>admin</UserName></Node></PuttySessions>"
        "<OpenSessions><Open caption='' uid='{A}'/><Open session='web' caption='Mine'/>"
        "<Open><Node Type='1'><DisplayName>quick</DisplayName><ServerName>q</ServerName></Node>"
        "<Node Type='1'><DisplayName>ignored</DisplayName></Node></Open><Whatever/></OpenSessions>")));
    EXPECT_EQ(TreeShape(ServersRoot), "[F: a]");
    EXPECT_EQ(U8(PuttyLoginFind(L"WEB")->UserName), "admin");
    PendingOpenSession *p = PendingOpenSessions;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(U8(p->Uid), "{A}");
    EXPECT_EQ(U8(p->Caption), "");
    EXPECT_EQ(p->Session, nullptr);
    p = p->Next;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(U8(p->Session), "web");
    EXPECT_EQ(U8(p->Caption), "Mine");
    EXPECT_EQ(p->Uid, nullptr);
    p = p->Next;
    ASSERT_NE(p, nullptr);
    ASSERT_NE(p->Node, nullptr);
    EXPECT_EQ(U8(p->Node->DisplayName), "quick");
    EXPECT_EQ(p->Node->Parent, nullptr);
    EXPECT_EQ(p->Node->NextSibling, nullptr);
    p = p->Next;
    ASSERT_NE(p, nullptr);                    /* any child element makes a record */
    EXPECT_EQ(p->Node, nullptr);
    EXPECT_EQ(p->Next, nullptr);
}

/* Colour labels: an attribute of their own, written only when set; a
 * colour outside the known ones reads as none. */
TEST_F(ConfigFile, NodeColours)
{
    ASSERT_TRUE(Load(Doc("",
        "<Servers><Node Type='0' Expanded='1' Color='1'><DisplayName>F</DisplayName>"
        "<Node Type='1' Color='7'><DisplayName>a</DisplayName></Node>"
        "<Node Type='1' Color='8'><DisplayName>b</DisplayName></Node>"
        "<Node Type='1' Color='x'><DisplayName>c</DisplayName></Node></Node></Servers>")));
    ServerNode *f = ServersRoot->FirstChild, *a = f->FirstChild;
    EXPECT_EQ(f->Color, NODE_COLOR_RED);
    EXPECT_EQ(a->Color, NODE_COLOR_GREY);
    EXPECT_EQ(a->NextSibling->Color, NODE_COLOR_NONE);
    EXPECT_EQ(a->NextSibling->NextSibling->Color, NODE_COLOR_NONE);
    std::string saved = Saved();
    EXPECT_NE(saved.find("<Node Type=\"0\" Expanded=\"1\" Color=\"1\">"), std::string::npos);
    EXPECT_NE(saved.find("<Node Type=\"1\" Color=\"7\">"), std::string::npos);
    size_t colours = 0;
    for (size_t at = saved.find("Color="); at != std::string::npos; at = saved.find("Color=", at + 1))
        colours++;
    EXPECT_EQ(colours, 2u);
}

TEST_F(ConfigFile, DefaultFileExactly)
{
    std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<Kestrum version=\"1\">\r\n"
        "\t<Settings>\r\n"
        "\t\t<PuttyPath></PuttyPath>\r\n"
        "\t\t<SessionLogFolder></SessionLogFolder>\r\n"
        "\t\t<TabCaption>0</TabCaption>\r\n"
        "\t\t<CloseOnNormalEnd>1</CloseOnNormalEnd>\r\n"
        "\t\t<KeepOnAbnormalEnd>1</KeepOnAbnormalEnd>\r\n"
        "\t\t<AutoReconnect>0</AutoReconnect>\r\n"
        "\t\t<ReconnectDelay>5</ReconnectDelay>\r\n"
        "\t\t<NoQuitConfirm>0</NoQuitConfirm>\r\n"
        "\t\t<NoCloseConfirm>0</NoCloseConfirm>\r\n"
        "\t\t<CloseButtonOnTabs>1</CloseButtonOnTabs>\r\n"
        "\t\t<TabBottom>0</TabBottom>\r\n"
        "\t\t<ShowStartPage>1</ShowStartPage>\r\n"
        "\t\t<SaveLayout>1</SaveLayout>\r\n"
        "\t\t<SaveSessions>0</SaveSessions>\r\n"
        "\t\t<PasswordMode>1</PasswordMode>\r\n"
        "\t\t<PasswordDelay>1500</PasswordDelay>\r\n"
        "\t\t<PuttySessionsExpanded>1</PuttySessionsExpanded>\r\n"
        "\t\t<SessionLog>0</SessionLog>\r\n"
        "\t\t<Layout>\r\n"
        "\t\t\t<HideMenu>0</HideMenu>\r\n"
        "\t\t\t<HideToolbar>0</HideToolbar>\r\n"
        "\t\t\t<HideTree>0</HideTree>\r\n"
        "\t\t\t<HideSessions>0</HideSessions>\r\n"
        "\t\t\t<ViewMode>0</ViewMode>\r\n"
        "\t\t\t<ShowBroadcastBar>0</ShowBroadcastBar>\r\n"
        "\t\t\t<ViewMembersOnly>0</ViewMembersOnly>\r\n"
        "\t\t\t<TreeWidth>230</TreeWidth>\r\n"
        "\t\t\t<SessionsHeight>140</SessionsHeight>\r\n"
        "\t\t</Layout>\r\n"
        "\t\t<Hotkeys>\r\n";
    for (int i = 0; i < HOTKEY_COUNT; i++)
        expected += "\t\t\t<" + U8(HotkeySettings[i].Name) + ">" + std::to_string(HotkeySettings[i].Default) +
                    "</" + U8(HotkeySettings[i].Name) + ">\r\n";
    expected +=
        "\t\t</Hotkeys>\r\n"
        "\t\t<Recents>\r\n"
        "\t\t</Recents>\r\n"
        "\t\t<SendScript Target=\"0\" Delay=\"0\">\r\n"
        "\t\t\t<Text></Text>\r\n"
        "\t\t</SendScript>\r\n"
        "\t</Settings>\r\n"
        "\t<Servers>\r\n"
        "\t</Servers>\r\n"
        "\t<PuttySessions>\r\n"
        "\t</PuttySessions>\r\n"
        "\t<OpenSessions>\r\n"
        "\t</OpenSessions>\r\n"
        "</Kestrum>\r\n";
    EXPECT_EQ(Saved(), expected);
    Settings.SaveLayout = 0;
    Settings.WindowValid = true;
    EXPECT_EQ(Saved().find("<Layout>"), std::string::npos);
}

TEST_F(ConfigFile, SaveLoadSaveGivesSameBytes)
{
    ASSERT_TRUE(Load(Doc("<PuttyPath>C:\\Program Files\\PuTTY\\putty.exe</PuttyPath><TabCaption>1</TabCaption>"
                         "<SaveSessions>1</SaveSessions><Layout><HideMenu>1</HideMenu><ViewMode>3</ViewMode>"
                         "<Window show='1' left='1' top='2' right='3' bottom='4'/></Layout>"
                         "<Recents><R>root@h:22</R><R>서버</R></Recents>"
                         "<SendScript Target='1' Delay='20'><Text>a\"b</Text></SendScript>",
        "<Servers><Node Type='0' Expanded='1'><DisplayName>F &amp; G</DisplayName>"
        "<Node Type='1'><DisplayName>a</DisplayName><UID>{A}</UID><Password enc='plain'>s3cr&lt;t</Password>"
        "<Script>cd /&#13;&#10;ls&#9;-l</Script></Node>"
        "<Node Type='0'><DisplayName>empty</DisplayName></Node></Node>"
        "<Node Type='1'><DisplayName>   </DisplayName><ServerName>h</ServerName></Node></Servers>"
        "<PuttySessions><Node Type='1'><DisplayName>web</DisplayName><SavedSession>web</SavedSession>"
        "<Password enc='plain'>webpw</Password></Node></PuttySessions>")));
    std::string first = Saved();
    EXPECT_EQ(first.find("s3cr"), std::string::npos);    /* protected on disk */
    EXPECT_EQ(first.find("webpw"), std::string::npos);
    EXPECT_EQ(first.substr(0, 3) == "\xEF\xBB\xBF", false);

    ResetModel();
    StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    ASSERT_TRUE(ConfigLoad());
    EXPECT_EQ(U8(NodePassword(ServersRoot->FirstChild->FirstChild)), "s3cr<t");
    EXPECT_EQ(U8(ServersRoot->FirstChild->NextSibling->DisplayName), "   ");
    EXPECT_EQ(U8(NodePassword(PuttyLoginRoot->FirstChild)), "webpw");
    EXPECT_EQ(Settings.ViewMode, 3);
    EXPECT_TRUE(Settings.WindowValid);
    std::string second = Saved();
    EXPECT_EQ(second, first);                 /* unchanged passwords keep their protected form */
    NodeSetPassword(PuttyLoginRoot->FirstChild, L"changed");
    std::string third = Saved();
    EXPECT_NE(third, first);
    EXPECT_EQ(WithoutPasswords(third), WithoutPasswords(first));
    EXPECT_EQ(third.find("changed"), std::string::npos);
}

TEST_F(ConfigFile, OneBackupPerRun)
{
    ASSERT_TRUE(WriteBytes(ConfigFilePath, "original"));
    ASSERT_TRUE(ConfigSave());
    EXPECT_TRUE(BackupMade);
    EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.bak")), "original");
    Settings.TabCaption = 1;
    ASSERT_TRUE(ConfigSave());
    EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.bak")), "original");
    EXPECT_NE(ReadBytes(ConfigFilePath).find("<TabCaption>1</TabCaption>"), std::string::npos);
}

TEST_F(ConfigFile, NoBackupWithoutFile)
{
    ASSERT_TRUE(ConfigSave());
    EXPECT_FALSE(BackupMade);
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.bak")));
}

TEST_F(ConfigFile, CopiesOnlyUnderTheirWholeNames)
{
    /* A ".bak" or ".broken" cut to fit the path limit would name another
     * file, at 259 characters the file itself. */
    for (int len : { 252, 253, 255, 256, 258, 259 }) {
        std::string path = dir.path + "\\" + std::string((size_t)len - dir.path.size() - 1, 'k');
        StrCopyTo(ConfigFilePath, KPATH, WText(path));
        ASSERT_EQ(StrLen(ConfigFilePath), len);
        for (const char *suffix : { ".broken", ".bak" }) {
            bool broken = std::string(suffix) == ".broken";
            std::string whole = path + suffix, cut = whole.substr(0, KPATH - 1);
            if (broken) {
                EXPECT_FALSE(Load("no element here")) << len;
            } else {
                ASSERT_TRUE(WriteBytes(ConfigFilePath, "original"));
                BackupMade = false;
                EXPECT_EQ(ConfigSave(), len < 256) << len;
            }
            bool fits = whole.size() < KPATH;
            EXPECT_EQ(PathExists(WText(whole)), fits) << len << suffix;
            /* Windows reads a name with a trailing dot as without it */
            std::string named = cut;
            while (named.back() == '.')
                named.pop_back();
            if (!fits && named != path)
                EXPECT_FALSE(PathExists(WText(cut))) << len << suffix;
            if (broken)
                EXPECT_EQ(ReadBytes(ConfigFilePath), "no element here") << len;
            else if (len >= 256)
                EXPECT_EQ(ReadBytes(ConfigFilePath), "original") << len;
            RemovePath(WText(whole));
            RemovePath(WText(cut));
        }
        RemovePath(ConfigFilePath);
    }
}

/* Open sessions handed to the writer by the tests. */
static OpenSessionRecord TestSessions[4];
static int TestSessionCount;
static bool TestSessionAt(int i, OpenSessionRecord *out)
{
    if (i >= TestSessionCount)
        return false;
    *out = TestSessions[i];
    return true;
}

TEST_F(ConfigFile, OpenSessionEntries)
{
    ServerNode *inTree = NodeNew(NODE_SERVER);
    StrAssign(&inTree->UID, L"{IN}");
    NodeAppendChild(ServersRoot, inTree);
    ServerNode *copy = NodeCopy(inTree, false);
    ServerNode *saved = NodeNew(NODE_SERVER);
    saved->IsPuttySession = true;
    StrAssign(&saved->SavedSession, L"my \"web\"");
    StrAssign(&saved->UID, NULL);
    ServerNode *gone = NodeNew(NODE_SERVER);
    StrAssign(&gone->DisplayName, L"quick");
    StrAssign(&gone->Password, L"topsecret");
    TestSessions[0] = { copy, L"ignored", false, false };
    TestSessions[1] = { saved, L"<Mine>", true, true };
    TestSessions[2] = { gone, NULL, false, false };
    TestSessions[3] = { NULL, L"attached", true, false };
    TestSessionCount = 4;
    ConfigOpenSessionAt = TestSessionAt;

    std::string off = Saved();
    EXPECT_NE(off.find("\t<OpenSessions>\r\n\t</OpenSessions>\r\n"), std::string::npos);

    Settings.SaveSessions = 1;
    std::string on = Saved();
    size_t at = on.find("\t<OpenSessions>\r\n");
    ASSERT_NE(at, std::string::npos);
    std::string section = on.substr(at);
    EXPECT_EQ(section.find("\t<OpenSessions>\r\n"
                           "\t\t<Open caption=\"\" uid=\"{IN}\"/>\r\n"
                           "\t\t<Open caption=\"&lt;Mine&gt;\" group=\"1\" session=\"my &quot;web&quot;\"/>\r\n"
                           "\t\t<Open caption=\"\">\r\n"
                           "\t\t\t<Node Type=\"1\">\r\n"
                           "\t\t\t\t<DisplayName>quick</DisplayName>\r\n"), 0u);
    EXPECT_EQ(on.find("topsecret"), std::string::npos);
    EXPECT_EQ(section.find("<Password "), std::string::npos);
    EXPECT_NE(section.find("\t\t\t</Node>\r\n\t\t</Open>\r\n\t</OpenSessions>\r\n</Kestrum>\r\n"),
              std::string::npos);
    EXPECT_EQ(section.find("attached"), std::string::npos);   /* sessions without a node are skipped */

    /* and the entries read back as pending sessions */
    ResetModel();
    StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    ASSERT_TRUE(ConfigLoad());
    PendingOpenSession *p = PendingOpenSessions;
    ASSERT_TRUE(p && p->Next && p->Next->Next);
    EXPECT_EQ(U8(p->Uid), "{IN}");
    EXPECT_EQ(U8(p->Next->Session), "my \"web\"");
    EXPECT_EQ(U8(p->Next->Caption), "<Mine>");
    EXPECT_FALSE(p->Member);
    EXPECT_TRUE(p->Next->Member);
    EXPECT_EQ(U8(p->Next->Next->Node->DisplayName), "quick");
    EXPECT_EQ(p->Next->Next->Node->Password, nullptr);
    NodeFree(copy);
    NodeFree(saved);
    NodeFree(gone);
}

TEST_F(ConfigFile, FailedSaveKeepsOldFile)
{
    ASSERT_TRUE(WriteBytes(ConfigFilePath, "old configuration"));
    ASSERT_TRUE(MakeReadOnly(ConfigFilePath));
    Settings.TabCaption = 1;
    EXPECT_FALSE(ConfigSave());
    EXPECT_EQ(ReadBytes(ConfigFilePath), "old configuration");
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.tmp")));

    std::string longName(260, 'n');
    StrCopyTo(ConfigFilePath, KPATH, WText(dir.path + "\\" + longName));
    EXPECT_GE(StrLen(ConfigFilePath), 256);
    EXPECT_FALSE(ConfigSave());
}

/* A file far longer than the pieces it is written in: the bytes are
 * those of the whole text, whatever falls on the seams. */
TEST_F(ConfigFile, LongFileWrittenInPieces)
{
    /* one run of text longer than a piece, which grows the buffer */
    std::string longScript = "cd /\r\n";
    for (int i = 0; i < 40000; i++)
        longScript += i % 1000 ? "서버" : "😀";
    longScript += "\r\n&<end>";
    for (int i = 0; i < 2500; i++) {
        ServerNode *s = NodeNew(NODE_SERVER);
        StrAssign(&s->UID, WText("{" + std::to_string(i) + "}"));
        StrAssign(&s->DisplayName, WText(std::string((size_t)(i % 13), 'x') + "서버😀" + std::to_string(i)));
        if (i % 100 == 7) {
            std::vector<wchar_t> lone = { 'a', (wchar_t)0xD83D, 0 };
            StrAssign(&s->ServerName, lone.data());
            lone[1] = (wchar_t)0xDE00;
            StrAssign(&s->UserName, lone.data());
        }
        if (i == 1234)
            StrAssign(&s->Script, WText(longScript));
        NodeAppendChild(ServersRoot, s);
    }
    std::string saved = Saved();
    TextBuilder b = {};
    b.Append(L"\t<Servers>\r\n");
    NodeWriteList(&b, ServersRoot->FirstChild, 2, false, false);
    b.Append(L"\t</Servers>\r\n");
    int n = 0;
    char *servers = Utf8FromWide(b.Text(), &n);
    b.Release();
    EXPECT_GT(saved.size(), 1000000u);
    EXPECT_NE(saved.find(std::string(servers, (size_t)n)), std::string::npos);
    EXPECT_EQ(saved.compare(saved.size() - 12, 12, "</Kestrum>\r\n"), 0);
    MemFree(servers);

    ResetModel();
    ASSERT_TRUE(ConfigLoad());
    EXPECT_EQ(NodeCountServers(ServersRoot), 2500);
    ServerNode *s = ServersRoot->FirstChild;
    for (int i = 0; i < 1234; i++)
        s = s->NextSibling;
    EXPECT_EQ(U8(s->Script), longScript);
    EXPECT_EQ(Saved(), saved);
}

/* Loading reads the file into the block that holds its text; the result
 * is that of ConfigApply on the same bytes, ill-formed ones included. */
TEST_F(ConfigFile, LoadAsApplied)
{
    std::string korean;
    for (int i = 0; i < 2000; i++)
        korean += "<Node Type='1'><DisplayName>서버 " + std::to_string(i) + "</DisplayName></Node>";
    const std::string files[] = {
        Doc("<TabCaption>1</TabCaption>", "<Servers>" + korean + "</Servers>"),
        "\xEF\xBB\xBF" + Doc("", "<Servers><Node Type='1'><DisplayName>bom</DisplayName></Node></Servers>"),
        Doc("", "<Servers><Node Type='1'><DisplayName>a\xFF\xC3(\xED\xA0\x80z</DisplayName></Node>" + korean +
                    "</Servers>"),
        Doc("", "<Servers><Node Type='1'><DisplayName>cut \xF0\x9F\x98</DisplayName></Node></Servers>") + "\xE2\x82",
    };
    for (const std::string &file : files) {
        ResetModel();
        ASSERT_EQ(ConfigApply(file.data(), (int)file.size()), CONFIG_APPLIED);
        std::string applied = TreeShape(ServersRoot);
        int tab = Settings.TabCaption;
        ResetModel();
        ASSERT_TRUE(Load(file));
        EXPECT_EQ(TreeShape(ServersRoot), applied);
        EXPECT_EQ(Settings.TabCaption, tab);
    }
}
