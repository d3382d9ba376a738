/*
 * A question, a dialog, a popup menu or a drag is open while the poll
 * goes on: the session it is about ends and goes, or another starts.
 * What the user then chooses reaches the right session or nothing, and
 * no other PuTTY is ended.  The checked heap fails a test that writes
 * to a freed session.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/key_script.h"
#include "sessions/session.h"
#include "ui/commands/commands.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menus.h"
#include "ui/shell/tab_rules.h"
#include "ui/shell/tabs.h"
#include "ui/shell/toolbar.h"
#include "checked_heap.h"
#include "double_cues.h"
#include "main_window_util.h"
#include "program_util.h"
#include "session_util.h"
#include "stub_prompts.h"
#include "test_util.h"

namespace {


/* What runs while a stubbed question or input box is open. */
std::function<void()> During;
int DuringThenYes(UINT, const wchar_t *)
{
    During();
    return IDYES;
}
void DuringInput()
{
    During();
}

struct ModalPoints : ::testing::Test {
    TempDir dir;

    static void SetUpTestSuite()
    {
        OpenMainWindow();
    }
    void SetUp() override
    {
        ResetForSessions();
        SetForegroundWindow(MainWindow);
    }
    void TearDown() override
    {
        while (SessionCount)
            CloseSession(SessionList[0], true);
        PumpKeyQueues();
        ResetModel();
    }
    ServerNode *Server(const char *name) { return DoubleServer(name, dir.path + "\\" + name + ".log"); }
    /* A session whose PuTTY window is taken in; its Id. */
    int Running(const char *name)
    {
        Session *s = OpenSession(Server(name));
        int id = s->Id;
        EXPECT_TRUE(Until([&] { return FindSessionById(id)->State == SESSION_RUNNING; })) << name;
        return id;
    }
    /* The session's PuTTY ends normally; by default its tab closes. */
    static bool EndAndGo(int id)
    {
        PostMessageW(FindSessionById(id)->PuttyWindow, CUE_EXIT, 0, 0);
        return Until([&] { return !FindSessionById(id); }, 5000);
    }
    /* The session is there, Running, with the same PuTTY as before. */
    static bool Untouched(int id, DWORD processId)
    {
        Session *s = FindSessionById(id);
        return s && s->State == SESSION_RUNNING && s->ProcessId == processId &&
               WaitForSingleObject(s->Process, 0) == WAIT_TIMEOUT;
    }
    static DWORD Pid(int id) { return FindSessionById(id)->ProcessId; }
    static void Activate(int id) { ActivateSession(SessionIndex(FindSessionById(id)), false); }
};

/* A popup menu of this thread: once open, `open` runs; once `ready`
 * holds, the item at `item` (0 the first) is chosen with the keys a
 * user would press. */
struct MenuScript {
    std::function<void()> open;
    std::function<bool()> ready;
    int item;
    int phase, ticks;
};
MenuScript Script;

void CALLBACK StepMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = FindWindowW(L"#32768", NULL);
    if (++Script.ticks > 200) {
        KillTimer(NULL, timer);
        EndMenu();
        return;
    }
    if (!popup || !IsWindowVisible(popup))
        return;
    if (Script.phase == 0) {
        Script.phase = 1;
        if (Script.open)
            Script.open();
    }
    if (Script.phase == 1 && (!Script.ready || Script.ready())) {
        Script.phase = 2;
        KillTimer(NULL, timer);
        for (int i = 0; i <= Script.item; i++)
            PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    }
}

/* The tab menu of the active session, as a right click on its tab
 * shows it, with the item chosen as the script says. */
void TabMenu(int item, std::function<void()> open = nullptr, std::function<bool()> ready = nullptr)
{
    Script = MenuScript{ open, ready, item, 0, 0 };
    UINT_PTR timer = SetTimer(NULL, 0, 60, StepMenu);
    RECT r;
    GetWindowRect(TabControl, &r);
    ShowTabContextMenu(r.left + 20, r.top + 10);
    KillTimer(NULL, timer);
    Pump();
}

RECT TabRect(int index)
{
    RECT r = {};
    SendMessageW(TabControl, TCM_GETITEMRECT, index, (LPARAM)&r);
    return r;
}

} // namespace

