/*
 * Kestrum.exe exporting its tree and importing it back beside the tree,
 * through the real file choosers and message boxes, passwords and colour
 * labels included; the result is read from the configuration file on
 * disk.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/commands/command_ids.h"
#include "program_util.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

/* The file name box of the common file dialog: the combo box cmb13 of
 * the Explorer-style dialog, or the edit edt1 of the older one. */
enum { FILE_NAME_COMBO = 0x47C, FILE_NAME_EDIT = 0x480, KPATH_CHARS = 260 };

const char WwwUid[] = "{11111111-2222-3333-4444-555555555555}";
const char DbUid[] = "{66666666-7777-8888-9999-000000000000}";

/* The text of a control of another process: GetWindowTextW would give
 * only the caption the system keeps, not what a combo box shows. */
std::string ControlText(HWND w)
{
    wchar_t text[KPATH_CHARS] = {};
    SendMessageW(w, WM_GETTEXT, KPATH_CHARS, (LPARAM)text);
    return U8(text);
}

size_t Count(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

struct TreeExchangeProgram : ::testing::Test {
    TempDir dir;
    KestrumProcess k;

    void SetUp() override
    {
        std::string config =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings><PuttyPath>" +
            ProgramDir() + "\\putty_double.exe</PuttyPath></Settings><Servers>"
            "<Node Type=\"0\" Expanded=\"1\" Color=\"2\"><DisplayName>web</DisplayName>"
            "<Node Type=\"1\" Color=\"5\"><DisplayName>www</DisplayName><UID>" + WwwUid + "</UID>"
            "<ServerName>10.0.0.1</ServerName><Password enc=\"plain\">pw&amp;1</Password></Node></Node>"
            "<Node Type=\"1\"><DisplayName>db</DisplayName><UID>" + DbUid + "</UID>"
            "<ServerName>10.0.0.2</ServerName></Node></Servers></Kestrum>\r\n";
        ASSERT_TRUE(WriteBytes(WText(dir.path + "\\kestrum.xml"), config));
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
        SetForegroundWindow(k.Main);
    }
    void TearDown() override
    {
        if (!k.Main || !IsWindow(k.Main))
            return;
        PostMessageW(k.Main, WM_CLOSE, 0, 0);
        k.WaitExit();
    }
    std::string File() { return ReadBytes(WText(dir.path + "\\kestrum.xml")); }

    /* Waits for Kestrum's file chooser to offer the name expected, types
     * path into it and presses OK.  The name it offered goes to *offered. */
    bool ChooseInDialog(const std::string &path, const std::string &expected, std::string *offered,
                        const char *shot)
    {
        HWND box = NULL, name = NULL;
        if (!WaitFor([&] {
                for (HWND w : TopWindows(k.Info.dwProcessId, L"#32770")) {
                    HWND n = GetDlgItem(w, FILE_NAME_COMBO);
                    if (!n)
                        n = GetDlgItem(w, FILE_NAME_EDIT);
                    if (n && IsWindowVisible(w)) {
                        box = w;
                        name = n;
                        return true;
                    }
                }
                return false;
            }))
            return false;
        /* the dialog fills its boxes after it shows */
        Sleep(300);
        WaitFor([&] { return ControlText(name) == expected; }, 3000);
        *offered = ControlText(name);
        if (shot)
            SaveWindowShot(box, shot);
        SendMessageW(name, WM_SETTEXT, 0, (LPARAM)(const wchar_t *)WText(path));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return WaitFor([&] { return !IsWindow(box); }, 5000);
    }
    /* Answers the message box once its text is there. */
    std::string Answer(int button, const char *shot)
    {
        WaitFor([&] {
            for (HWND w : TopWindows(k.Info.dwProcessId, L"#32770")) {
                wchar_t text[8] = {};
                if (IsWindowVisible(w) && GetDlgItemTextW(w, 0xFFFF, text, 8) > 0)
                    return true;
            }
            return false;
        });
        return k.Answer(button, shot);
    }
    /* The saved tree, one "depth name" per node. */
    std::string SavedTree() { return SavedTreeOf(File()); }
};

} // namespace

TEST_F(TreeExchangeProgram, ExportThenImportBesideTheTree)
{
    std::string exported = dir.path + "\\moved.xml";
    std::string offered;

    PostMessageW(k.Main, WM_COMMAND, CMD_EXPORT_TREE, 0);
    ASSERT_TRUE(ChooseInDialog(exported, "kestrum-tree.xml", &offered, "tree-export-chooser")) << k.Describe();
    EXPECT_EQ(offered, "kestrum-tree.xml");
    EXPECT_EQ(Answer(IDYES, "tree-export-question"),
              "비밀번호도 내보낼까요?\n\n예: 평문으로 포함 (파일 관리에 주의)\n아니요: 비밀번호 제외");
    ASSERT_TRUE(WaitFor([&] { return PathExists(WText(exported)); }, 5000));
    std::string file = ReadBytes(WText(exported));
    EXPECT_EQ(file.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<KestrumTree version=\"1\">\r\n\t<Servers>\r\n"),
              0u);
    EXPECT_EQ(Count(file, "<Password enc=\"plain\">pw&amp;1</Password>"), 1u);
    EXPECT_EQ(Count(file, WwwUid), 1u);
    EXPECT_EQ(Count(file, "<Node Type=\"0\" Expanded=\"1\" Color=\"2\">"), 1u);
    EXPECT_EQ(Count(file, "<Node Type=\"1\" Color=\"5\">"), 1u);

    PostMessageW(k.Main, WM_COMMAND, CMD_IMPORT_TREE, 0);
    ASSERT_TRUE(ChooseInDialog(exported, "", &offered, "tree-import-chooser")) << k.Describe();
    EXPECT_EQ(offered, "");
    EXPECT_EQ(Answer(IDNO, "tree-import-question"),
              "현재 서버 트리를 바꿀까요?\n\n예: 바꾸기\n아니요: '가져온 서버' 폴더로 추가");

    /* the tree again under "가져온 서버", with the same UIDs */
    EXPECT_TRUE(WaitFor([&] { return SavedTree() == "0web 1www 0db 0가져온 서버 1web 2www 1db "; }, 15000))
        << SavedTree();
    std::string saved = File();
    EXPECT_EQ(Count(saved, std::string("<UID>") + WwwUid + "</UID>"), 2u);
    EXPECT_EQ(Count(saved, std::string("<UID>") + DbUid + "</UID>"), 2u);
    EXPECT_EQ(Count(saved, "<Password enc=\"dpapi\">"), 2u);
    EXPECT_EQ(Count(saved, "pw&amp;1"), 0u);
    /* colour labels came along */
    EXPECT_EQ(Count(saved, "Color=\"2\""), 2u);
    EXPECT_EQ(Count(saved, "<Node Type=\"1\" Color=\"5\">"), 2u);
    EXPECT_TRUE(TopWindows(k.Info.dwProcessId, L"#32770").empty());    /* nothing more to answer */
    SaveWindowShot(k.Main, "tree-import-program");
}
