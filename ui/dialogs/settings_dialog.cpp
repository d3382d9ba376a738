/*
 * settings_dialog.cpp: the settings dialog.  The boxes are filled from
 * Settings at opening and written back only on OK; browsing and the
 * automatic search change the path box alone.
 */
#include "settings_dialog.h"

#include "../../config/config_file.h"
#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/files.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../../sessions/putty_discovery.h"
#include "dialog_util.h"
#include "prompts.h"
#include "settings_rules.h"

/* The check boxes and the fields they show. */
struct SettingsCheck {
    int Control;
    int *Field;
};

static const SettingsCheck SettingsChecks[] = {
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

static bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

/* The path box as it would be stored: at most KPATH - 1 characters. */
static void ReadPathBox(HWND dialog, wchar_t *path)
{
    path[0] = 0;
    GetDlgItemTextW(dialog, IDC_SET_PUTTY_PATH, path, KPATH);
}

/* Describes the executable in the path box, not the stored one. */
static void UpdateVersionLine(HWND dialog)
{
    wchar_t path[KPATH];
    ReadPathBox(dialog, path);
    bool exists = path[0] && FileExists(path);
    int major = 0, minor = 0;
    if (exists)
        ReadFileVersion(path, &major, &minor);
    wchar_t *line = VersionLineText(exists, major, minor);
    SetItemText(dialog, IDC_SET_VERSION, line);
    MemFree(line);
}

static void SetNumberBox(HWND dialog, int id, int value)
{
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, SETTINGS_DELAY_DIGITS, 0);
    SetItemInt(dialog, id, value);
}

static void FillPasswordModes(HWND dialog)
{
    HWND box = GetDlgItem(dialog, IDC_SET_PASSWORD_MODE);
    for (int i = 0; i < SETTINGS_MODE_ENTRIES; i++)
        SendMessageW(box, CB_ADDSTRING, 0, (LPARAM)PasswordModeNames[i + 1]);
    SendMessageW(box, CB_SETCURSEL, (WPARAM)PasswordModeListIndex(Settings.PasswordMode), 0);
}

static void OnInitDialog(HWND dialog)
{
    SendDlgItemMessageW(dialog, IDC_SET_PUTTY_PATH, EM_LIMITTEXT, KPATH - 1, 0);
    SetItemText(dialog, IDC_SET_PUTTY_PATH, Settings.PuttyPath);
    UpdateVersionLine(dialog);
    CheckRadioButton(dialog, IDC_SET_CAPTION_NAME, IDC_SET_CAPTION_TITLE,
                     Settings.TabCaption == 0 ? IDC_SET_CAPTION_NAME : IDC_SET_CAPTION_TITLE);
    for (const SettingsCheck &c : SettingsChecks)
        CheckDlgButton(dialog, c.Control, *c.Field ? BST_CHECKED : BST_UNCHECKED);
    SetNumberBox(dialog, IDC_SET_RECONNECT_DELAY, Settings.ReconnectDelay);
    FillPasswordModes(dialog);
    SetNumberBox(dialog, IDC_SET_PASSWORD_DELAY, Settings.PasswordDelay);
    wchar_t *line = ConfigFileLineText(ConfigFilePath);
    SetItemText(dialog, IDC_SET_CONFIG_FILE, line);
    MemFree(line);
}

static void OnBrowse(HWND dialog)
{
    wchar_t path[KPATH];
    ReadPathBox(dialog, path);
    if (!ChooseFile(dialog, false, L"PuTTY / KiTTY (*.exe)\0*.exe\0", L"exe", path, KPATH))
        return;
    SetItemText(dialog, IDC_SET_PUTTY_PATH, path);
    UpdateVersionLine(dialog);
}

static void OnFindPutty(HWND dialog)
{
    wchar_t path[KPATH];
    path[0] = 0;
    LocatePutty(path, KPATH);
    if (!path[0]) {
        ShowMessage(dialog, MB_ICONINFORMATION, L"putty.exe를 찾지 못했습니다.");
        return;
    }
    SetItemText(dialog, IDC_SET_PUTTY_PATH, path);
    UpdateVersionLine(dialog);
}

static void OnOk(HWND dialog)
{
    ReadPathBox(dialog, Settings.PuttyPath);
    Settings.TabCaption = IsChecked(dialog, IDC_SET_CAPTION_TITLE) ? 1 : 0;
    for (const SettingsCheck &c : SettingsChecks)
        *c.Field = IsChecked(dialog, c.Control) ? 1 : 0;
    Settings.ReconnectDelay = ReconnectDelayFromBox(GetItemInt(dialog, IDC_SET_RECONNECT_DELAY));
    LRESULT index = SendDlgItemMessageW(dialog, IDC_SET_PASSWORD_MODE, CB_GETCURSEL, 0, 0);
    Settings.PasswordMode = PasswordModeFromList(index == CB_ERR ? -1 : (int)index);
    Settings.PasswordDelay = GetItemInt(dialog, IDC_SET_PASSWORD_DELAY);
    EndDialog(dialog, IDOK);
}

static void OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
        OnOk(dialog);
        return;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return;
    case IDC_SET_BROWSE:
        if (code == BN_CLICKED)
            OnBrowse(dialog);
        return;
    case IDC_SET_FIND_PUTTY:
        if (code == BN_CLICKED)
            OnFindPutty(dialog);
        return;
    case IDC_SET_PUTTY_PATH:
        if (code == EN_CHANGE)
            UpdateVersionLine(dialog);
        return;
    }
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;    /* the path box takes the focus */
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
