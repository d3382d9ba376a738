/*
 * Keystrokes posted to a real window: the player with PostMessageW and
 * MapVirtualKeyW plugged in, and PostVirtualKey itself.  The target is a
 * message-only window of this program that records what arrives.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "config/server_tree.h"
#include "core/text.h"
#include "sessions/key_post.h"
#include "sessions/key_script.h"
#include "ui/dialogs/dialog_util.h"
#include "stub_prompts.h"
#include "test_util.h"

namespace {

struct Received {
    UINT Message;
    WPARAM WParam;
    uint32_t LParam;
    uint32_t Tick;      /* the player's tick when it was posted */
};

std::vector<Received> Inbox;
HWND Target;
uint32_t LastTick;

LRESULT CALLBACK RecordKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CHAR || msg == WM_KEYDOWN || msg == WM_KEYUP) {
        Inbox.push_back({ msg, wParam, (uint32_t)lParam, LastTick });
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int TargetReady(int, void **window)
{
    *window = Target;
    return KEY_TARGET_READY;
}

int TargetGone(int, void **)
{
    return KEY_TARGET_GONE;
}

uint32_t RecordedTick()
{
    LastTick = GetTickCount();
    return LastTick;
}

void Drain()
{
    MSG m;
    while (PeekMessageW(&m, Target, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
}

std::string Show(UINT msg, WPARAM wParam, uint32_t lParam)
{
    char buf[48];
    const char *name = msg == WM_CHAR ? "CHAR" : msg == WM_KEYDOWN ? "DOWN" : msg == WM_KEYUP ? "UP" : "?";
    snprintf(buf, sizeof buf, "%s %X %08X", name, (unsigned)wParam, (unsigned)lParam);
    return buf;
}

std::vector<std::string> Shown()
{
    std::vector<std::string> out;
    for (const Received &r : Inbox)
        out.push_back(Show(r.Message, r.WParam, r.LParam));
    return out;
}

/* What a key press and release must look like, from the system's own
 * scan code. */
void ExpectKey(std::vector<std::string> &out, UINT vk, bool extended)
{
    uint32_t lParam = (MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16) + 1 + (extended ? 0x01000000u : 0u);
    out.push_back(Show(WM_KEYDOWN, vk, lParam));
    out.push_back(Show(WM_KEYUP, vk, lParam | 0xC0000000u));
}

void ExpectChars(std::vector<std::string> &out, const char *chars)
{
    for (const char *c = chars; *c; c++)
        out.push_back(Show(WM_CHAR, (unsigned char)*c, 1));
}

}  // namespace

struct KeyPost : ::testing::Test {
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = RecordKeys;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = L"KestrumKeyPostTest";
        RegisterClassW(&wc);    /* fails harmlessly when already registered */
        Target = CreateWindowExW(0, L"KestrumKeyPostTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                 GetModuleHandleW(NULL), NULL);
        ASSERT_NE(Target, (HWND)NULL);
        Inbox.clear();
        InstallKeyPoster();
        KeyTargetLookup = TargetReady;
        KeyTickCount = RecordedTick;
    }
    void TearDown() override
    {
        KeyTargetLookup = TargetGone;
        PumpKeyQueues();
        EXPECT_EQ(KeyQueueList, nullptr);
        KeyTargetLookup = NULL;
        KeyMessagePost = NULL;
        KeyScanCode = NULL;
        KeyTickCount = NULL;
        Drain();
        DestroyWindow(Target);
        Target = NULL;
    }
};

TEST_F(KeyPost, ScriptArrivesInOrder)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    NodeSetPassword(n, L"p1");
    ASSERT_NE(SendScript(7, n, L"ab\r\n{UP}{F5}{BS}{CTRL+x}{ALT+x}{WAIT 10}{PASSWORD}\nz", 0, 0), nullptr);
    for (DWORD start = GetTickCount(); KeyQueueList && GetTickCount() - start < 5000; Sleep(5)) {
        PumpKeyQueues();
        Drain();
    }
    EXPECT_EQ(KeyQueueList, nullptr);
    NodeFree(n);

    std::vector<std::string> expect;
    ExpectChars(expect, "ab\r");
    ExpectKey(expect, VK_UP, true);
    ExpectKey(expect, VK_F5, false);
    ExpectKey(expect, VK_BACK, false);
    ExpectChars(expect, "\x18\x1bxp1\rz");
    EXPECT_EQ(Shown(), expect);

    /* the pause lies between Alt+x and the password */
    ASSERT_EQ(Inbox.size(), expect.size());
    size_t x = 11, p = 12;
    ASSERT_EQ(Inbox[x].WParam, (WPARAM)'x');
    ASSERT_EQ(Inbox[p].WParam, (WPARAM)'p');
    EXPECT_GE(Inbox[p].Tick - Inbox[x].Tick, 10u);
    EXPECT_EQ(Inbox[x].Tick, Inbox[0].Tick);
}

TEST_F(KeyPost, PostVirtualKeyDirectly)
{
    PostVirtualKey(Target, VK_DELETE);
    PostVirtualKey(Target, VK_HOME);
    PostVirtualKey(Target, 'A');
    PostVirtualKey(Target, VK_F1);
    Drain();
    std::vector<std::string> expect;
    ExpectKey(expect, VK_DELETE, true);
    ExpectKey(expect, VK_HOME, true);
    ExpectKey(expect, 'A', false);
    ExpectKey(expect, VK_F1, false);
    EXPECT_EQ(Shown(), expect);
}

TEST_F(KeyPost, SyntaxHelp)
{
    int before = StubMessageCount;
    ShowScriptSyntax(NULL);
    EXPECT_EQ(StubMessageCount, before + 1);
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(U8(StubMessageText), U8(ScriptSyntaxText));
}
