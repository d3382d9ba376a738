/*
 * toolbar.cpp: the toolbar row.
 */
#include "toolbar.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/settings.h"
#include "../../core/files.h"
#include "../../core/text.h"
#include "../commands/command_ids.h"
#include "layout.h"
#include "main_window.h"

HWND Toolbar;
HWND QuickConnectBox;
static HIMAGELIST TreeImages;
static WNDPROC QuickEditPrevious;

struct ToolbarEntry {
    int Command;            /* 0: a separator */
    const wchar_t *Text;
};

static const ToolbarEntry ToolbarEntries[] = {
    { 0, NULL },
    { CMD_QUICK_CONNECT_BOX, L"연결" },
    { 0, NULL },
    { CMD_ADD_SERVER, L"서버 추가" },
    { CMD_ADD_FOLDER, L"폴더 추가" },
    { CMD_CONNECT, L"트리에서 연결" },
    { 0, NULL },
    { CMD_SEND_SCRIPT, L"스크립트" },
    { CMD_SPECIAL_KEY_FIRST, L"특수 키" },
    { CMD_DUPLICATE_SESSION, L"복제" },
    { CMD_RECONNECT, L"다시 연결" },
    { CMD_DETACH, L"분리" },
    { CMD_ATTACH_WINDOWS, L"창 가져오기" },
    { 0, NULL },
    { CMD_SETTINGS, L"설정" },
};
enum { TOOLBAR_ENTRIES = sizeof ToolbarEntries / sizeof ToolbarEntries[0] };

/* Enter in the box connects; the edit would only beep at it. */
static LRESULT CALLBACK QuickEditProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        PostMessageW(MainWindow, WM_COMMAND, CMD_QUICK_CONNECT_BOX, 0);
        return 0;
    }
    if (msg == WM_CHAR && (wParam == 13 || wParam == 10))
        return 0;
    return CallWindowProcW(QuickEditPrevious, window, msg, wParam, lParam);
}

void CreateToolbar(HWND main)
{
    HINSTANCE instance = GetModuleHandleW(NULL);
    Toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, NULL,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST |
                                  TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                              0, 0, 100, 30, main, NULL, instance, NULL);
    SendMessageW(Toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(Toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(Toolbar, WM_SETFONT, (WPARAM)UiFont, FALSE);
    SendMessageW(Toolbar, TB_SETIMAGELIST, 0, 0);
    TBBUTTON buttons[TOOLBAR_ENTRIES];
    ZeroMemory(buttons, sizeof buttons);
    for (int i = 0; i < TOOLBAR_ENTRIES; i++) {
        TBBUTTON *b = &buttons[i];
        if (!ToolbarEntries[i].Command) {
            b->fsStyle = BTNS_SEP;
            b->iBitmap = ScaleForDpi(i == 0 ? 230 : 6);
            continue;
        }
        b->iBitmap = I_IMAGENONE;
        b->idCommand = ToolbarEntries[i].Command;
        b->fsState = TBSTATE_ENABLED;
        b->fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        if (ToolbarEntries[i].Command == CMD_SPECIAL_KEY_FIRST)
            b->fsStyle |= BTNS_WHOLEDROPDOWN;
        b->iString = (INT_PTR)ToolbarEntries[i].Text;
    }
    SendMessageW(Toolbar, TB_ADDBUTTONSW, TOOLBAR_ENTRIES, (LPARAM)buttons);

    QuickConnectBox = CreateWindowExW(0, L"COMBOBOX", L"",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0,
                                      200, ScaleForDpi(260), main, NULL, instance, NULL);
    SendMessageW(QuickConnectBox, WM_SETFONT, (WPARAM)UiFont, FALSE);
    if (HWND edit = GetWindow(QuickConnectBox, GW_CHILD)) {
        QuickEditPrevious = (WNDPROC)SetWindowLongPtrW(edit, GWLP_WNDPROC, (LONG_PTR)QuickEditProc);
        SendMessageW(edit, EM_SETCUEBANNER, FALSE, (LPARAM)L"user@host:port 또는 서버 이름");
    }
    FillRecentsCombo();
}

static int RectHeight(const RECT &r)
{
    return r.bottom - r.top;
}

int ToolbarRowHeight(void)
{
    RECT button = {}, box = {};
    SendMessageW(Toolbar, TB_GETITEMRECT, 1, (LPARAM)&button);
    GetWindowRect(QuickConnectBox, &box);
    int h = RectHeight(button) > RectHeight(box) ? RectHeight(button) : RectHeight(box);
    return h + ScaleForDpi(6);
}

void PlaceQuickConnectBox(int rowHeight)
{
    RECT slot = {}, box = {};
    SendMessageW(Toolbar, TB_GETITEMRECT, 0, (LPARAM)&slot);
    GetWindowRect(QuickConnectBox, &box);
    SetWindowPos(QuickConnectBox, HWND_TOP, slot.left + ScaleForDpi(4), (rowHeight - RectHeight(box)) / 2,
                 slot.right - slot.left - ScaleForDpi(8), ScaleForDpi(260), SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void FillRecentsCombo(void)
{
    wchar_t typed[256];
    typed[0] = 0;
    GetWindowTextW(QuickConnectBox, typed, 256);
    SendMessageW(QuickConnectBox, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < RECENT_MAX; i++)
        if (Settings.Recents[i] && Settings.Recents[i][0])
            SendMessageW(QuickConnectBox, CB_ADDSTRING, 0, (LPARAM)Settings.Recents[i]);
    SetWindowTextW(QuickConnectBox, typed);
}

/* name in the system directory into a KPATH buffer; false when the
 * directory cannot be read or the path would not fit (the call then
 * reports the size it needs and leaves the buffer alone). */
static bool SystemFilePath(const wchar_t *name, wchar_t *path)
{
    int room = KPATH - StrLen(name) - 1;
    UINT n = GetSystemDirectoryW(path, (UINT)room);
    if (n == 0 || n >= (UINT)room)
        return false;
    path[n] = L'\\';
    StrCopyTo(path + n + 1, KPATH - (int)n - 1, name);
    return true;
}

static HICON SmallIconOf(const wchar_t *file, int index)
{
    HICON icon = NULL;
    if (ExtractIconExW(file, index, NULL, &icon, 1) == 0)
        return NULL;
    return icon;
}

void BuildTreeImageList(void)
{
    if (TreeImages)
        ImageList_Destroy(TreeImages);
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    TreeImages = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 3, 0);
    HICON icons[3] = { NULL, NULL, NULL };
    wchar_t shell32[KPATH];
    if (SystemFilePath(L"shell32.dll", shell32)) {
        icons[0] = SmallIconOf(shell32, 3);
        icons[1] = SmallIconOf(shell32, 4);
    }
    if (FileExists(Settings.PuttyPath))
        icons[2] = SmallIconOf(Settings.PuttyPath, 0);
    if (!icons[2])
        icons[2] = (HICON)LoadImageW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(1), IMAGE_ICON, cx, cy, 0);
    for (int i = 0; i < 3; i++) {
        if (!icons[i]) {
            /* a shared icon: copied, never destroyed */
            ImageList_ReplaceIcon(TreeImages, -1, LoadIconW(NULL, IDI_APPLICATION));
            continue;
        }
        ImageList_ReplaceIcon(TreeImages, -1, icons[i]);
        DestroyIcon(icons[i]);
    }
    SendMessageW(ServerTree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)TreeImages);
}
