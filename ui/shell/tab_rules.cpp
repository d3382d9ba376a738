/*
 * tab_rules.cpp: tab texts, close marks, drags and reordering.
 */
#include "tab_rules.h"

#include "../../core/text.h"
#include "../../sessions/session_rules.h"

static const wchar_t *MemberMark(int marks)
{
    return marks & TAB_MARK_MEMBER ? L"\x25CF " : L"";
}

/* The marks that follow the caption. */
static const wchar_t *StoppedMark(int marks)
{
    return marks & TAB_MARK_STOPPED ? L" (스크립트 멈춤)" : L"";
}

static const wchar_t *AsksMark(int marks)
{
    return marks & TAB_MARK_ASKS ? L" (PuTTY 확인 필요)" : L"";
}

void ComposeTabText(wchar_t *out, int state, bool disconnected, const wchar_t *caption, bool closeButtons,
                    int marks)
{
    const wchar_t *prefix = L"";
    if (state == SESSION_ENDED || state == SESSION_FAILED)
        prefix = L"[종료] ";
    else if (state == SESSION_RECONNECT_WAIT)
        prefix = L"[재연결] ";
    else if (disconnected)
        prefix = L"[끊김] ";
    wchar_t buf[1025];
    StrFormat(buf, L"%s%s%s%s%s%s", MemberMark(marks), prefix, caption ? caption : L"", StoppedMark(marks),
              AsksMark(marks), closeButtons ? L"      " : L"");
    StrCopyTo(out, TAB_TEXT_MAX, buf);
}

void ComposeListText(wchar_t *out, int state, bool disconnected, const wchar_t *caption, int marks)
{
    const wchar_t *suffix;
    switch (state) {
    case SESSION_RUNNING: suffix = disconnected ? L" (끊김)" : L""; break;
    case SESSION_STARTING: suffix = L" (연결 중)"; break;
    case SESSION_RECONNECT_WAIT: suffix = L" (재연결 대기)"; break;
    default: suffix = L" (종료)"; break;
    }
    wchar_t buf[1025];
    StrFormat(buf, L"%s%s%s%s%s", MemberMark(marks), caption ? caption : L"", suffix, StoppedMark(marks),
              AsksMark(marks));
    StrCopyTo(out, TAB_TEXT_MAX, buf);
}

void ComposeTabTip(wchar_t *out, int cap, const wchar_t *caption, const wchar_t *reason)
{
    wchar_t buf[1025];
    StrFormat(buf, L"%s%s%s", caption ? caption : L"", StrIsEmpty(reason) ? L"" : L"\n", reason ? reason : L"");
    StrCopyTo(out, cap, buf);
}

LayoutRect CloseMarkRect(LayoutRect item, int s, int inset)
{
    LayoutRect r;
    r.Right = item.Right - inset;
    r.Left = r.Right - s;
    r.Top = item.Top + 1 + (item.Bottom - item.Top - s) / 2;
    r.Bottom = r.Top + s;
    return r;
}

bool CloseMarkHit(LayoutRect item, int s, int inset, int x, int y)
{
    LayoutRect r = CloseMarkRect(item, s, inset);
    return x >= r.Left - 2 && x < r.Right + 2 && y >= r.Top - 2 && y < r.Bottom + 2;
}

bool DragStarted(int dx, int dy, int cxDrag, int cyDrag)
{
    return (dx < 0 ? -dx : dx) > cxDrag || (dy < 0 ? -dy : dy) > cyDrag;
}

void MoveEntry(void **items, int n, int source, int target)
{
    if (source < 0 || target < 0 || source >= n || target >= n || source == target)
        return;
    void *moved = items[source];
    if (source < target)
        MemCopy(items + source, items + source + 1, (size_t)(target - source) * sizeof *items);
    else
        MemCopy(items + target + 1, items + target, (size_t)(source - target) * sizeof *items);
    items[target] = moved;
}
