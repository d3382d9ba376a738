/*
 * protect.h: base64, password protection for the current user, and
 * identifiers for servers.
 */
#ifndef KESTRUM_CORE_PROTECT_H
#define KESTRUM_CORE_PROTECT_H

#include <stdint.h>

/* Standard base64 with = padding, no line breaks. */
wchar_t *Base64Encode(const uint8_t *data, int bytes);
/* Skips every character outside the alphabet; never fails. */
uint8_t *Base64Decode(const wchar_t *text, int *bytes);

/* Base64 of the protected form, or null for an empty password or when
 * protection fails (the caller then stores the password in plain). */
wchar_t *ProtectPassword(const wchar_t *password);
/* The password, or null when the text is empty or cannot be opened
 * (another user's, or damaged).  Release with StrFreeSecret. */
wchar_t *UnprotectPassword(const wchar_t *text);

/* A new identifier: a registry-form GUID, or "{ticks-counter}". */
wchar_t *NewUid(void);

#endif
