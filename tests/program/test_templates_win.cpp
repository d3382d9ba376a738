/*
 * The dialog templates as the built Kestrum.exe carries them: each one is
 * created from the program file and compared, control by control in tab
 * order, with its layout table.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "resources/resource.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

struct Template {
    int Id;
    int W, H;
    const char *Title;
};

const Template Templates[] = {
    { IDD_SERVER_PROPERTIES, 340, 326, "서버 속성" },
    { IDD_SETTINGS, 330, 344, "설정" },
    { IDD_QUICK_CONNECT, 280, 170, "빠른 연결" },
    { IDD_SEND_SCRIPT, 360, 236, "스크립트 보내기" },
    { IDD_HOTKEYS, 300, 236, "단축키" },
    { IDD_INPUT, 240, 70, "입력" },
    { IDD_ATTACH, 260, 160, "열린 PuTTY 창 가져오기" },
    { IDD_BULK_PASSWORD, 260, 172, "비밀번호 일괄 변경" },
};

/* Style: the kind bits of the class (button type, combo type, static
 * type, list selection mode) must be equal, every other bit named must be
 * set. */
struct Control {
    int Template, Id;
    const char *Class;
    DWORD Style;
    int X, Y, W, H;
    const char *Text;
};

#define LABEL "Static", SS_LEFT
#define FRAME "Button", BS_GROUPBOX
#define EDIT "Edit", WS_TABSTOP
#define NUMBER "Edit", ES_NUMBER | WS_TABSTOP
#define PASSWORD "Edit", ES_PASSWORD | WS_TABSTOP
#define CHECK "Button", BS_AUTOCHECKBOX | WS_TABSTOP
#define RADIO "Button", BS_AUTORADIOBUTTON
#define PUSH "Button", BS_PUSHBUTTON | WS_TABSTOP
#define DEFAULT "Button", BS_DEFPUSHBUTTON | WS_TABSTOP
#define LIST_COMBO "ComboBox", CBS_DROPDOWNLIST | WS_TABSTOP
#define EDIT_COMBO "ComboBox", CBS_DROPDOWN | WS_TABSTOP

