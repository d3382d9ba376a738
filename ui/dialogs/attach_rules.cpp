/*
 * attach_rules.cpp: list texts of the attach dialog.
 */
#include "attach_rules.h"

#include "../../core/text.h"

void AttachEntryText(const wchar_t *title, wchar_t *out)
{
    if (StrIsEmpty(title)) {
        StrCopyTo(out, ATTACH_TITLE_MAX + 1, L"(제목 없음)");
        return;
    }
    StrCopyTo(out, ATTACH_TITLE_MAX + 1, title);
    /* a cut between the halves of a pair would leave a broken character */
    int n = StrLen(out);
    if (n == ATTACH_TITLE_MAX && title[n] && out[n - 1] >= 0xD800 && out[n - 1] <= 0xDBFF)
        out[n - 1] = 0;
}
