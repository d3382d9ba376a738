/*
 * config_warn.h: saving the configuration with the user told of a
 * failure.
 */
#ifndef KESTRUM_UI_DIALOGS_CONFIG_WARN_H
#define KESTRUM_UI_DIALOGS_CONFIG_WARN_H

/* ConfigSave, and a warning naming the file when it fails. */
void ConfigSaveOrWarn(void);

#endif