TEST_F(ModalPoints, CloseQuestionOutlivedByItsSession)
{
    int a = Running("a"), b = Running("b");
    DWORD pidB = Pid(b);
    Activate(a);
    int c = 0;
    During = [&] {
        EXPECT_TRUE(EndAndGo(a));
        c = OpenSession(Server("c"))->Id;       /* a reconnect or a queued open */
    };
    StubMessageHook = DuringThenYes;
    ExecuteCommand(CMD_CLOSE_TAB);
    EXPECT_EQ(U8(StubMessageText), "'a' 세션을 닫을까요?");
    EXPECT_EQ(SessionCount, 2);
    EXPECT_TRUE(Untouched(b, pidB));
    ASSERT_NE(FindSessionById(c), nullptr);
    ASSERT_TRUE(Until([&] { return FindSessionById(c)->State == SESSION_RUNNING; }));

    /* and the next close closes what it asks about */
    StubMessageHook = NULL;
    StubMessageAnswer = IDYES;
    Activate(b);
    ExecuteCommand(CMD_CLOSE_TAB);
    EXPECT_EQ(U8(StubMessageText), "'b' 세션을 닫을까요?");
    EXPECT_EQ(FindSessionById(b), nullptr);
    EXPECT_NE(FindSessionById(c), nullptr);
}

TEST_F(ModalPoints, InputBoxAndCloseOthersOutlivedByTheirSession)
{
    int a = Running("a"), b = Running("b");
    Activate(a);
    During = [&] { EXPECT_TRUE(EndAndGo(a)); };
    StubInputHook = DuringInput;
    StubInputAnswer = L"새 이름";
    ExecuteCommand(CMD_RENAME_TAB);
    ASSERT_EQ(SessionCount, 1);
    EXPECT_EQ(U8(FindSessionById(b)->Caption), "b");

    /* "close the others" keeps the tab it was asked for, or does nothing */
    int c = Running("c");
    DWORD pidB = Pid(b);
    Activate(c);
    During = [&] { EXPECT_TRUE(EndAndGo(c)); };
    StubMessageHook = DuringThenYes;
    ExecuteCommand(CMD_CLOSE_OTHER_TABS);
    EXPECT_EQ(U8(StubMessageText), "세션 1개를 닫을까요?");
    EXPECT_TRUE(Untouched(b, pidB));
}

TEST_F(ModalPoints, TabMenuOutlivedByItsSession)
{
    int a = Running("a"), b = Running("b");
    DWORD pidB = Pid(b);
    Activate(a);
    HWND puttyA = FindSessionById(a)->PuttyWindow;
    /* 다시 연결 is the third item */
    TabMenu(2, [&] { PostMessageW(puttyA, CUE_EXIT, 0, 0); }, [&] { return !FindSessionById(a); });
    EXPECT_EQ(Script.phase, 2);
    ASSERT_EQ(FindSessionById(a), nullptr);
    EXPECT_TRUE(Untouched(b, pidB));

    /* the same choice on a session that stays reconnects that one */
    Activate(b);
    TabMenu(2);
    EXPECT_EQ(Script.phase, 2);
    ASSERT_NE(FindSessionById(b), nullptr);
    EXPECT_NE(Pid(b), pidB);
}

TEST_F(ModalPoints, CloseMarkAndTabDragOutlivedByTheirSession)
{
    ASSERT_EQ(Settings.CloseButtonOnTabs, 1);
    int a = Running("a"), b = Running("b"), c = Running("c");
    DWORD pidB = Pid(b), pidC = Pid(c);
    StubMessageAnswer = IDYES;

    /* pressed on a's close mark, released on the same spot, which is
     * b's close mark by then */
    LayoutRect m = CloseMarkRect({ TabRect(0).left, TabRect(0).top, TabRect(0).right, TabRect(0).bottom },
                                 ScaleForDpi(12), ScaleForDpi(5));
    LPARAM mark = MAKELPARAM((m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2);
    SendMessageW(TabControl, WM_LBUTTONDOWN, MK_LBUTTON, mark);
    ASSERT_TRUE(EndAndGo(a));
    SendMessageW(TabControl, WM_LBUTTONUP, 0, mark);
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_TRUE(Untouched(b, pidB));

    /* b dragged towards c's tab; b goes before the drop */
    int d = Running("d");
    RECT from = TabRect(0), to = TabRect(1);
    SendMessageW(TabControl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.left + 5, from.top + 5));
    SendMessageW(TabControl, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.left + 30, from.top + 5));
    ASSERT_TRUE(EndAndGo(b));
    SendMessageW(TabControl, WM_LBUTTONUP, 0, MAKELPARAM(to.left + 5, to.top + 5));
    ASSERT_EQ(SessionCount, 2);
    EXPECT_EQ(SessionList[0]->Id, c);
    EXPECT_EQ(SessionList[1]->Id, d);
    EXPECT_TRUE(Untouched(c, pidC));
}

