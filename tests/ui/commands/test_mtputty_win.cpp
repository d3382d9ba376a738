/*
 * The MTPuTTY import command against the real main window, with the
 * message boxes and the file chooser answered by the recorders: which
 * questions come in which order, what the tree, the menus, the tabs and
 * the saved file show afterwards, and which hotkeys stay registered.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/putty_discovery.h"
#include "sessions/putty_sessions.h"
#include "ui/commands/commands.h"
#include "ui/hotkeys/hotkey_actions.h"
#include "ui/hotkeys/hotkey_text.h"
#include "ui/hotkeys/hotkeys.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menus.h"
#include "ui/shell/toolbar.h"
#include "ui/tree/tree_view.h"
#include "answer_queue.h"
#include "main_window_util.h"
#include "password_scan.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

const std::string AskFile = "이 파일에서 가져올까요?\n%s\n\n'아니요'를 누르면 다른 파일을 고릅니다.";
const std::string AskMode = "현재 서버 트리를 MTPuTTY 트리로 바꿀까요?\n\n"
                            "예: 바꾸기 (MTPuTTY의 PuTTY 경로·옵션·단축키도 가져옴)\n"
                            "아니요: 'MTPuTTY에서 가져옴' 폴더로 추가";
const std::string NotRead = "MTPuTTY 설정 파일을 읽지 못했습니다.";

std::string Imported(int servers, int needPassword)
{
    if (needPassword == 0)
        return "서버 " + std::to_string(servers) + "개를 가져왔습니다.";
    return "서버 " + std::to_string(servers) +
           "개를 가져왔습니다.\n\n"
           "MTPuTTY는 비밀번호를 자체 방식으로 암호화해 저장하기 때문에 옮길 수 없습니다. "
           "(명령줄의 '-pw *****'도 실제 비밀번호가 아니라 가림 표시입니다.)\n"
           "비밀번호를 다시 입력해야 하는 서버가 " +
           std::to_string(needPassword) +
           "개 있습니다.\n\n"
           "지금 '비밀번호 일괄 변경'을 열까요? 사용자 이름으로 걸러서 한 번에 넣을 수 있습니다.";
}

std::string Replaced(std::string text, const std::string &path)
{
    text.replace(text.find("%s"), 2, path);
    return text;
}

std::string Server(const std::string &name, const std::string &more = "")
{
    return "<Node Type=\"1\"><DisplayName>" + name + "</DisplayName><ServerName>" + name + ".example</ServerName>" +
           more + "</Node>\r\n";
}

/* Two of three servers lose their password: one masked, one in
 * MTPuTTY's own encrypted form. */
std::string MtputtyFile(const std::string &globals)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<MTPutty version=\"1.0\">\r\n<Servers>\r\n<Putty>\r\n"
           "<Node Type=\"0\" Expanded=\"1\"><DisplayName>운영</DisplayName>\r\n" +
           Server("web1", "<UserName>admin</UserName><CLParams>-pw *****</CLParams>") +
           Server("db1", "<CLParams>-ssh -pw s3cret -P 2222</CLParams>") + "</Node>\r\n" +
           Server("router", "<Password>ZW5j</Password>") + "</Putty>\r\n</Servers>\r\n" + globals + "</MTPutty>\r\n";
}

std::string Globals()
{
    return "<Globals>\r\n<PuttyLocation>" + ProgramDir() +
           "\\putty_double_nover.exe</PuttyLocation>\r\n"
           "<General><TabPosition>1</TabPosition><CloseButtonOnTabs>0</CloseButtonOnTabs></General>\r\n"
           "<Advanced><SaveSessions>1</SaveSessions></Advanced>\r\n"
           "<Hotkeys><NextTab>0</NextTab><acConnectTo>0</acConnectTo><acSettings>32881</acSettings></Hotkeys>\r\n"
           "</Globals>\r\n";
}