const Control Controls[] = {
    { 200, -1, LABEL, 8, 10, 70, 8, "표시 이름:" },
    { 200, 1001, EDIT, 80, 8, 252, 13, "" },
    { 200, -1, LABEL, 8, 28, 70, 8, "호스트:" },
    { 200, 1002, EDIT, 80, 26, 168, 13, "" },
    { 200, -1, LABEL, 254, 28, 24, 8, "포트:" },
    { 200, 1004, NUMBER, 280, 26, 52, 13, "" },
    { 200, -1, LABEL, 8, 46, 70, 8, "프로토콜:" },
    { 200, 1003, LIST_COMBO, 80, 44, 96, 120, "" },
    { 200, -1, LABEL, 182, 46, 52, 8, "PuTTY 세션:" },
    { 200, 1005, EDIT_COMBO, 236, 44, 96, 160, "" },
    { 200, -1, FRAME, 6, 62, 328, 80, "로그인" },
    { 200, -1, LABEL, 14, 78, 64, 8, "사용자:" },
    { 200, 1006, EDIT, 80, 76, 120, 13, "" },
    { 200, -1, LABEL, 14, 96, 64, 8, "비밀번호:" },
    { 200, 1007, PASSWORD, 80, 94, 120, 13, "" },
    { 200, 1008, CHECK, 206, 95, 36, 10, "표시" },
    { 200, -1, LABEL, 246, 96, 52, 8, "입력 지연(ms):" },
    { 200, 1010, NUMBER, 298, 94, 32, 13, "" },
    { 200, -1, LABEL, 14, 116, 64, 8, "입력 방식:" },
    { 200, 1009, LIST_COMBO, 80, 114, 250, 120, "" },
    { 200, -1, LABEL, 8, 150, 70, 8, "추가 명령줄 인자:" },
    { 200, 1011, EDIT, 80, 148, 252, 13, "" },
    { 200, 1012, CHECK, 80, 164, 252, 10, "명령줄 직접 지정 (위 호스트·포트·프로토콜·사용자를 쓰지 않음, MTPuTTY 방식)" },
    { 200, -1, LABEL, 8, 182, 70, 8, "로그인 스크립트:" },
    { 200, 1016, PUSH, 8, 194, 50, 14, "문법…" },
    { 200, 1013, EDIT | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, 80, 180, 252, 62, "" },
    { 200, -1, LABEL, 80, 248, 130, 8, "스크립트 시작 지연(ms, 로그인 후):" },
    { 200, 1014, NUMBER, 212, 246, 40, 13, "" },
    { 200, -1, LABEL, 8, 266, 70, 8, "실행될 명령:" },
    { 200, 1015, EDIT | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 80, 264, 252, 34, "" },
    { 200, 1, DEFAULT, 226, 306, 50, 14, "확인" },
    { 200, 2, PUSH, 282, 306, 50, 14, "취소" },

    { 201, -1, FRAME, 6, 4, 318, 48, "PuTTY" },
    { 201, 1101, EDIT, 14, 16, 196, 13, "" },
    { 201, 1102, PUSH, 214, 15, 50, 14, "찾아보기…" },
    { 201, 1103, PUSH, 268, 15, 50, 14, "자동 찾기" },
    { 201, 1119, LABEL, 14, 34, 304, 14, "" },
    { 201, -1, FRAME, 6, 56, 318, 72, "탭" },
    { 201, -1, LABEL, 14, 68, 40, 8, "탭 제목:" },
    { 201, 1104, RADIO | WS_GROUP | WS_TABSTOP, 56, 67, 80, 10, "서버 표시 이름" },
    { 201, 1105, RADIO, 140, 67, 90, 10, "PuTTY 창 제목" },
    { 201, 1112, CHECK | WS_GROUP, 14, 82, 300, 10, "탭에 닫기 버튼 표시 (가운데 클릭으로도 닫힘)" },
    { 201, 1113, CHECK, 14, 96, 300, 10, "탭을 아래쪽에 표시" },
    { 201, 1114, CHECK, 14, 110, 300, 10, "세션이 없을 때 시작 페이지 표시" },
    { 201, -1, FRAME, 6, 132, 318, 58, "세션이 끝났을 때" },
    { 201, 1106, CHECK, 14, 144, 300, 10, "정상 종료되면 탭 닫기" },
    { 201, 1107, CHECK, 14, 158, 300, 10, "비정상 종료(연결 끊김)되면 탭과 PuTTY 창 남겨 두기" },
    { 201, 1108, CHECK, 14, 172, 160, 10, "비정상 종료되면 자동으로 다시 연결" },
    { 201, -1, LABEL, 180, 173, 36, 8, "대기(초):" },
    { 201, 1109, NUMBER, 218, 171, 30, 13, "" },
    { 201, -1, FRAME, 6, 194, 318, 72, "확인 · 저장" },
    { 201, 1110, CHECK, 14, 206, 300, 10, "끝낼 때 확인하지 않기" },
    { 201, 1111, CHECK, 14, 220, 300, 10, "세션을 닫을 때 확인하지 않기" },
    { 201, 1115, CHECK, 14, 234, 300, 10, "창 배치 저장 (크기·위치·트리 너비·보기 방식)" },
    { 201, 1116, CHECK, 14, 248, 300, 10, "열린 세션 저장 (다음 실행 때 다시 연결)" },
    { 201, -1, FRAME, 6, 270, 318, 46, "비밀번호 기본값" },
    { 201, -1, LABEL, 14, 284, 50, 8, "입력 방식:" },
    { 201, 1117, LIST_COMBO, 66, 282, 252, 120, "" },
    { 201, -1, LABEL, 14, 300, 100, 8, "창에 입력할 때 지연(ms):" },
    { 201, 1118, NUMBER, 116, 298, 40, 13, "" },
    { 201, 1120, LABEL, 6, 322, 206, 18, "" },
    { 201, 1, DEFAULT, 218, 324, 50, 14, "확인" },
    { 201, 2, PUSH, 274, 324, 50, 14, "취소" },

    { 202, -1, LABEL, 8, 10, 60, 8, "호스트:" },
    { 202, 1002, EDIT_COMBO, 70, 8, 140, 160, "" },
    { 202, -1, LABEL, 216, 10, 20, 8, "포트:" },
    { 202, 1004, NUMBER, 238, 8, 34, 13, "" },
    { 202, -1, LABEL, 8, 28, 60, 8, "프로토콜:" },
    { 202, 1003, LIST_COMBO, 70, 26, 90, 120, "" },
    { 202, -1, LABEL, 8, 46, 60, 8, "PuTTY 세션:" },
    { 202, 1005, EDIT_COMBO, 70, 44, 202, 160, "" },
    { 202, -1, LABEL, 8, 64, 60, 8, "사용자:" },
    { 202, 1006, EDIT, 70, 62, 120, 13, "" },
    { 202, -1, LABEL, 8, 82, 60, 8, "비밀번호:" },
    { 202, 1007, PASSWORD, 70, 80, 120, 13, "" },
    { 202, -1, LABEL, 8, 100, 60, 8, "표시 이름:" },
    { 202, 1001, EDIT, 70, 98, 202, 13, "" },
    { 202, 1017, CHECK, 70, 118, 150, 10, "서버 트리에 저장" },
    { 202, -1, LABEL, 8, 134, 264, 8, "호스트 칸에는 user@host:port 형식도 쓸 수 있습니다." },
    { 202, 1, DEFAULT, 166, 150, 50, 14, "연결" },
    { 202, 2, PUSH, 222, 150, 50, 14, "취소" },

    { 203, -1, LABEL, 8, 6, 230, 8, "보낼 내용 (줄바꿈 = Enter, {ESC}·{WAIT 500} 같은 명령 사용 가능):" },
    { 203, 1201, EDIT | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL, 8, 18, 230, 170, "" },
    { 203, -1, FRAME, 244, 4, 110, 150, "대상" },
    { 203, 1202, RADIO | WS_GROUP | WS_TABSTOP, 252, 16, 96, 10, "현재 세션" },
    { 203, 1203, RADIO, 252, 28, 96, 10, "열린 세션 모두" },
    { 203, 1204, RADIO, 252, 40, 96, 10, "선택한 세션:" },
    { 203, 1205, "ListBox", LBS_EXTENDEDSEL | WS_GROUP | WS_TABSTOP, 252, 52, 96, 96, "" },
    { 203, -1, LABEL, 244, 160, 64, 8, "줄 사이 지연(ms):" },
    { 203, 1206, NUMBER, 310, 158, 44, 13, "" },
    { 203, 1209, PUSH, 8, 194, 64, 14, "특수 키 넣기 ▼" },
    { 203, 1207, PUSH, 76, 194, 50, 14, "불러오기…" },
    { 203, 1208, PUSH, 130, 194, 50, 14, "저장…" },
    { 203, 1016, PUSH, 184, 194, 54, 14, "문법" },
    { 203, 1, DEFAULT, 244, 216, 52, 14, "보내기" },
    { 203, 2, PUSH, 302, 216, 52, 14, "닫기" },

    { 204, -1, LABEL, 8, 6, 284, 8, "Kestrum 창이 활성일 때 동작합니다 (PuTTY에 포커스가 있어도)." },
    { 204, 1301, "SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, 8, 18, 284, 150, "" },
    { 204, -1, LABEL, 8, 176, 44, 8, "새 단축키:" },
    { 204, 1302, "msctls_hotkey32", WS_TABSTOP, 54, 174, 110, 13, "" },
    { 204, 1303, PUSH, 168, 173, 38, 14, "지정" },
    { 204, 1304, PUSH, 210, 173, 38, 14, "없음" },
    { 204, -1, LABEL, 8, 194, 284, 18, "Ctrl+Tab·Menu 키처럼 위 칸에서 입력되지 않는 키는 '모두 기본값'으로 되돌릴 수 있습니다." },
    { 204, 1305, PUSH, 8, 216, 60, 14, "모두 기본값" },
    { 204, 1, DEFAULT, 186, 216, 50, 14, "확인" },
    { 204, 2, PUSH, 242, 216, 50, 14, "취소" },

    { 205, 1401, LABEL, 8, 8, 224, 16, "" },
    { 205, 1402, EDIT, 8, 26, 224, 13, "" },
    { 205, 1, DEFAULT, 126, 50, 50, 14, "확인" },
    { 205, 2, PUSH, 182, 50, 50, 14, "취소" },

    { 206, -1, LABEL, 8, 6, 244, 8, "탭으로 가져올 PuTTY 창을 고르세요:" },
    { 206, 1205, "ListBox", LBS_NOTIFY | WS_TABSTOP, 8, 18, 244, 116, "" },
    { 206, 1, DEFAULT, 146, 140, 50, 14, "가져오기" },
    { 206, 2, PUSH, 202, 140, 50, 14, "취소" },

    { 207, 1501, RADIO | WS_GROUP | WS_TABSTOP, 8, 8, 244, 10, "선택한 폴더" },
    { 207, 1502, RADIO, 8, 20, 244, 10, "서버 트리 전체" },
    { 207, -1, LABEL, 8, 38, 244, 8, "사용자 이름이 이것과 같은 서버만 (비우면 모두):" },
    { 207, 1503, EDIT | WS_GROUP, 8, 48, 244, 13, "" },
    { 207, -1, LABEL, 8, 66, 244, 8, "호스트·명령줄에 이 문자열이 들어간 서버만 (비우면 모두):" },
    { 207, 1504, EDIT, 8, 76, 244, 13, "" },
    { 207, 1507, CHECK, 8, 94, 244, 10, "비밀번호가 비어 있는 서버만" },
    { 207, -1, LABEL, 8, 114, 60, 8, "새 비밀번호:" },
    { 207, 1505, PASSWORD, 70, 112, 120, 13, "" },
    { 207, -1, LABEL, 8, 132, 60, 8, "한 번 더:" },
    { 207, 1506, PASSWORD, 70, 130, 120, 13, "" },
    { 207, 1, DEFAULT, 146, 152, 50, 14, "변경" },
    { 207, 2, PUSH, 202, 152, 50, 14, "취소" },
};

/* The style bits that choose the kind of control within its class. */
DWORD KindMask(const std::string &cls)
{
    if (cls == "Button")
        return BS_TYPEMASK;
    if (cls == "ComboBox")
        return 0x3;
    if (cls == "Static")
        return SS_TYPEMASK;
    if (cls == "ListBox")
        return LBS_NOTIFY | LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL;
    if (cls == "SysListView32")
        return LVS_TYPEMASK;
    return 0;
}

std::string ClassOf(HWND w)
{
    wchar_t c[64];
    c[0] = 0;
    GetClassNameW(w, c, 64);
    return U8(c);
}

std::string TextOf(HWND w)
{
    wchar_t t[256];
    t[0] = 0;
    GetWindowTextW(w, t, 256);
    return U8(t);
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct DialogTemplates : ::testing::Test {
    static HMODULE Program;

    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS };
        InitCommonControlsEx(&icc);
        Program = LoadLibraryExW(WText(ProgramDir() + "\\..\\bin\\Kestrum.exe"), NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (Program)
            FreeLibrary(Program);
        Program = NULL;
    }
    void SetUp() override { ASSERT_TRUE(Program != NULL) << "Kestrum.exe not found beside the tests"; }

    HWND Open(int id)
    {
        HWND d = CreateDialogParamW(Program, MAKEINTRESOURCEW(id), NULL, Inert, 0);
        EXPECT_TRUE(d != NULL) << "template " << id << " does not load";
        return d;
    }
    /* Pixels of a dialog-unit rectangle, each value mapped alone as the
     * dialog manager maps a control's position and size. */
    static RECT Pixels(HWND d, int x, int y, int w, int h)
    {
        RECT r = { x, y, w, h };
        MapDialogRect(d, &r);
        return r;
    }
};
HMODULE DialogTemplates::Program = NULL;

/* The header the dialog manager reads: extended template, the common
 * style, no extended style, the caption, the size and the font. */
TEST_F(DialogTemplates, HeaderTitleSizeAndFont)
{
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
    HDC screen = GetDC(NULL);
    int points9 = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);
    for (const Template &t : Templates) {
        SCOPED_TRACE("template " + std::to_string(t.Id));
        HRSRC res = FindResourceW(Program, MAKEINTRESOURCEW(t.Id), (LPCWSTR)RT_DIALOG);
        ASSERT_TRUE(res != NULL);
        const BYTE *raw = (const BYTE *)LockResource(LoadResource(Program, res));
        ASSERT_TRUE(raw != NULL);
        WORD version, signature;
        DWORD exStyle, dlgStyle;
        memcpy(&version, raw, 2);
        memcpy(&signature, raw + 2, 2);
        memcpy(&exStyle, raw + 8, 4);
        memcpy(&dlgStyle, raw + 12, 4);
        EXPECT_EQ(1, version);
        EXPECT_EQ(0xFFFF, signature);
        EXPECT_EQ(0u, exStyle);
        EXPECT_EQ(style, dlgStyle);

        HWND d = Open(t.Id);
        if (!d)
            continue;
        EXPECT_EQ(t.Title, TextOf(d));
        RECT client, size = Pixels(d, 0, 0, t.W, t.H);
        GetClientRect(d, &client);
        EXPECT_EQ(size.right, client.right);
        EXPECT_EQ(size.bottom, client.bottom);
        LOGFONTW f = {};
        GetObjectW((HFONT)SendMessageW(d, WM_GETFONT, 0, 0), sizeof f, &f);
        EXPECT_EQ("MS Shell Dlg 2", U8(f.lfFaceName));
        EXPECT_EQ(points9, f.lfHeight);
        DestroyWindow(d);
    }
}

