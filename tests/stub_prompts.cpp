/*
 * stub_prompts.cpp: records message boxes instead of showing them, so
 * tests never wait for a click.
 */
#include <stdarg.h>

#include "../core/platform.h"
#include "../ui/dialogs/prompts.h"
#include "stub_prompts.h"

int StubMessageCount;
UINT StubMessageFlags;
wchar_t StubMessageText[1026];
int StubMessageAnswer = IDOK;

int ShowMessage(HWND, UINT flags, const wchar_t *format, ...)
{
    va_list ap;
    va_start(ap, format);
    PlatFormatV(StubMessageText, format, ap);
    va_end(ap);
    StubMessageFlags = flags;
    StubMessageCount++;
    return StubMessageAnswer;
}