TEST(CheckedHeap, CatchesAWriteAfterFree)
{
    EXPECT_EQ(CheckedHeapFaults(), 0);
    char *p = (char *)MemAlloc(40);
    MemFree(p);
    p[7] = 1;       /* the fault it is there to catch: the block is still held */
    EXPECT_EQ(CheckedHeapFaults(), 1);
    EXPECT_NE(std::string(CheckedHeapFirstFault()).find("offset 7"), std::string::npos) << CheckedHeapFirstFault();
    EXPECT_EQ(CheckedHeapFaults(), 0);
}

/* PuTTY shows a box of its own (its host-key alert) while the user is
 * still in the quick-connect box where the target was typed; once it is
 * answered, what the user types goes to PuTTY, not back into the box. */
/* OK on the message box, as the user would click it. */
static void CALLBACK AnswerBox(HWND w, UINT, UINT_PTR id, DWORD)
{
    KillTimer(w, id);
    if (HWND box = FindWindowW(L"#32770", L"Kestrum"))
        PostMessageW(box, WM_COMMAND, IDOK, 0);
}

/* Where the next typed key goes after each way of moving between
 * sessions: always the active session's PuTTY. */
TEST_F(ModalPoints, KeysFollowTheActiveSession)
{
    int a = Running("a"), b = Running("b");
    SetForegroundWindow(MainWindow);
    auto typedReaches = [&](const char *name) {
        std::string log = dir.path + "\\" + name + ".log";
        auto count = [&] {
            std::string text = ReadBytes(WText(log));
            size_t n = 0;
            for (size_t at = text.find("keydown 75 "); at != std::string::npos; at = text.find("keydown 75 ", at + 1))
                n++;
            return n;
        };
        size_t before = count();
        PressKey('K');
        return Until([&] { return count() > before; }, 3000);
    };
    auto click = [](POINT pt) {
        ClickAt(pt);
        Until([] { return false; }, 300);     /* the click's messages */
    };

    /* a click on a tab */
    RECT tab = TabRect(0);
    POINT onTab = { (tab.left + tab.right) / 2 - 10, (tab.top + tab.bottom) / 2 };
    ClientToScreen(TabControl, &onTab);
    click(onTab);
    EXPECT_EQ(ActiveSession()->Id, a);
    EXPECT_TRUE(typedReaches("a")) << "after a click on a tab";

    /* the next and previous commands */
    ExecuteCommand(CMD_NEXT_TAB);
    EXPECT_TRUE(typedReaches("b")) << "after the next-tab command";
    ExecuteCommand(CMD_PREV_TAB);
    EXPECT_TRUE(typedReaches("a")) << "after the previous-tab command";

    /* a tab's menu with the keys in PuTTY: Esc from the keyboard closes
     * it, and the keys go to PuTTY again */
    TabMenu(0, [] { PressKey(VK_ESCAPE); }, [] { return false; });
    EXPECT_LT(Script.ticks, 200) << "the menu did not take Esc";
    EXPECT_TRUE(typedReaches("a")) << "after a menu";

    /* a message box closed */
    SetTimer(MainWindow, 77, 300, AnswerBox);
    MessageBoxW(MainWindow, L"?", L"Kestrum", MB_OK);
    EXPECT_TRUE(typedReaches("a")) << "after a message box";

    /* away to another program's window and back */
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, NULL, NULL,
                                 GetModuleHandleW(NULL), NULL);
    SetForegroundWindow(other);
    Until([] { return false; }, 200);
    SetForegroundWindow(MainWindow);
    DestroyWindow(other);
    EXPECT_TRUE(Until([] { return GetForegroundWindow() == MainWindow; }, 2000));
    EXPECT_TRUE(typedReaches("a")) << "after switching back";

    /* a click into a tiled session that is not active */
    SetViewMode(1);
    Until([] { return false; }, 300);
    RECT clip;
    GetWindowRect(FindSessionById(b)->ClipWindow, &clip);
    click(POINT{ (clip.left + clip.right) / 2, (clip.top + clip.bottom) / 2 });
    EXPECT_TRUE(Until([&] { return ActiveSession()->Id == b; }, 2000));
    EXPECT_TRUE(typedReaches("b")) << "after a click into a tiled session";
    SetViewMode(0);

    /* the active tab closed, and the active session ending */
    int c = Running("c");
    ASSERT_EQ(ActiveSession()->Id, c);
    StubMessageAnswer = IDYES;
    ExecuteCommand(CMD_CLOSE_TAB);
    EXPECT_TRUE(typedReaches(ActiveSession()->Id == a ? "a" : "b")) << "after closing the active tab";
    int next = ActiveSession()->Id == a ? b : a;
    ActivateSession(SessionIndex(FindSessionById(next)), true);
    int ending = ActiveSession()->Id;
    ASSERT_TRUE(EndAndGo(ending));
    EXPECT_TRUE(typedReaches(ending == a ? "b" : "a")) << "after the active session ended";
}

