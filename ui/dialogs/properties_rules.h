/*
 * properties_rules.h: the server properties dialog without its window:
 * the mode it opens in, which boxes are enabled, how the boxes' values
 * become a node, what OK refuses, what OK writes back, and the command
 * preview.
 *
 * The dialog reads its boxes into a PropertiesValues record and turns
 * that into a temporary copy of the node; everything after that works
 * on the copy, so the edited node changes only on OK.
 */
#ifndef KESTRUM_UI_DIALOGS_PROPERTIES_RULES_H
#define KESTRUM_UI_DIALOGS_PROPERTIES_RULES_H

struct ServerNode;

/* How the dialog shows its node. */
enum { PROPS_EDIT = 0, PROPS_NEW, PROPS_SAVED_SESSION };

/* A saved-session node always opens in PROPS_SAVED_SESSION; otherwise
 * isNew chooses between PROPS_NEW and PROPS_EDIT. */
int PropertiesMode(const ServerNode *node, bool isNew);
/* A new text for the title bar, or null to keep the template's. */
wchar_t *PropertiesTitle(const ServerNode *node, int mode);
/* Whether the box with this control id takes input; boxes the rules do
 * not name are always enabled. */
bool PropertiesControlEnabled(int id, int mode, bool customCmd);

/* The first entry of the saved-session box, always offered. */
extern const wchar_t DefaultSavedSession[];
/* Whether a child of PuttySessionsFolder gets its own entry after
 * DefaultSavedSession (not empty, not DefaultSavedSession itself). */
bool OffersSavedSession(const ServerNode *child);
/* The saved-session box's text when the dialog opens. */
const wchar_t *SavedSessionBoxText(const ServerNode *node);

/* The boxes as read from the dialog.  Texts are owned and never null;
 * numbers are the boxes' values (an empty box is 0); a combo box without
 * a selection reads -1. */
struct PropertiesValues {
    wchar_t *DisplayName;
    wchar_t *ServerName;
    wchar_t *SavedSession;
    wchar_t *UserName;
    wchar_t *Password;
    wchar_t *CLParams;
    wchar_t *Script;
    int Port;
    int PasswordDelay;
    int ScriptDelay;
    int Protocol;
    int PasswordMode;
    bool CustomCmd;
};
/* Frees the texts, the password overwritten first. */
void ReleasePropertiesValues(PropertiesValues *v);
/* Stores the values into node: empty texts become null, no protocol
 * means SSH, no password mode means "follow the settings", the delays
 * go between 0 and DELAY_MAX.  The UID,
 * the type, the flags and the links stay. */
void ReadValuesIntoNode(const PropertiesValues *v, ServerNode *node);

/* What OK refuses. */
enum { PROPS_VALID = 0, PROPS_NEED_HOST, PROPS_NEED_ARGS };
/* The first problem of a node read from the boxes. */
int ValidateProperties(const ServerNode *copy);
/* The warning for a problem, and the box that gets the focus. */
const wchar_t *PropertiesProblemText(int problem);
int PropertiesProblemControl(int problem);

/* An empty display name becomes the host, else the saved session. */
void FillDisplayName(ServerNode *copy);
/* OK's write-back: the display name filled in, then every field of copy
 * into node.  An unchanged password keeps node's protected form. */
void ApplyProperties(ServerNode *node, ServerNode *copy);

/* "putty.exe" and the masked arguments of copy, with a note on how the
 * password travels; a new text. */
wchar_t *PropertiesPreview(const ServerNode *copy);

#endif
