/*
 * stub_prompts.cpp: records message boxes and dialogs instead of showing
 * them, so tests never wait for a click.
 */
#include <stdarg.h>

#include "../core/platform.h"
#include "../core/text.h"
#include "../ui/dialogs/launchers.h"
#include "../ui/dialogs/prompts.h"
#include "stub_prompts.h"

int StubMessageCount;
UINT StubMessageFlags;
wchar_t StubMessageText[1026];
int StubMessageAnswer = IDOK;
int (*StubMessageHook)(UINT flags, const wchar_t *text);
const wchar_t *StubInputAnswer;
void (*StubInputHook)(void);
wchar_t StubInputInitial[300];
const wchar_t *StubChosenFile;
wchar_t StubChooserFilter[512];
wchar_t StubChooserExtension[16];
int StubPropertiesMode = -1;
bool StubPropertiesAnswer;
void (*StubPropertiesEdit)(ServerNode *node);
int StubLaunchCount;
int StubSettingsCount;
ServerNode *StubBulkFolder;

void StubPromptsReset(void)
{
    StubMessageCount = 0;
    StubMessageFlags = 0;
    StubMessageText[0] = 0;
    StubMessageAnswer = IDOK;
    StubMessageHook = NULL;
    StubInputAnswer = NULL;
    StubInputHook = NULL;
    StubInputInitial[0] = 0;
    StubChosenFile = NULL;
    StubPropertiesMode = -1;
    StubPropertiesAnswer = false;
    StubPropertiesEdit = NULL;
    StubLaunchCount = 0;
    StubSettingsCount = 0;
    StubBulkFolder = NULL;
}

int ShowMessage(HWND, UINT flags, const wchar_t *format, ...)
{
    va_list ap;
    va_start(ap, format);
    PlatFormatV(StubMessageText, format, ap);
    va_end(ap);
    StubMessageFlags = flags;
    StubMessageCount++;
    return StubMessageHook ? StubMessageHook(flags, StubMessageText) : StubMessageAnswer;
}

bool ChooseFile(HWND, bool, const wchar_t *filter, const wchar_t *defaultExt, wchar_t *path, int size)
{
    /* the filter is a list of zero-terminated texts ending in an empty one */
    int n = 0;
    for (const wchar_t *f = filter; f && *f && n < 500; f += StrLen(f) + 1) {
        if (n)
            StubChooserFilter[n++] = '|';
        StrCopyTo(StubChooserFilter + n, 512 - n, f);
        n = StrLen(StubChooserFilter);
    }
    StubChooserFilter[n] = 0;
    StrCopyTo(StubChooserExtension, 16, defaultExt ? defaultExt : L"");
    if (!StubChosenFile)
        return false;
    StrCopyTo(path, size, StubChosenFile);
    return true;
}

wchar_t *InputDialog(const wchar_t *, const wchar_t *, const wchar_t *initial)
{
    StrCopyTo(StubInputInitial, 300, initial ? initial : L"");
    if (StubInputHook)
        StubInputHook();
    return StubInputAnswer ? StrDup(StubInputAnswer) : NULL;
}

bool ShowServerProperties(ServerNode *node, int mode)
{
    StubPropertiesMode = mode;
    if (StubPropertiesAnswer && StubPropertiesEdit)
        StubPropertiesEdit(node);
    return StubPropertiesAnswer;
}

static bool Launched(void)
{
    StubLaunchCount++;
    return false;
}

bool ShowSettingsDialog(void) { StubSettingsCount++; return Launched(); }
bool ShowQuickConnectDialog(void) { return Launched(); }
void ShowSendScriptDialog(void) { Launched(); }
bool ShowHotkeysDialog(void) { return Launched(); }
HWND ChooseWindowToAttach(void) { Launched(); return NULL; }
void ShowBulkPasswordDialog(ServerNode *folder) { StubBulkFolder = folder; Launched(); }