/* Back in the main window with the keys last in a PuTTY that has hung
 * since: they go to the tree, and the program does not wait for PuTTY. */
TEST_F(ModalPoints, BackToAHungPutty)
{
    int a = Running("a");
    HWND putty = FindSessionById(a)->PuttyWindow;
    ActivateSession(SessionIndex(FindSessionById(a)), true);
    ASSERT_TRUE(Until([&] { return GetFocus() == putty; }, 3000));
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, NULL, NULL,
                                 GetModuleHandleW(NULL), NULL);
    SetForegroundWindow(other);
    ASSERT_TRUE(Until([&] { return GetForegroundWindow() == other; }, 2000));
    PostMessageW(putty, CUE_HANG, 0, 0);
    std::string log = dir.path + "\\a.log";
    ASSERT_TRUE(Until([&] { return ReadBytes(WText(log)).find("hang 0") != std::string::npos; }, 3000));
    DWORD began = GetTickCount();
    SetForegroundWindow(MainWindow);
    Until([] { return false; }, 500);
    EXPECT_LT(GetTickCount() - began, 5000u);
    EXPECT_EQ(GetFocus(), ServerTree);
    DestroyWindow(other);
}

/* PuTTY's own boxes: its report of a lost connection is closed by the
 * program, every other box waits for the user, marked and in front. */
namespace {

const char *const Reason = "Remote side unexpectedly closed network connection";

std::string Status(int id)
{
    wchar_t text[600];
    SessionStatusText(FindSessionById(id), text, 600);
    return U8(text);
}

struct PuttyBoxes : ModalPoints {
    std::string Log(const char *name) { return ReadBytes(WText(dir.path + "\\" + name + ".log")); }
    /* The double shows a box; the box once it is there. */
    HWND ShowBox(int id, int kind)
    {
        PostMessageW(FindSessionById(id)->PuttyWindow, CUE_BOX, (WPARAM)kind, 0);
        DWORD pid = Pid(id);
        HWND box = NULL;
        Until([&] {
            for (HWND w = FindWindowW(L"#32770", NULL); w && !box; w = GetWindow(w, GW_HWNDNEXT)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid && IsWindowVisible(w))
                    box = w;
            }
            return box != NULL;
        }, 5000);
        return box;
    }
};

} // namespace

TEST_F(PuttyBoxes, LostConnectionReconnectsWithoutAClick)
{
    Settings.AutoReconnect = 1;
    Settings.ReconnectDelay = 2;
    int a = Running("a"), b = Running("b");
    DWORD pidA = Pid(a), pidB = Pid(b);
    ASSERT_NE(ShowBox(a, 0), nullptr);
    ASSERT_TRUE(Until([&] { return FindSessionById(a)->State == SESSION_RECONNECT_WAIT; }, 3000));
    EXPECT_EQ(TabLabel(0).rfind("[재연결] a", 0), 0u) << TabLabel(0);
    EXPECT_NE(Status(a).find(std::string("\n") + Reason), std::string::npos) << Status(a);
    /* the box disabled the main window, and its PuTTY ended with it open */
    EXPECT_TRUE(Until([] { return IsWindowEnabled(MainWindow) != FALSE; }, 1000));
    ASSERT_TRUE(Until([&] { return FindSessionById(a)->State == SESSION_RUNNING && Pid(a) != pidA; }, 8000));
    EXPECT_EQ(FindSessionById(a)->Reason[0], 0);
    EXPECT_TRUE(Untouched(b, pidB));

    /* a PuTTY that hangs with its box open is ended and started anew */
    pidA = Pid(a);
    HWND box = ShowBox(a, 0);
    ASSERT_NE(box, nullptr);
    PostMessageW(FindSessionById(a)->PuttyWindow, CUE_HANG, 0, 0);
    ASSERT_TRUE(Until([&] { return Pid(a) != pidA && FindSessionById(a)->State == SESSION_RUNNING; }, 10000));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(Until([] { return IsWindowEnabled(MainWindow) != FALSE; }, 2000));
    EXPECT_TRUE(Untouched(b, pidB));
}

