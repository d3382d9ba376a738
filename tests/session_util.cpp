/*
 * session_util.cpp: the common start of the session tests.
 */
#include "session_util.h"

#include <windows.h>

#include "../config/settings.h"
#include "../core/files.h"
#include "../core/text.h"
#include "../sessions/putty_discovery.h"
#include "../sessions/session.h"
#include "stub_prompts.h"
#include "test_util.h"

void UseDouble(const char *exe)
{
    StrCopyTo(Settings.PuttyPath, KPATH, WText(ProgramDir() + "\\" + exe));
    ReadPuttyVersion();
}

void ResetForSessions()
{
    ResetModel();
    SessionsInit();
    StubPromptsReset();
    UseDouble();
}
