/*
 * stub_prompts.h: what the recording ShowMessage saw.
 */
#ifndef KESTRUM_TESTS_STUB_PROMPTS_H
#define KESTRUM_TESTS_STUB_PROMPTS_H

#include <windows.h>

extern int StubMessageCount;
extern UINT StubMessageFlags;
extern wchar_t StubMessageText[1026];
extern int StubMessageAnswer;

#endif
