/*
 * prompts.cpp: message boxes.
 */
#include <stdarg.h>

#include "../../core/platform.h"
#include "../../core/text.h"
#include "../hotkeys/hotkeys.h"
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