/* The texts of the tree control's top-level items. */
std::string RootItems()
{
    std::string out;
    for (HTREEITEM item = TreeView_GetRoot(ServerTree); item; item = TreeView_GetNextSibling(ServerTree, item)) {
        wchar_t text[300];
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 300;
        SendMessageW(ServerTree, TVM_GETITEMW, 0, (LPARAM)&tv);
        out += (out.empty() ? "" : "|") + U8(text);
    }
    return out;
}

std::string MenuLabel(int command)
{
    wchar_t text[300] = {};
    GetMenuStringW(MenuBar, command, text, 300, MF_BYCOMMAND);
    return U8(text);
}

std::string KeyText(int value)
{
    wchar_t text[64];
    HotkeyToText(value, text, 64);
    return U8(text);
}

enum { TEST_HOTKEY_ID = 0xBF00 };

/* Whether some window of this desktop holds the combination. */
bool KeyTaken(UINT modifiers, UINT key)
{
    if (!RegisterHotKey(NULL, TEST_HOTKEY_ID, modifiers, key))
        return true;
    UnregisterHotKey(NULL, TEST_HOTKEY_ID);
    return false;
}

struct MtputtyCommand : ::testing::Test {
    TempDir dir, appdata;
    WText suggested = WText(appdata.path + "\\TTYPlus\\mtputty.xml");
    WText chosen = dir.File("chosen.xml");
    ScopedEnv appdataEnv{ "APPDATA", appdata.path.c_str() };

    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetForCommands(dir);
        UseDouble();
        ServerNode *mine = NodeNew(NODE_FOLDER);
        StrAssign(&mine->DisplayName, L"mine");
        NodeAppendChild(ServersRoot, mine);
        ServerNode *own = NodeNew(NODE_SERVER);
        StrAssign(&own->DisplayName, L"own");
        NodeAppendChild(mine, own);
        RefillTree(NULL);
        RebuildMenuBar();
        ApplyTabPosition();
        /* MTPuTTY's file holds it on its command line, as written here */
        WatchPasswords({ "s3cret" });
        AllowClearFile(U8(suggested));
        AllowClearFile(U8(chosen));
    }
    void TearDown() override
    {
        ExpectNoClearPasswords();
        RemovePath(suggested);
        RemovePath(WText(appdata.path + "\\TTYPlus"));
        StubMessageHook = NULL;
        ResetModel();
        RefillTree(NULL);
        RebuildMenuBar();
        ApplyTabPosition();
        LayoutMainWindow();
        Pump();
    }
    void PlaceSuggested(const std::string &content)
    {
        CreateDirectoryW(WText(appdata.path + "\\TTYPlus"), NULL);
        ASSERT_TRUE(WriteBytes(suggested, content));
    }
    void Run(std::vector<int> answers)
    {
        Answers = answers;
        ExecuteCommand(CMD_IMPORT_MTPUTTY);
        EXPECT_TRUE(Answers.empty()) << "questions left unasked";
    }
    std::string Saved() { return ReadBytes(ConfigFilePath); }
    bool SavedHas(const std::string &text) { return Saved().find(text) != std::string::npos; }
};

} // namespace

