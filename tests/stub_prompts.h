/*
 * stub_prompts.h: what the recording prompts and dialogs saw, and the
 * answers they give.
 */
#ifndef KESTRUM_TESTS_STUB_PROMPTS_H
#define KESTRUM_TESTS_STUB_PROMPTS_H

#include <windows.h>

struct ServerNode;

extern int StubMessageCount;
extern UINT StubMessageFlags;
extern wchar_t StubMessageText[1026];
extern int StubMessageAnswer;
/* When set, answers each message box in place of StubMessageAnswer:
 * for commands that ask more than one question. */
extern int (*StubMessageHook)(UINT flags, const wchar_t *text);

/* InputDialog gives a copy of this, or null (Cancel) when it is null. */
extern const wchar_t *StubInputAnswer;
/* When set, runs while the input box is "open", before it answers. */
extern void (*StubInputHook)(void);
extern wchar_t StubInputInitial[300];
/* ChooseFile chooses this path, or is cancelled when it is null. */
extern const wchar_t *StubChosenFile;
/* What the last ChooseFile offered: its filter's descriptions and
 * patterns in order, "|" between them, and its default extension. */
extern wchar_t StubChooserFilter[512];
extern wchar_t StubChooserExtension[16];
/* The server properties dialog: the mode it was opened in, the answer,
 * and what it changes in the node on OK. */
extern int StubPropertiesMode;
extern bool StubPropertiesAnswer;
extern void (*StubPropertiesEdit)(ServerNode *node);
/* How often each launcher without an answer ran. */
extern int StubLaunchCount;
/* How often the settings dialog was opened; StubLaunchCount counts it too. */
extern int StubSettingsCount;
/* The folder the bulk password change was last opened for. */
extern ServerNode *StubBulkFolder;

/* Back to the defaults: OK to messages, Cancel everywhere else. */
void StubPromptsReset(void);

#endif
