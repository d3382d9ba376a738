/*
 * settings_rules.h: the settings dialog without its window: the line
 * that describes the executable named in the path box, the line naming
 * the configuration file, the password-mode list and the numbers OK
 * stores.
 */
#ifndef KESTRUM_UI_DIALOGS_SETTINGS_RULES_H
#define KESTRUM_UI_DIALOGS_SETTINGS_RULES_H

/* The list offers the password modes 1 to 4; "follow the settings" (0)
 * means nothing here. */
enum { SETTINGS_MODE_ENTRIES = 4 };
/* Nine digits keep a number box inside an int. */
enum { SETTINGS_DELAY_DIGITS = 9 };

/* What the version line says of a path: exists whether it names a
 * file, major and minor as ReadFileVersion read them (both 0: no
 * version).  A new text. */
wchar_t *VersionLineText(bool exists, int major, int minor);
/* Whether a PuTTY of that version takes -pwfile (0.77 or later). */
bool VersionTakesPwfile(int major, int minor);
/* "설정 파일: " and the path; a new text. */
wchar_t *ConfigFileLineText(const wchar_t *path);

/* The entry shown for a stored mode; a mode outside 1 to 4 shows the
 * entry that OK would store for it. */
int PasswordModeListIndex(int mode);
/* The mode stored for a list index; no selection (-1) or any index
 * outside the list stores 1. */
int PasswordModeFromList(int index);
/* The reconnect delay stored for the box's number: at least 1 second. */
int ReconnectDelayFromBox(int seconds);

#endif