TEST_F(PuttyBoxes, LostConnectionKeepsTheTabWithPuttysWords)
{
    Settings.AutoReconnect = 0;
    Settings.KeepOnAbnormalEnd = 1;
    int a = Running("a");
    ASSERT_NE(ShowBox(a, 0), nullptr);
    ASSERT_TRUE(Until([&] { return Log("a").find("box closed 1") != std::string::npos; }, 3000)) << Log("a");
    EXPECT_TRUE(Until([&] { return TabLabel(0).rfind("[끊김] a", 0) == 0; }, 2000)) << TabLabel(0);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
    /* PuTTY's words in the tab's tip */
    NMTTDISPINFOW tip = {};
    tip.hdr.hwndFrom = (HWND)SendMessageW(TabControl, TCM_GETTOOLTIPS, 0, 0);
    tip.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(MainWindow, WM_NOTIFY, 0, (LPARAM)&tip);
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_EQ(U8(tip.lpszText), std::string("a\n") + Reason);
    /* PuTTY's "(inactive)" title changes nothing more; its end keeps the
     * tab, the reason under the status */
    Until([] { return false; }, 600);
    ASSERT_TRUE(FindSessionById(a)->Disconnected);
    PostMessageW(FindSessionById(a)->PuttyWindow, CUE_EXIT, 1, 0);
    ASSERT_TRUE(Until([&] { return FindSessionById(a)->State == SESSION_ENDED; }, 5000));
    EXPECT_EQ(Status(a), std::string("세션이 종료되었습니다 (종료 코드 1).\n") + Reason);
}

/* PuTTY's first question (the host-key alert) is owned by its own window,
 * not by the main window, which can hide it. */
TEST_F(PuttyBoxes, AQuestionIsMarkedComesToTheFrontAndIsLeftToTheUser)
{
    int b = Running("b");
    SetForegroundWindow(MainWindow);
    SetFocus(QuickConnectBox);
    ServerNode *n = Server("a");
    StrAssign(&n->CLParams, WText(U8(n->CLParams) + " -double-alert 1"));
    int a = OpenSession(n)->Id;
    HWND alert = NULL;
    ASSERT_TRUE(Until([&] {
        alert = FindWindowW(NULL, L"PuTTY Security Alert");
        return alert && IsWindowVisible(alert);
    }, 5000));
    ASSERT_TRUE(Until([&] { return TabLabel(1) == "a (PuTTY 확인 필요)"; }, 2000)) << TabLabel(1);
    EXPECT_EQ(ListLine(1), "a (PuTTY 확인 필요)");
    EXPECT_EQ(TabLabel(0), "b");
    Until([] { return false; }, 1000);
    EXPECT_TRUE(IsWindowVisible(alert));
    EXPECT_EQ(Log("a").find("alert closed"), std::string::npos);

    /* in front when its tab is clicked, and when the main window is */
    auto clickTab = [](int index) {
        RECT tab = TabRect(index);
        POINT onTab = { (tab.left + tab.right) / 2 - 10, (tab.top + tab.bottom) / 2 };
        ClientToScreen(TabControl, &onTab);
        ClickAt(onTab);
    };
    SetForegroundWindow(MainWindow);
    clickTab(0);
    ASSERT_TRUE(Until([&] { return ActiveSession()->Id == b; }, 2000));
    clickTab(1);
    EXPECT_TRUE(Until([&] { return GetForegroundWindow() == alert; }, 3000)) << GetForegroundWindow();
    SetForegroundWindow(MainWindow);
    Until([] { return false; }, 300);
    RECT tree;
    GetWindowRect(ServerTree, &tree);
    ClickAt(POINT{ tree.left + 20, tree.bottom - 20 });
    EXPECT_TRUE(Until([&] { return GetForegroundWindow() == alert; }, 3000)) << GetForegroundWindow();

    /* answered: the keys go to the session's PuTTY, not back to the
     * quick-connect box where they were when it opened; the mark goes */
    ASSERT_TRUE(Until([&] { return FindSessionById(a)->State == SESSION_RUNNING; }));
    HWND putty = FindSessionById(a)->PuttyWindow;
    PostMessageW(alert, WM_CLOSE, 0, 0);
    if (!Until([] { return GetForegroundWindow() == MainWindow; }, 1500))
        SetForegroundWindow(MainWindow);
    ASSERT_TRUE(Until([&] { return GetFocus() == putty; }, 3000)) << GetFocus() << " " << QuickConnectBox;
    PressKey('K');
    EXPECT_TRUE(Until([&] { return Log("a").find("keydown 75 ") != std::string::npos; }, 3000)) << Log("a");
    EXPECT_EQ(GetWindowTextLengthW(QuickConnectBox), 0);
    EXPECT_TRUE(Until([&] { return TabLabel(1) == "a"; }, 2000)) << TabLabel(1);
}
