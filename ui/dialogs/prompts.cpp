/*
 * prompts.cpp: message boxes, file choosers and the input box.
 */
#include <stdarg.h>

#include <shlobj.h>

#include "../../core/files.h"
#include "../../core/platform.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../hotkeys/hotkeys.h"
#include "dialog_util.h"
#include "prompts.h"

int ShowMessage(HWND owner, UINT flags, const wchar_t *format, ...)
{
    wchar_t text[1026];
    const wchar_t *shown = format;
    if (StrFindChar(format, '%')) {
        va_list ap;
        va_start(ap, format);
        PlatFormatV(text, format, ap);
        va_end(ap);
        shown = text;
    }
    if (owner && !IsWindowVisible(owner))
        owner = NULL;
    if (!owner)
        flags |= MB_TOPMOST;
    BeginModal();
    int answer = MessageBoxW(owner, shown, L"Kestrum", flags);
    EndModal();
    return answer;
}

bool ChooseFile(HWND owner, bool save, const wchar_t *filter, const wchar_t *defaultExt,
                wchar_t *path, int size)
{
    OPENFILENAMEW ofn;
    MemFill(&ofn, 0, sizeof ofn);
    /* the NT 4 size: XP's dialog rejects nothing, older layouts stay valid */
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = size;
    ofn.lpstrDefExt = defaultExt;
    ofn.Flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR
                     : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    BeginModal();
    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    EndModal();
    return chosen != FALSE;
}

/* Starts the chooser at the folder it was given. */
static int CALLBACK FolderChooserStart(HWND chooser, UINT msg, LPARAM, LPARAM start)
{
    if (msg == BFFM_INITIALIZED && !StrIsEmpty((const wchar_t *)start))
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

bool ChooseFolder(HWND owner, const wchar_t *title, wchar_t *path)
{
    BROWSEINFOW bi;
    MemFill(&bi, 0, sizeof bi);
    bi.hwndOwner = owner;
    bi.lpszTitle = title;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = FolderChooserStart;
    bi.lParam = (LPARAM)path;
    BeginModal();
    LPITEMIDLIST chosen = SHBrowseForFolderW(&bi);
    EndModal();
    if (!chosen)
        return false;
    wchar_t folder[MAX_PATH];
    bool ok = SHGetPathFromIDListW(chosen, folder) && folder[0];
    CoTaskMemFree(chosen);
    if (ok)
        StrCopyTo(path, KPATH, folder);
    return ok;
}

struct InputRequest {
    const wchar_t *Title;
    const wchar_t *Prompt;
    const wchar_t *Initial;
    wchar_t *Result;
};

static INT_PTR CALLBACK InputProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        InputRequest *r = (InputRequest *)lParam;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetWindowTextW(dialog, r->Title);
        SetItemText(dialog, IDC_INPUT_PROMPT, r->Prompt);
        SetItemText(dialog, IDC_INPUT_TEXT, r->Initial);
        HWND edit = GetDlgItem(dialog, IDC_INPUT_TEXT);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        InputRequest *r = (InputRequest *)GetWindowLongPtrW(dialog, DWLP_USER);
        if (LOWORD(wParam) == IDOK)
            r->Result = GetItemText(dialog, IDC_INPUT_TEXT);
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

wchar_t *InputDialog(const wchar_t *title, const wchar_t *prompt, const wchar_t *initial)
{
    InputRequest r = { title, prompt, initial, NULL };
    RunModalDialog(IDD_INPUT, InputProc, (LPARAM)&r);
    return r.Result;
}