TEST_F(MtputtyCommand, SuggestedFileReplacesTreeAndOptions)
{
    PlaceSuggested(MtputtyFile(Globals()));
    ASSERT_EQ(PuttyVersionMajor, 0);
    ASSERT_EQ(PuttyVersionMinor, 78);
    Run({ IDYES, IDYES, IDNO });

    ASSERT_EQ(Asks.size(), 3u);
    EXPECT_EQ(Asks[0].flags, (UINT)(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Asks[0].text, Replaced(AskFile, U8(suggested)));
    EXPECT_EQ(Asks[1].flags, (UINT)(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(Asks[1].text, AskMode);
    EXPECT_EQ(Asks[2].flags, (UINT)(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_EQ(Asks[2].text, Imported(3, 2));
    EXPECT_EQ(StubLaunchCount, 0);              /* No: no bulk change */

    /* the tree is MTPuTTY's, nothing selected */
    EXPECT_EQ(TreeShape(ServersRoot), "[운영: web1 db1] router");
    EXPECT_EQ(RootItems().find("운영|router"), 0u) << RootItems();
    EXPECT_EQ(SelectedNode(), nullptr);

    /* the PuTTY path, its version, tabs and menus follow the options */
    EXPECT_EQ(U8(Settings.PuttyPath), ProgramDir() + "\\putty_double_nover.exe");
    EXPECT_EQ(PuttyVersionMinor, 0);
    EXPECT_NE(GetWindowLongW(TabControl, GWL_STYLE) & TCS_BOTTOM, 0);
    EXPECT_EQ(Settings.CloseButtonOnTabs, 0);
    EXPECT_EQ(Settings.Hotkeys[0], HotkeySettings[0].Default);
    EXPECT_EQ(MenuLabel(CMD_SETTINGS).substr(MenuLabel(CMD_SETTINGS).find('\t') + 1), KeyText(0x8071));
    EXPECT_EQ(MenuLabel(CMD_QUICK_CONNECT).find('\t'), std::string::npos);

    /* saved, the taken password protected as always */
    EXPECT_TRUE(SavedHas("<DisplayName>web1</DisplayName>"));
    EXPECT_FALSE(SavedHas("<DisplayName>own</DisplayName>"));
    EXPECT_TRUE(SavedHas("<TabBottom>1</TabBottom>"));
    EXPECT_TRUE(SavedHas("<SaveSessions>1</SaveSessions>"));
    EXPECT_TRUE(SavedHas("<acConnectTo>0</acConnectTo>"));
    EXPECT_TRUE(SavedHas("<Password enc=\"dpapi\">"));
    EXPECT_FALSE(SavedHas("s3cret"));
    EXPECT_TRUE(SavedHas("<CLParams>-ssh -P 2222</CLParams>"));

    Pump();
    SaveWindowShot(MainWindow, "mtputty-replaced");
}

TEST_F(MtputtyCommand, ChosenFileAddedAndBulkChangeOffered)
{
    /* no MTPuTTY file under APPDATA: straight to the chooser */
    ASSERT_TRUE(WriteBytes(chosen, MtputtyFile(Globals())));
    StubChosenFile = chosen;
    StubChooserFilter[0] = 0;
    std::string options = std::to_string(Settings.TabBottom) + U8(Settings.PuttyPath);
    Run({ IDNO, IDYES });
    /* MTPuTTY's file first; any other name can be chosen too */
    EXPECT_EQ(U8(StubChooserFilter), "MTPuTTY 설정 (mtputty.xml)|*.xml|모든 파일|*.*");
    EXPECT_EQ(U8(StubChooserExtension), "xml");

    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[0].text, AskMode);
    EXPECT_EQ(Asks[1].flags, (UINT)(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_EQ(Asks[1].text, Imported(3, 2));

    ServerNode *folder = ServersRoot->FirstChild->NextSibling;
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(TreeShape(ServersRoot), "[mine: own] [MTPuTTY에서 가져옴: [운영: web1 db1] router]");
    EXPECT_EQ(StubLaunchCount, 1);
    EXPECT_EQ(StubBulkFolder, folder);          /* limited to what came in */
    EXPECT_EQ(SelectedNode(), folder);
    EXPECT_NE(TreeView_GetItemState(ServerTree, (HTREEITEM)folder->TreeItem, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);

    /* add mode takes no options */
    EXPECT_EQ(std::to_string(Settings.TabBottom) + U8(Settings.PuttyPath), options);
    for (int i = 0; i < HOTKEY_COUNT; i++)
        EXPECT_EQ(Settings.Hotkeys[i], HotkeySettings[i].Default) << U8(HotkeySettings[i].Name);
    EXPECT_EQ(GetWindowLongW(TabControl, GWL_STYLE) & TCS_BOTTOM, 0);
    EXPECT_TRUE(SavedHas("<DisplayName>MTPuTTY에서 가져옴</DisplayName>"));
    EXPECT_TRUE(SavedHas("<DisplayName>own</DisplayName>"));
    EXPECT_TRUE(SavedHas("<TabBottom>0</TabBottom>"));
}

TEST_F(MtputtyCommand, NoToSuggestedFileOpensChooser)
{
    PlaceSuggested(MtputtyFile(Globals()));

    /* the chooser cancelled: nothing happens */
    Run({ IDNO });
    EXPECT_EQ(Asks.size(), 1u);
    EXPECT_EQ(TreeShape(ServersRoot), "[mine: own]");
    EXPECT_FALSE(PathExists(ConfigFilePath));

    /* the chosen file is read, not the suggested one */
    ASSERT_TRUE(WriteBytes(chosen, "<MTPutty><Servers><Putty>" + Server("elsewhere") + "</Putty></Servers></MTPutty>"));
    StubChosenFile = chosen;
    Asks.clear();
    Run({ IDNO, IDNO });
    ASSERT_EQ(Asks.size(), 3u);
    EXPECT_EQ(Asks[1].text, AskMode);
    EXPECT_EQ(Asks[2].flags, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(Asks[2].text, Imported(1, 0));
    EXPECT_EQ(TreeShape(ServersRoot), "[mine: own] [MTPuTTY에서 가져옴: elsewhere]");
    EXPECT_EQ(StubLaunchCount, 0);
    EXPECT_TRUE(SavedHas("<DisplayName>elsewhere</DisplayName>"));
}

TEST_F(MtputtyCommand, CancelledOrUnreadableChangesNothing)
{
    ASSERT_TRUE(WriteBytes(chosen, MtputtyFile(Globals())));
    StubChosenFile = chosen;
    Run({ IDCANCEL });
    EXPECT_EQ(Asks.size(), 1u);
    EXPECT_EQ(TreeShape(ServersRoot), "[mine: own]");

    /* a tree export is no MTPuTTY file; neither is a missing one */
    ASSERT_TRUE(WriteBytes(chosen, "<KestrumTree version=\"1\"><Servers>" + Server("x") + "</Servers></KestrumTree>"));
    for (const WText &file : { chosen, dir.File("absent.xml") }) {
        StubChosenFile = file;
        Asks.clear();
        Run({ IDYES });
        ASSERT_EQ(Asks.size(), 2u);
        EXPECT_EQ(Asks[1].flags, (UINT)MB_ICONERROR);
        EXPECT_EQ(Asks[1].text, NotRead);
        EXPECT_EQ(TreeShape(ServersRoot), "[mine: own]");
        EXPECT_EQ(RootItems().find("mine"), 0u) << RootItems();
        EXPECT_EQ(Settings.Hotkeys[13], HotkeySettings[13].Default);
    }
    EXPECT_FALSE(PathExists(ConfigFilePath));
}

TEST_F(MtputtyCommand, ClearedHotkeyNoLongerRegistered)
{
    SetForegroundWindow(MainWindow);
    Pump();
    if (GetForegroundWindow() != MainWindow)
        GTEST_SKIP() << "the main window cannot come to the front here";
    SetHotkeysActive(false);
    SetHotkeysActive(true);
    ASSERT_TRUE(KeyTaken(MOD_CONTROL | MOD_SHIFT, 'K'));      /* acConnectTo */
    ASSERT_FALSE(KeyTaken(MOD_ALT, VK_F2));

    ASSERT_TRUE(WriteBytes(chosen, "<MTPutty><Servers><Putty>" + Server("one") + "</Putty></Servers>" + Globals() +
                                       "</MTPutty>"));
    StubChosenFile = chosen;
    Run({ IDYES });
    ASSERT_EQ(Asks.size(), 2u);
    EXPECT_EQ(Asks[1].text, Imported(1, 0));

    /* the cleared action let go of its key; the new one holds its own */
    EXPECT_EQ(Settings.Hotkeys[13], 0);
    EXPECT_FALSE(KeyTaken(MOD_CONTROL | MOD_SHIFT, 'K'));
    EXPECT_FALSE(UnregisterHotKey(MainWindow, HOTKEY_ID_BASE + 13));
    EXPECT_TRUE(KeyTaken(MOD_ALT, VK_F2));
    EXPECT_TRUE(KeyTaken(MOD_CONTROL, VK_TAB));                /* NextTab kept */
    EXPECT_TRUE(HotkeysActive);
}
