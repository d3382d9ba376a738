/*
 * layout_rules.cpp: main-window geometry.
 */
#include "layout_rules.h"

int ScaleLength(int n, int dpi)
{
    long long p = (long long)n * dpi;
    long long half = 48;
    return (int)(p >= 0 ? (p + half) / 96 : -((-p + half) / 96));
}

static LayoutRect Rect(int left, int top, int width, int height)
{
    LayoutRect r = { left, top, left + width, top + height };
    return r;
}

void LayoutPanes(const PaneInput *in, PaneLayout *out)
{
    int W = in->Width, H = in->Height;
    int dpi = in->Dpi > 0 ? in->Dpi : 96;
#define S(n) ScaleLength(n, dpi)
    *out = PaneLayout();
    int top = in->HideToolbar ? 0 : in->ToolbarRow;
    out->Top = top;
    int tabX = 0;
    if (!in->HideTree) {
        int w = in->TreeWidth;
        if (w >= W - S(200))
            w = W - S(200);
        if (w < S(120))
            w = S(120);
        out->ShowTree = true;
        out->Find = Rect(0, top, w, S(22));
        int b;
        if (in->HideSessions) {
            b = H;
        } else {
            int a = H - S(22) - top;
            int l = in->SessionsHeight;
            if (l >= a - S(120))
                l = a - S(120);
            if (l < S(40))
                l = S(40);
            out->ShowList = true;
            out->List = Rect(0, H - l, w, l);
            int y = H - l - S(20);
            out->Label = Rect(S(4), y, w - S(4), S(20));
            out->ListSplitter = Rect(0, y - S(5), w, S(5));
            b = y - S(5);
        }
        int t = b - top - S(22) - S(2);
        if (t < 10)
            t = 10;
        out->Tree = Rect(0, top + S(22) + S(2), w, t);
        out->TreeSplitter = Rect(w, top, S(5), H - top);
        tabX = w + S(5);
    }
    out->Tab = Rect(tabX, top, W - tabX, H - top);
#undef S
}

int GridColumns(int n)
{
    int c = 2;
    while (c * c < n)
        c++;
    return c;
}

bool SessionCell(int mode, int n, int i, int active, LayoutRect area, LayoutRect *cell)
{
    long long L = area.Left, T = area.Top;
    long long AW = area.Right - area.Left, AH = area.Bottom - area.Top;
    *cell = area;
    if (mode == 0 || n == 1)
        return i == active;
    if (mode == 1) {
        cell->Left = (int)(L + AW * i / n);
        cell->Right = (int)(L + AW * (i + 1) / n);
    } else if (mode == 2) {
        cell->Top = (int)(T + AH * i / n);
        cell->Bottom = (int)(T + AH * (i + 1) / n);
    } else {
        int c = GridColumns(n), r = (n + c - 1) / c;
        int row = i / c, col = i % c;
        cell->Left = (int)(L + AW * col / c);
        cell->Right = (int)(L + AW * (col + 1) / c);
        cell->Top = (int)(T + AH * row / r);
        cell->Bottom = (int)(T + AH * (row + 1) / r);
    }
    return true;
}

bool SessionCellAmong(int mode, const bool *in, int n, int i, int active, LayoutRect area, LayoutRect *cell)
{
    int count = 0, place = -1;
    for (int k = 0; k < n; k++) {
        if (k == i && in[k])
            place = count;
        count += in[k] ? 1 : 0;
    }
    if (mode == 0 || count == 0)
        return SessionCell(mode, n, i, active, area, cell);
    *cell = area;
    if (place < 0)
        return false;
    return SessionCell(mode, count, place, count == 1 ? 0 : -1, area, cell);
}

bool PlacementOnScreen(int left, int top, int right, int bottom, int x0, int y0, int cx, int cy)
{
    return left < x0 + cx - 50 && top < y0 + cy - 50 && right > x0 + 50 && bottom > y0 + 20;
}

int RestoredShowCommand(int showCmd)
{
    return showCmd == 3 ? 3 : 1;
}
