/*
 * The hotkey dialog opened in this process, and the registration rules
 * against the real main window.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>

#include "config/settings.h"
#include "resources/resource.h"
#include "ui/commands/commands.h"
#include "ui/dialogs/prompts.h"
#include "ui/hotkeys/hotkey_actions.h"
#include "ui/hotkeys/hotkey_dialog.h"
#include "ui/hotkeys/hotkeys.h"
#include "ui/shell/layout.h"
#include "ui/shell/main_window.h"
#include "main_window_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

const int ROW_SETTINGS = 5, ROW_TOOLBAR = 7, ROW_TREE = 6;

struct HotkeyDialog : ::testing::Test {
    HWND dialog = NULL;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        SettingsSetDefaults();
        StubPromptsReset();
        dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_HOTKEYS), NULL, HotkeyDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        SetHotkeysActive(false);
        SettingsSetDefaults();
    }
    std::string RowText(int row, int column)
    {
        wchar_t text[128];
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendDlgItemMessageW(dialog, IDC_HK_LIST, LVM_GETITEMTEXTW, row, (LPARAM)&item);
        return U8(text);
    }
    void SelectRow(int row)
    {
        LVITEMW state = {};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendDlgItemMessageW(dialog, IDC_HK_LIST, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
    /* Types a key into the hotkey control: HOTKEYF_* in the high byte. */
    void Assign(WORD key, BYTE flags)
    {
        SendDlgItemMessageW(dialog, IDC_HK_KEY, HKM_SETHOTKEY, MAKEWORD(key, flags), 0);
        SendMessageW(dialog, WM_COMMAND, IDC_HK_ASSIGN, 0);
    }
    /* Whether another program could take the key now. */
    static bool KeyFree(int value)
    {
        if (!RegisterHotKey(NULL, 0xBFFF, HotkeyModifiers(value), value & 0xFF))
            return false;
        UnregisterHotKey(NULL, 0xBFFF);
        return true;
    }
};

} // namespace

TEST_F(HotkeyDialog, ShowsActionsAndMovesKeys)
{
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_HK_LIST, LVM_GETITEMCOUNT, 0, 0), HOTKEY_COUNT);
    EXPECT_EQ(RowText(0, 0), "다음 탭");
    EXPECT_EQ(RowText(0, 1), "Ctrl+Tab");
    EXPECT_EQ(RowText(27, 1), "Menu 키");
    EXPECT_EQ(RowText(ROW_SETTINGS, 1), "(없음)");
    if (getenv("KESTRUM_SHOTS")) {
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        MSG m;
        for (int i = 0; i < 20; i++, Sleep(20))
            while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE))
                DispatchMessageW(&m);
        SaveWindowShot(dialog, "dialog-204-hotkeys");
    }

    /* choosing a row puts its key into the key box */
    SelectRow(ROW_TOOLBAR);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_HK_KEY, HKM_GETHOTKEY, 0, 0), MAKEWORD('T', HOTKEYF_CONTROL | HOTKEYF_SHIFT));

    SelectRow(ROW_SETTINGS);
    Assign('T', HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    EXPECT_EQ(RowText(ROW_SETTINGS, 1), "Ctrl+Shift+T");
    EXPECT_EQ(RowText(ROW_TOOLBAR, 1), "(없음)");

    Assign('A', HOTKEYF_SHIFT);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "Ctrl 또는 Alt가 없는 단축키는 PuTTY에 입력하는 글자를 가로챕니다.\nCtrl/Alt 조합이나 F키를 쓰세요.");
    EXPECT_EQ(RowText(ROW_SETTINGS, 1), "Ctrl+Shift+T");
    Assign(VK_F5, 0);
    Assign('A', HOTKEYF_ALT);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(RowText(ROW_SETTINGS, 1), "Alt+A");

    /* nothing is stored before OK */
    EXPECT_EQ(Settings.Hotkeys[ROW_SETTINGS], 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Settings.Hotkeys[ROW_SETTINGS], HK_ALT | 'A');
    EXPECT_EQ(Settings.Hotkeys[ROW_TOOLBAR], 0);
}

TEST_F(HotkeyDialog, NoneDefaultsAndCancel)
{
    SelectRow(0);
    SendMessageW(dialog, WM_COMMAND, IDC_HK_NONE, 0);
    EXPECT_EQ(RowText(0, 1), "(없음)");
    SendMessageW(dialog, WM_COMMAND, IDC_HK_DEFAULTS, 0);
    EXPECT_EQ(RowText(0, 1), "Ctrl+Tab");
    SendMessageW(dialog, WM_COMMAND, IDC_HK_NONE, 0);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(Settings.Hotkeys[0], 0x4009);
}

TEST_F(HotkeyDialog, RegisteredOnlyInFrontAndWithoutModal)
{
    SetForegroundWindow(MainWindow);
    const int tree = Settings.Hotkeys[ROW_TREE];
    SetHotkeysActive(true);
    ASSERT_TRUE(HotkeysActive);
    EXPECT_FALSE(KeyFree(tree));

    /* nested modal elements: on again only after the outer one */
    BeginModal();
    EXPECT_TRUE(KeyFree(tree));
    BeginModal();
    EndModal();
    EXPECT_FALSE(HotkeysActive);
    EndModal();
    EXPECT_TRUE(HotkeysActive || GetForegroundWindow() != MainWindow);

    /* a WM_HOTKEY arriving while a box is open does nothing */
    Settings.HideTree = 0;
    BeginModal();
    SendMessageW(MainWindow, WM_HOTKEY, HOTKEY_ID_BASE + ROW_TREE, 0);
    EXPECT_EQ(Settings.HideTree, 0);
    EndModal();
    SendMessageW(MainWindow, WM_HOTKEY, HOTKEY_ID_BASE + ROW_TREE, 0);
    EXPECT_EQ(Settings.HideTree, 1);
    ExecuteCommand(CMD_TOGGLE_TREE);

    /* a key cleared while registered does not stay registered */
    SetHotkeysActive(true);
    Settings.Hotkeys[ROW_TREE] = 0;
    SetHotkeysActive(false);
    SetHotkeysActive(true);
    EXPECT_TRUE(KeyFree(tree));
}
