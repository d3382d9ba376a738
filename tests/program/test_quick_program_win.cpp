/*
 * The toolbar's quick-connect box of Kestrum.exe, clicked and typed into
 * with input injected as the user's, with the PuTTY double as putty.exe.
 * The double logs its command line to the file named by
 * KESTRUM_DOUBLE_LOG, which Kestrum and its PuTTY inherit.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

void Key(WORD vk, WORD unicode, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = unicode;
    in.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &in, sizeof in);
}

void TypeText(const char *utf8)
{
    WText text(utf8);
    for (const wchar_t *p = text; *p; p++) {
        Key(0, *p, false);
        Key(0, *p, true);
        Sleep(20);
    }
    Sleep(200);
}

void Press(WORD vk)
{
    Key(vk, 0, false);
    Key(vk, 0, true);
    Sleep(150);
}

std::string ListItem(HWND combo, int index)
{
    wchar_t text[512];
    text[0] = 0;
    SendMessageW(combo, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
    return U8(text);
}

struct QuickProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;
    std::string log;
    HWND box = NULL;

    void SetUp() override
    {
        log = dir.path + "\\double.log";
        std::string config =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings><PuttyPath>" +
            ProgramDir() + "\\putty_double.exe</PuttyPath><NoQuitConfirm>1</NoQuitConfirm></Settings><Servers>"
            "<Node Type=\"1\"><DisplayName>db</DisplayName><ServerName>127.0.0.1</ServerName>"
            "<Port>2200</Port><UserName>admin</UserName><PuttyConType>4</PuttyConType></Node>"
            "</Servers></Kestrum>\r\n";
        ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), config));
        SetEnv("KESTRUM_DOUBLE_LOG", log.c_str());
        bool started = k.Start(dir.path);
        SetEnv("KESTRUM_DOUBLE_LOG", NULL);
        ASSERT_TRUE(started) << k.Describe();
        /* the toolbar's box comes first in its row */
        for (HWND c : Children(k.Main, L"ComboBox")) {
            RECT r, best;
            GetWindowRect(c, &r);
            if (IsWindowVisible(c) && (!box || (GetWindowRect(box, &best), r.left < best.left)))
                box = c;
        }
        ASSERT_NE(box, nullptr);
        SetForegroundWindow(k.Main);
    }
    void TearDown() override
    {
        if (k.Main && IsWindow(k.Main))
            PostMessageW(k.Main, WM_CLOSE, 0, 0);
        k.WaitExit();
    }
    /* Clicks the box's edit part and types the text, then Enter. */
    void Enter(const char *text)
    {
        HWND edit = FindWindowExW(box, NULL, L"Edit", NULL);
        ASSERT_NE(edit, nullptr);
        RECT r;
        GetWindowRect(edit, &r);
        /* typing before the click has landed would go to the tree, and
         * with another window in front nowhere near it; a click the
         * program was not yet ready for is given again */
        auto focused = [&] { return FocusOf(k.Info.dwThreadId) == edit && GetForegroundWindow() == k.Main; };
        for (int attempt = 0; attempt < 3 && !focused(); attempt++) {
            ClickAt({ (r.left + r.right) / 2, (r.top + r.bottom) / 2 });
            WaitFor(focused, 2000);
        }
        ASSERT_TRUE(focused()) << FocusName(k.Info.dwThreadId);
        trail.reset(new FocusTrail(k.Info.dwThreadId));
        TypeText(text);
        Press(VK_RETURN);
    }
    /* where the keys of the last Enter went, for a failure's message */
    std::string Trail() { return trail ? trail->Text() : ""; }
    std::unique_ptr<FocusTrail> trail;
    /* The arguments of each PuTTY started so far, after the executable. */
    std::vector<std::string> CommandLines()
    {
        std::string l = ReadBytes(WText(log));
        std::vector<std::string> out;
        for (size_t at = 0; (at = l.find("cmdline ", at)) != std::string::npos;) {
            size_t end = l.find("\r\n", at);
            std::string line = l.substr(at, end - at);
            size_t exe = line.find("putty_double.exe\" ");
            out.push_back(exe == std::string::npos ? line : line.substr(exe + 18));
            at = end;
        }
        return out;
    }
    std::string File() { return ReadBytes(WText(dir.path + "\\kestrum.xml")); }
};

} // namespace

TEST_F(QuickProgram, TypedTargetsConnectAndEnterTheHistory)
{
    ASSERT_NO_FATAL_FAILURE(Enter("root@127.0.0.1:2222"));
    std::vector<HWND> hosts;
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 1 && EmbeddedIn(hosts[0]);
    })) << k.Describe();
    std::vector<std::string> lines = CommandLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "-ssh -P 2222 -l root 127.0.0.1");
    EXPECT_TRUE(WaitFor([&] { return WindowText(box).empty(); }, 5000)) << WindowText(box);
    ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ListItem(box, 0), "root@127.0.0.1:2222");
    EXPECT_TRUE(WaitFor([&] { return File().find("<R>root@127.0.0.1:2222</R>") != std::string::npos; }, 5000));
    SaveWindowShot(k.Main, "quick-box-connected");

    /* the name of a saved server connects that server */
    ASSERT_NO_FATAL_FAILURE(Enter("db"));
    ASSERT_TRUE(WaitFor([&] { return CommandLines().size() == 2; })) << k.Describe() << "\n" << Trail();
    EXPECT_EQ(CommandLines()[1], "-ssh -P 2200 -l admin 127.0.0.1");
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(box, CB_GETCOUNT, 0, 0) == 2; }, 5000));
    EXPECT_EQ(ListItem(box, 0), "db");
    EXPECT_EQ(ListItem(box, 1), "root@127.0.0.1:2222");

    /* the history outlives the run */
    PostMessageW(k.Main, WM_CLOSE, 0, 0);
    EXPECT_EQ(k.WaitExit(), 0);
    std::string f = File();
    size_t first = f.find("<R>db</R>"), second = f.find("<R>root@127.0.0.1:2222</R>");
    EXPECT_NE(first, std::string::npos) << f;
    EXPECT_NE(second, std::string::npos) << f;
    EXPECT_LT(first, second);
}
