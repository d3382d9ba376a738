/*
 * The settings dialog in this process over the real main window: what it
 * shows, what OK keeps, what its boxes hold and how it finds PuTTY.
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
#include "dialog_driver.h"
#include "main_window_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

struct FlagBox {
    int Control;
    int *Field;
};

const FlagBox Flags[] = {
    { IDC_SET_CLOSE_BUTTONS, &Settings.CloseButtonOnTabs },
    { IDC_SET_TABS_BOTTOM, &Settings.TabBottom },
    { IDC_SET_START_PAGE, &Settings.ShowStartPage },
    { IDC_SET_CLOSE_ON_END, &Settings.CloseOnNormalEnd },
    { IDC_SET_KEEP_ON_ABNORMAL, &Settings.KeepOnAbnormalEnd },
    { IDC_SET_RECONNECT, &Settings.AutoReconnect },
    { IDC_SET_NO_QUIT_CONFIRM, &Settings.NoQuitConfirm },
    { IDC_SET_NO_CLOSE_CONFIRM, &Settings.NoCloseConfirm },
    { IDC_SET_SAVE_LAYOUT, &Settings.SaveLayout },
    { IDC_SET_SAVE_SESSIONS, &Settings.SaveSessions },
};

/* Everything the dialog shows, as one text, to see what changed. */
std::string SettingsPicture()
{
    std::string s = U8(Settings.PuttyPath) + "|caption " + std::to_string(Settings.TabCaption) + "|flags ";
    for (const FlagBox &f : Flags)
        s += std::to_string(*f.Field);
    return s + "|reconnect " + std::to_string(Settings.ReconnectDelay) + "|mode " +
           std::to_string(Settings.PasswordMode) + "|delay " + std::to_string(Settings.PasswordDelay);
}

const std::string NotThere = "이 경로에 실행 파일이 없습니다.";
const std::string NoVersion = "버전 정보를 읽지 못했습니다.";
const std::string Without = "  ·  -pwfile 미지원 (0.77 이상 필요, 비밀번호는 창에 입력)";
const std::string With = "  ·  -pwfile 지원 (비밀번호를 명령줄에 노출하지 않음)";

struct SettingsDialog : ::testing::Test, DialogDriver {
    TempDir dir;

    static void SetUpTestSuite() { OpenMainWindow(); }
    void SetUp() override
    {
        ResetModel();
        StubPromptsReset();
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        ResetModel();
    }
    void Open()
    {
        dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_SETTINGS), MainWindow,
                                    SettingsDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        Pump();
    }
    void Retype(int id, const std::string &text)
    {
        SetWindowTextW(Item(id), L"");
        TypeInto(Item(id), text);
    }
    std::string Mode()
    {
        HWND box = Item(IDC_SET_PASSWORD_MODE);
        int sel = (int)SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (sel < 0)
            return "<none>";
        wchar_t text[128];
        SendMessageW(box, CB_GETLBTEXT, sel, (LPARAM)text);
        return U8(text);
    }
    bool Closed() { return !IsWindowVisible(dialog); }
};

} // namespace

TEST_F(SettingsDialog, ShowsTheSettingsAndOkKeepsThem)
{
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_78.exe")));
    Settings.TabCaption = 1;
    /* every box the other way round from the defaults */
    for (const FlagBox &f : Flags)
        *f.Field = !*f.Field;
    Settings.ReconnectDelay = 7;
    Settings.PasswordMode = 3;
    Settings.PasswordDelay = 0;
    std::string before = SettingsPicture();
    Open();

    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), Beside("version_0_78.exe"));
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 0.78" + With);
    EXPECT_FALSE(Checked(IDC_SET_CAPTION_NAME));
    EXPECT_TRUE(Checked(IDC_SET_CAPTION_TITLE));
    for (const FlagBox &f : Flags)
        EXPECT_EQ(Checked(f.Control), *f.Field != 0) << f.Control;
    EXPECT_EQ(Text(IDC_SET_RECONNECT_DELAY), "7");
    EXPECT_EQ(SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(Mode(), "-pwfile (PuTTY 0.77 이상)");
    EXPECT_EQ(Text(IDC_SET_PASSWORD_DELAY), "0");
    EXPECT_EQ(Text(IDC_SET_CONFIG_FILE), "설정 파일: " + dir.path + "\\kestrum.xml");
    SaveWindowShot(dialog, "dialog-201-settings");

    Click(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(SettingsPicture(), before);
    /* saving is the command's, after OK */
    EXPECT_FALSE(PathExists(ConfigFilePath));
}

TEST_F(SettingsDialog, OkStoresWhatTheBoxesSay)
{
    std::string defaults = SettingsPicture();
    std::vector<int> was;
    for (const FlagBox &f : Flags)
        was.push_back(*f.Field);
    Open();
    EXPECT_TRUE(Checked(IDC_SET_CAPTION_NAME));
    Click(IDC_SET_CAPTION_TITLE);
    for (const FlagBox &f : Flags)
        Click(f.Control);
    Retype(IDC_SET_PUTTY_PATH, "D:\\도구\\kitty.exe");
    Retype(IDC_SET_RECONNECT_DELAY, "");
    SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_SETCURSEL, 3, 0);
    Retype(IDC_SET_PASSWORD_DELAY, "0");
    EXPECT_EQ(SettingsPicture(), defaults);     /* nothing before OK */

    Click(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(U8(Settings.PuttyPath), "D:\\도구\\kitty.exe");
    EXPECT_EQ(Settings.TabCaption, 1);
    for (size_t i = 0; i < was.size(); i++)
        EXPECT_EQ(*Flags[i].Field, !was[i]) << Flags[i].Control;
    EXPECT_EQ(Settings.ReconnectDelay, 1);      /* an empty box stores 1 */
    EXPECT_EQ(Settings.PasswordMode, 4);
    EXPECT_EQ(Settings.PasswordDelay, 0);       /* as entered */
}

TEST_F(SettingsDialog, NumberAndPathBoxesHoldWhatCanBeStored)
{
    Open();
    /* nine digits at most: no delay wraps round to a negative number */
    Retype(IDC_SET_RECONNECT_DELAY, "1234567890123");
    EXPECT_EQ(Text(IDC_SET_RECONNECT_DELAY), "123456789");
    /* the number boxes take no letters */
    Retype(IDC_SET_PASSWORD_DELAY, "5x0");
    EXPECT_EQ(Text(IDC_SET_PASSWORD_DELAY), "50");
    /* the path box stops where the setting does, so what the user sees
     * is what is kept */
    Retype(IDC_SET_PUTTY_PATH, "C:\\" + std::string(400, 'p'));
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH).size(), (size_t)KPATH - 1);
    std::string shown = Text(IDC_SET_PUTTY_PATH);
    /* an out-of-range stored mode shows the entry that OK stores */
    SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_SETCURSEL, (WPARAM)-1, 0);
    Click(IDOK);
    EXPECT_EQ(Settings.ReconnectDelay, 123456789);
    EXPECT_EQ(Settings.PasswordDelay, 50);
    EXPECT_EQ(U8(Settings.PuttyPath), shown);
    EXPECT_EQ(Settings.PasswordMode, 1);        /* no selection */

    DestroyWindow(dialog);
    Settings.PasswordMode = 0;
    Open();
    EXPECT_EQ(Mode(), "자동 (-pwfile 가능하면 사용, 아니면 창에 입력)");
}

