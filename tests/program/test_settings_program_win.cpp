/*
 * The settings dialog inside Kestrum.exe, where OK reaches the file on
 * disk and Cancel leaves it.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "resources/resource.h"
#include "sessions/key_script.h"
#include "sessions/putty_discovery.h"
#include "sessions/session.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/settings_dialog.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "ui/shell/start_page.h"
#include "ui/shell/toolbar.h"
#include "ui/tree/tree_view.h"
#include "program_util.h"
#include "main_window_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

struct SettingsProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;

    HWND WaitDialog()
    {
        HWND found = NULL;
        WaitFor([&] {
            for (HWND w : TopWindows(k.Info.dwProcessId, L"#32770"))
                if (IsWindowVisible(w) && WindowText(w) == "설정")
                    found = w;
            return found != NULL;
        });
        return found;
    }
    /* GetWindowText reads no control of another process: ask it */
    static std::string ControlText(HWND control)
    {
        wchar_t text[300] = L"";
        SendMessageW(control, WM_GETTEXT, 300, (LPARAM)text);
        return U8(text);
    }
    HWND SettingsButton()
    {
        for (HWND page : Children(k.Main, L"KestrumStart"))
            for (HWND b : Children(page, L"Button"))
                if (WindowText(b) == "설정…")
                    return b;
        return NULL;
    }
};

} // namespace

TEST_F(SettingsProgram, OkAppliesAndSavesCancelLeavesTheFile)
{
    std::string config = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings>"
                         "<PuttyPath>" + Beside("putty_double.exe") + "</PuttyPath>"
                         "<ReconnectDelay>5</ReconnectDelay></Settings><Servers></Servers></Kestrum>\r\n";
    WText file(dir.path + "\\kestrum.xml");
    ASSERT_TRUE(WriteBytes(file, config));
    ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
    HWND button = SettingsButton();
    ASSERT_NE(button, nullptr);
    std::vector<HWND> tabs = Children(k.Main, WC_TABCONTROLW);
    ASSERT_EQ(tabs.size(), 1u);
    EXPECT_FALSE(GetWindowLongW(tabs[0], GWL_STYLE) & TCS_BOTTOM);

    /* the start page's button opens the dialog; OK applies and saves */
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND dlg = WaitDialog();
    ASSERT_NE(dlg, nullptr) << k.Describe();
    EXPECT_EQ(ControlText(GetDlgItem(dlg, IDC_SET_RECONNECT_DELAY)), "5");
    /* the path box has the focus */
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    EXPECT_TRUE(WaitFor([&] {
        return GetGUIThreadInfo(k.Info.dwThreadId, &gui) && gui.hwndFocus == GetDlgItem(dlg, IDC_SET_PUTTY_PATH);
    }, 3000));
    SetDlgItemTextW(dlg, IDC_SET_RECONNECT_DELAY, L"");
    SendMessageW(GetDlgItem(dlg, IDC_SET_TABS_BOTTOM), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    std::string saved;
    EXPECT_TRUE(WaitFor([&] {
        saved = ReadBytes(file);
        return !IsWindow(dlg) && saved.find("<TabBottom>1</TabBottom>") != std::string::npos;
    })) << saved;
    EXPECT_NE(saved.find("<ReconnectDelay>1</ReconnectDelay>"), std::string::npos) << saved;
    EXPECT_TRUE(GetWindowLongW(tabs[0], GWL_STYLE) & TCS_BOTTOM);

    /* Cancel after changing the path box writes nothing */
    PostMessageW(button, BM_CLICK, 0, 0);
    dlg = WaitDialog();
    ASSERT_NE(dlg, nullptr) << k.Describe();
    SetDlgItemTextW(dlg, IDC_SET_PUTTY_PATH, L"C:\\elsewhere\\putty.exe");
    SendMessageW(GetDlgItem(dlg, IDC_SET_TABS_BOTTOM), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }));
    Sleep(300);
    EXPECT_EQ(ReadBytes(file), saved);
    EXPECT_TRUE(GetWindowLongW(tabs[0], GWL_STYLE) & TCS_BOTTOM);
}
