/*
 * key_post.h: the Windows side of the key player: posting keystrokes to
 * a PuTTY window, plugging PostMessageW and MapVirtualKeyW into the
 * player of key_script.h.
 */
#ifndef KESTRUM_SESSIONS_KEY_POST_H
#define KESTRUM_SESSIONS_KEY_POST_H

#include <windows.h>

/* Posts WM_KEYDOWN and WM_KEYUP for vk to the window itself, without
 * any modifier state. */
void PostVirtualKey(HWND window, UINT vk);

/* Sets the player's poster to PostMessageW and its scan-code mapper to
 * MapVirtualKeyW; once at start-up. */
void InstallKeyPoster(void);

#endif