TEST_F(SettingsDialog, VersionLineFollowsThePathBox)
{
    Open();
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);
    /* each keystroke reads the box anew */
    std::string path = Beside("version_0_76.exe");
    HWND box = Item(IDC_SET_PUTTY_PATH);
    TypeInto(box, path.substr(0, path.size() - 1));
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);
    TypeInto(box, path.substr(path.size() - 1));
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 0.76" + Without);
    SendMessageW(box, WM_CHAR, 8, 1);           /* backspace */
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);

    SetWindowTextW(box, WText(Beside("version_1_0.exe")));
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 1.0" + With);
    SetWindowTextW(box, WText(Beside("putty_double_nover.exe")));
    EXPECT_EQ(Text(IDC_SET_VERSION), NoVersion);
    SetWindowTextW(box, WText(ProgramDir()));   /* a folder is no program */
    EXPECT_EQ(Text(IDC_SET_VERSION), NotThere);
    /* the stored path is not what the line describes */
    EXPECT_EQ(U8(Settings.PuttyPath), "");
}

TEST_F(SettingsDialog, CancelKeepsEverythingEvenAfterBrowsing)
{
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_78.exe")));
    std::string before = SettingsPicture();
    Open();
    /* a chooser closed without a choice changes nothing */
    StubChooserFilter[0] = 0;
    Click(IDC_SET_BROWSE);
    EXPECT_EQ(U8(StubChooserFilter), "PuTTY / KiTTY (*.exe)|*.exe");
    EXPECT_EQ(U8(StubChooserExtension), "exe");
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), Beside("version_0_78.exe"));
    std::string chosen = Beside("version_1_0.exe");
    WText choice(chosen);
    StubChosenFile = choice;
    Click(IDC_SET_BROWSE);
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), chosen);
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 1.0" + With);
    Click(IDC_SET_CAPTION_TITLE);
    for (const FlagBox &f : Flags)
        Click(f.Control);
    Retype(IDC_SET_RECONNECT_DELAY, "99");
    SendMessageW(Item(IDC_SET_PASSWORD_MODE), CB_SETCURSEL, 3, 0);

    Click(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(SettingsPicture(), before);
    EXPECT_FALSE(PathExists(ConfigFilePath));

    /* Esc and the close box are Cancel too */
    DestroyWindow(dialog);
    Open();
    Click(IDC_SET_BROWSE);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(SettingsPicture(), before);
}

namespace {

/* Only the variables that LocatePutty reads, cleared for each test;
 * PATH names the test's own folder. */
struct SettingsSearch : SettingsDialog {
    TempDir root;
    ScopedEnv w6432{ "ProgramW6432", nullptr }, files{ "ProgramFiles", nullptr },
        x86{ "ProgramFiles(x86)", nullptr }, path{ "PATH", root.path.c_str() };
    std::string found;
};

} // namespace

TEST_F(SettingsSearch, FindPuttyFillsTheBoxOrSaysSo)
{
    wchar_t beside[KPATH];
    LocatePutty(beside, KPATH);
    if (beside[0])
        GTEST_SKIP() << "a putty.exe lies where the search always looks: " << U8(beside);
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_76.exe")));
    Open();
    Click(IDC_SET_FIND_PUTTY);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "putty.exe를 찾지 못했습니다.");
    EXPECT_TRUE(StubMessageFlags & MB_ICONINFORMATION);
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), Beside("version_0_76.exe"));

    CreateDirectoryW(WText(root.path + "\\PuTTY"), NULL);
    found = root.path + "\\PuTTY\\putty.exe";
    ASSERT_TRUE(CopyFileW(WText(Beside("version_0_78.exe")), WText(found), FALSE));
    SetEnv("ProgramFiles", root.path.c_str());
    Click(IDC_SET_FIND_PUTTY);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(Text(IDC_SET_PUTTY_PATH), found);
    EXPECT_EQ(Text(IDC_SET_VERSION), "버전 0.78" + With);
    EXPECT_EQ(U8(Settings.PuttyPath), Beside("version_0_76.exe"));
}
