/*
 * attach_rules.h: the texts of the attach dialog's list, without
 * windows.
 */
#ifndef KESTRUM_UI_DIALOGS_ATTACH_RULES_H
#define KESTRUM_UI_DIALOGS_ATTACH_RULES_H

/* An entry shows at most this many characters of a window title. */
enum { ATTACH_TITLE_MAX = 255 };

/* The list entry of a window with this title into out (ATTACH_TITLE_MAX
 * + 1 characters): the title cut to ATTACH_TITLE_MAX characters, never
 * ending in half a surrogate pair, or "(제목 없음)" when it is empty or
 * null. */
void AttachEntryText(const wchar_t *title, wchar_t *out);

#endif
