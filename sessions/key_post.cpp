/*
 * key_post.cpp: keystrokes posted to PuTTY windows.
 */
#include "key_post.h"

#include "key_script.h"

static_assert(KEY_MSG_KEYDOWN == WM_KEYDOWN && KEY_MSG_KEYUP == WM_KEYUP && KEY_MSG_CHAR == WM_CHAR,
              "the player posts the Windows keyboard messages");

void PostVirtualKey(HWND window, UINT vk)
{
    uint32_t lParam = KeyStrokeLParam(vk, MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    PostMessageW(window, WM_KEYDOWN, vk, (LPARAM)lParam);
    PostMessageW(window, WM_KEYUP, vk, (LPARAM)(lParam | KEY_UP_FLAGS));
}

static void PostToWindow(void *window, unsigned message, uintptr_t wParam, uintptr_t lParam)
{
    PostMessageW((HWND)window, message, (WPARAM)wParam, (LPARAM)lParam);
}

static unsigned ScanCode(unsigned vk)
{
    return MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
}

void InstallKeyPoster(void)
{
    KeyMessagePost = PostToWindow;
    KeyScanCode = ScanCode;
}