/* Every control in tab order: id, class, kind, place, size and text.
 * Korean texts that read back wrong mean the resource was compiled in
 * the wrong code page. */
TEST_F(DialogTemplates, ControlsFollowTheirTables)
{
    for (const Template &t : Templates) {
        SCOPED_TRACE("template " + std::to_string(t.Id));
        HWND d = Open(t.Id);
        if (!d)
            continue;
        HWND c = GetWindow(d, GW_CHILD);
        for (const Control &row : Controls) {
            if (row.Template != t.Id)
                continue;
            SCOPED_TRACE(std::string("control ") + std::to_string(row.Id) + " \"" + row.Text + "\"");
            ASSERT_TRUE(c != NULL) << "missing";
            EXPECT_EQ((WORD)row.Id, (WORD)GetDlgCtrlID(c));
            std::string cls = ClassOf(c);
            EXPECT_EQ(0, lstrcmpiW(WText(cls), WText(row.Class))) << cls;
            DWORD style = (DWORD)GetWindowLongW(c, GWL_STYLE), kind = KindMask(row.Class);
            EXPECT_EQ(row.Style & kind, style & kind) << std::hex << style;
            EXPECT_EQ(row.Style & ~kind, style & row.Style & ~kind) << std::hex << style;
            EXPECT_EQ(row.Text, TextOf(c));

            RECT want = Pixels(d, row.X, row.Y, row.W, row.H), got;
            GetWindowRect(c, &got);
            MapWindowPoints(NULL, d, (POINT *)&got, 2);
            EXPECT_EQ(want.left, got.left);
            EXPECT_EQ(want.top, got.top);
            EXPECT_EQ(want.right, got.right - got.left);
            if (cls == "ComboBox") {
                /* A combo box's template height is that of the box with its
                 * list open.  Windows reports it as the open height; Wine
                 * leaves out the closed box and a border or two. */
                RECT open = {};
                SendMessageW(c, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&open);
                int high = open.bottom - open.top, closed = got.bottom - got.top;
                EXPECT_TRUE(high == want.bottom || abs(high + closed - want.bottom) <= 2)
                    << "open height " << high << ", closed " << closed << ", want " << want.bottom;
            } else {
                EXPECT_EQ(want.bottom, got.bottom - got.top);
            }
            c = GetWindow(c, GW_HWNDNEXT);
        }
        EXPECT_TRUE(c == NULL) << "a control more than the table has: " << GetDlgCtrlID(c);

        if (getenv("KESTRUM_SHOTS")) {
            ShowWindow(d, SW_SHOW);
            /* Wine maps and paints the window only while messages flow */
            for (int i = 0; i < 10; i++) {
                RedrawWindow(d, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
                MSG m;
                while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE))
                    DispatchMessageW(&m);
                Sleep(30);
            }
            SaveWindowShot(d, ("template-" + std::to_string(t.Id)).c_str());
        }
        DestroyWindow(d);
    }
}

} // namespace
