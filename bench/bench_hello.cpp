/*
 * bench_hello: the least a windowed program does, one shown window and
 * its message loop, so that bench_start can tell Wine's own cost of
 * starting a process apart from Kestrum's.  Built twice: bare, and as
 * bench_hello_dlls with Kestrum's system DLLs loaded and the common
 * controls registered as Kestrum does, which under Wine is a large part
 * of a start that on Windows comes almost free.
 */
#include <windows.h>
#ifdef HELLO_WITH_KESTRUM_DLLS
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <wincrypt.h>
#endif

static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
#ifdef HELLO_WITH_KESTRUM_DLLS
    /* one harmless call into each DLL keeps it imported */
    INITCOMMONCONTROLSEX icc = { sizeof icc, 0x42FF };
    InitCommonControlsEx(&icc);
    CommDlgExtendedError();
    int argc = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &argc));
    CertCloseStore(NULL, 0);
    CoTaskMemFree(NULL);
    DWORD ignored;
    GetFileVersionInfoSizeW(L"kernel32.dll", &ignored);
#endif
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"BenchHello";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, L"BenchHello", L"hello", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, NULL, NULL,
                             instance, NULL);
    ShowWindow(w, SW_SHOWNORMAL);
    UpdateWindow(w);
    MSG m;
    while (GetMessageW(&m, NULL, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}
