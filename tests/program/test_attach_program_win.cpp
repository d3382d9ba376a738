/*
 * Kestrum.exe takes in a PuTTY double that the test started outside it,
 * through the attach command and its dialog, as a user would; and gives
 * it back with the detach command.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/commands/command_ids.h"
#include "double_cues.h"
#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

namespace {


struct AttachProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;
    PROCESS_INFORMATION outside = {};
    HWND putty = NULL;

    void SetUp() override
    {
        std::string config = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n"
                             "<Settings><PuttyPath>" + ProgramDir() + "\\putty_double.exe</PuttyPath>"
                             "</Settings><Servers/></Kestrum>\r\n";
        ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), config));
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    }
    void TearDown() override
    {
        if (k.Main && IsWindow(k.Main)) {
            PostMessageW(k.Main, WM_CLOSE, 0, 0);
            WaitFor([&] {
                return WaitForSingleObject(k.Info.hProcess, 0) == WAIT_OBJECT_0 ||
                       !TopWindows(k.Info.dwProcessId, L"#32770").empty();
            }, 10000);
            if (WaitForSingleObject(k.Info.hProcess, 0) != WAIT_OBJECT_0)
                k.Answer(IDYES);
            k.WaitExit();
        }
        if (outside.hProcess) {
            TerminateProcess(outside.hProcess, 9);
            WaitForSingleObject(outside.hProcess, 3000);
            CloseHandle(outside.hProcess);
            CloseHandle(outside.hThread);
        }
    }
    std::string Log() { return ReadBytes(WText(dir.path + "\\outside.log")); }
    /* The double, started as a user starts PuTTY; false without its window
     * (why in failure). */
    std::string failure;
    bool StartOutside(const std::string &title)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::vector<wchar_t> line(WText("\"" + ProgramDir() + "\\putty_double.exe\" -double-log \"" + dir.path +
                                        "\\outside.log\" -double-title \"" + title + "\"").chars);
        if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &outside)) {
            failure = "CreateProcess error " + std::to_string(GetLastError());
            return false;
        }
        if (WaitFor([&] {
                std::vector<HWND> w = TopWindows(outside.dwProcessId, L"PuTTY");
                putty = w.empty() ? NULL : w[0];
                return putty && IsWindowVisible(putty);
            }, 10000))
            return true;
        failure = "no window; log: " + Log();
        return false;
    }
    /* The attach dialog opened by the command, or null. */
    HWND OpenDialog()
    {
        PostMessageW(k.Main, WM_COMMAND, CMD_ATTACH_WINDOWS, 0);
        HWND dialog = NULL;
        WaitFor([&] {
            for (HWND w : TopWindows(k.Info.dwProcessId, L"#32770"))
                if (WindowText(w) == "열린 PuTTY 창 가져오기" && IsWindowVisible(w))
                    dialog = w;
            return dialog != NULL;
        }, 10000);
        return dialog;
    }
    /* The list entries; list box texts cross process boundaries. */
    static std::vector<std::string> Entries(HWND dialog)
    {
        HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
        std::vector<std::string> out;
        int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            wchar_t text[300];
            text[0] = 0;
            SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
            out.push_back(U8(text));
        }
        return out;
    }
    static int Find(const std::vector<std::string> &entries, const std::string &text)
    {
        for (size_t i = 0; i < entries.size(); i++)
            if (entries[i] == text)
                return (int)i;
        return -1;
    }
    bool NoMessageBox()
    {
        Sleep(500);
        return TopWindows(k.Info.dwProcessId, L"#32770").empty();
    }
};

} // namespace

TEST_F(AttachProgram, OutsideWindowIsChosenEmbeddedAndDetachedAgain)
{
    ASSERT_TRUE(StartOutside("밖에서 연 PuTTY")) << failure;
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << k.Describe();
    std::vector<std::string> entries = Entries(dialog);
    int index = Find(entries, "밖에서 연 PuTTY");
    ASSERT_GE(index, 0) << entries.size();
    SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_SETCURSEL, index, 0);
    SaveWindowShot(dialog, "attach-program-dialog");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);

    /* the tab is named after the window once the capture is through */
    std::vector<HWND> hosts;
    ASSERT_TRUE(WaitFor([&] {
        hosts = k.Hosts();
        return hosts.size() == 1 && EmbeddedIn(hosts[0]) == putty &&
               WindowText(k.Main) == "밖에서 연 PuTTY - Kestrum";
    }, 10000)) << hosts.size() << " " << WindowText(k.Main);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(GetWindowLongW(putty, GWL_STYLE) & WS_CAPTION, 0);
    SaveWindowShot(k.Main, "attach-program-embedded");

    /* keys reach it as they reach a PuTTY that Kestrum started */
    PostMessageW(k.Main, WM_COMMAND, CMD_SPECIAL_KEY_FIRST + 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Log().find("char 13 00000001\r\n") != std::string::npos; }, 5000)) << Log();

    /* given back: a free window again, its process still running; offered anew */
    PostMessageW(k.Main, WM_COMMAND, CMD_DETACH, 0);
    ASSERT_TRUE(WaitFor([&] { return k.Hosts().empty() && GetParent(putty) == NULL && IsWindowVisible(putty); },
                        5000));
    EXPECT_EQ(GetWindowLongW(putty, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(WaitForSingleObject(outside.hProcess, 0), (DWORD)WAIT_TIMEOUT);
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_GE(Find(Entries(dialog), "밖에서 연 PuTTY"), 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_TRUE(k.Hosts().empty());
}

TEST_F(AttachProgram, NothingToOfferAndAWindowThatClosedMeanwhile)
{
    PostMessageW(k.Main, WM_COMMAND, CMD_ATTACH_WINDOWS, 0);
    EXPECT_EQ(k.Answer(IDOK, "attach-program-none"), "가져올 수 있는 PuTTY 창이 없습니다.");

    ASSERT_TRUE(StartOutside("곧 닫힐 PuTTY")) << failure;
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << k.Describe();
    int index = Find(Entries(dialog), "곧 닫힐 PuTTY");
    ASSERT_GE(index, 0);
    SendMessageW(GetDlgItem(dialog, IDC_ATTACH_LIST), LB_SETCURSEL, index, 0);
    PostMessageW(putty, CUE_EXIT, 0, 0);
    ASSERT_EQ(WaitForSingleObject(outside.hProcess, 5000), (DWORD)WAIT_OBJECT_0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_TRUE(NoMessageBox());
    EXPECT_TRUE(k.Hosts().empty());
}
