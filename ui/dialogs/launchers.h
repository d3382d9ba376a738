/*
 * launchers.h: the dialogs the commands open.  Each runs modally over
 * the main window; the Windows tests replace them with scripted answers.
 */
#ifndef KESTRUM_UI_DIALOGS_LAUNCHERS_H
#define KESTRUM_UI_DIALOGS_LAUNCHERS_H

#include <windows.h>

#include "properties_rules.h"

struct ServerNode;

/* Template 200 on node; true on OK, and only then is node changed.
 * mode is PROPS_NEW for a server not yet in the tree; a saved-session
 * node shows as one whatever the mode. */
bool ShowServerProperties(ServerNode *node, int mode);
/* Template 201; true on OK. */
bool ShowSettingsDialog(void);
/* Template 202; true on OK. */
bool ShowQuickConnectDialog(void);
/* Template 203 over the open sessions. */
void ShowSendScriptDialog(void);
/* Template 204; true on OK. */
bool ShowHotkeysDialog(void);
/* Template 206: a PuTTY window running outside, or null. */
HWND ChooseWindowToAttach(void);
/* Template 207 for folder (may be null). */
void ShowBulkPasswordDialog(ServerNode *folder);
/* The tree export and import, and the MTPuTTY import, with their file
 * choosers and questions. */
void ExportTreeCommand(void);
void ImportTreeCommand(void);
void ImportMtputtyCommand(void);
/* Connects the text of the toolbar's quick-connect box. */
void ConnectQuickBox(void);

#endif
