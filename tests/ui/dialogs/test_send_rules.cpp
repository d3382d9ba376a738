/*
 * The send-script dialog's decisions: which sessions a target reaches,
 * the delay field, what the pop-up inserts, and how a script file's
 * bytes are read.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "sessions/key_script.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/send_rules.h"
#include "test_util.h"

namespace {

/* Open sessions 1 (running), 2 (ended), 3 (running), 5 (running). */
const SendCandidate Open[] = { { 1, true }, { 2, false }, { 3, true }, { 5, true } };
const int OpenCount = 4;

std::vector<int> Targets(int target, int activeId, std::vector<int> selected = {})
{
    int out[OpenCount];
    int n = SendTargetIds(target, Open, OpenCount, activeId, selected.data(), (int)selected.size(), out);
    return std::vector<int>(out, out + n);
}

/* The events a script parses to, as "c13 k38 w500" words. */
std::string Events(const wchar_t *script)
{
    KeyQueue q = {};
    ParseScript(&q, script, nullptr);
    std::string out;
    for (int i = 0; i < q.Count; i++)
        out += (i ? " " : "") + std::string(1, "ckw"[q.Events[i].Kind]) + std::to_string(q.Events[i].Value);
    MemFree(q.Events);
    return out;
}

struct Decoded {
    std::string text;   /* UTF-8 of the result, "<null>" for none */
    int kind;
};

Decoded Decode(const std::string &bytes)
{
    Decoded d = { "", -1 };
    wchar_t *text = DecodeScriptFile(bytes.data(), (int)bytes.size(), &d.kind);
    d.text = U8(text);
    MemFree(text);
    return d;
}

bool Strict(const std::string &bytes)
{
    return Utf8WellFormed(bytes.data(), (int)bytes.size());
}

} // namespace

TEST(SendRules, TargetsAreRunningSessionsInListOrder)
{
    EXPECT_EQ(Targets(SEND_TARGET_ALL, 3), (std::vector<int>{ 1, 3, 5 }));
    EXPECT_EQ(Targets(SEND_TARGET_ACTIVE, 3), (std::vector<int>{ 3 }));
    /* an ended active session, or none at all: nobody */
    EXPECT_TRUE(Targets(SEND_TARGET_ACTIVE, 2).empty());
    EXPECT_TRUE(Targets(SEND_TARGET_ACTIVE, 0).empty());
    /* selection order does not matter; ended and gone ids are skipped */
    EXPECT_EQ(Targets(SEND_TARGET_SELECTED, 1, { 5, 2, 9, 1 }), (std::vector<int>{ 1, 5 }));
    EXPECT_TRUE(Targets(SEND_TARGET_SELECTED, 1).empty());
    EXPECT_TRUE(Targets(SEND_TARGET_SELECTED, 1, { 2, 4 }).empty());
    /* the active session plays no part in the other targets */
    EXPECT_EQ(Targets(SEND_TARGET_SELECTED, 3, { 5 }), (std::vector<int>{ 5 }));

    int out[1];
    EXPECT_EQ(SendTargetIds(SEND_TARGET_ALL, nullptr, 0, 0, nullptr, 0, out), 0);
}

TEST(SendRules, RememberedTargetAndDelayField)
{
    EXPECT_EQ(ClampSendTarget(-1), SEND_TARGET_ACTIVE);
    EXPECT_EQ(ClampSendTarget(0), SEND_TARGET_ACTIVE);
    EXPECT_EQ(ClampSendTarget(1), SEND_TARGET_ALL);
    EXPECT_EQ(ClampSendTarget(2), SEND_TARGET_SELECTED);
    EXPECT_EQ(ClampSendTarget(7), SEND_TARGET_SELECTED);
    EXPECT_EQ(ClampSendTarget(-2147483647 - 1), SEND_TARGET_ACTIVE);

    EXPECT_EQ(SendDelayFromText(L"250"), 250);
    EXPECT_EQ(SendDelayFromText(L"  250"), 250);
    EXPECT_EQ(SendDelayFromText(L"12ab"), 12);
    /* empty or letters pasted in: no line delay, and never a negative one */
    EXPECT_EQ(SendDelayFromText(L""), 0);
    EXPECT_EQ(SendDelayFromText(nullptr), 0);
    EXPECT_EQ(SendDelayFromText(L"abc"), 0);
    EXPECT_EQ(SendDelayFromText(L"-5"), 0);
}

TEST(SendRules, PopupEntriesInsertWhatTheyName)
{
    wchar_t text[SEND_INSERT_MAX];
    ASSERT_TRUE(SpecialKeyInsertText(CMD_SPECIAL_KEY_FIRST + 11, text));
    EXPECT_EQ(U8(text), "{PGUP}");
    ASSERT_TRUE(SpecialKeyInsertText(CMD_SPECIAL_KEY_FIRST + 15, text));
    EXPECT_EQ(U8(text), "{CTRL+C}");

    /* every row, once inserted, types exactly that row's key */
    for (int row = 0; row < SPECIAL_KEY_COUNT; row++) {
        ASSERT_TRUE(SpecialKeyInsertText(CMD_SPECIAL_KEY_FIRST + row, text)) << row;
        const SpecialKeyRow &r = SpecialKeyTable[row];
        std::string expect = r.Char ? "c" + std::to_string(r.Char) : "k" + std::to_string(r.VirtualKey);
        EXPECT_EQ(Events(text), expect) << U8(text);
    }

    ASSERT_TRUE(SpecialKeyInsertText(SEND_MENU_WAIT, text));
    EXPECT_EQ(U8(text), "{WAIT 500}");
    EXPECT_EQ(Events(text), "w500");
    ASSERT_TRUE(SpecialKeyInsertText(SEND_MENU_PASSWORD, text));
    EXPECT_EQ(U8(text), "{PASSWORD}");
    ASSERT_TRUE(SpecialKeyInsertText(SEND_MENU_USER, text));
    EXPECT_EQ(U8(text), "{USER}");

    /* nothing chosen, or ids that are not entries */
    for (int id : { 0, 999, 1003, CMD_SPECIAL_KEY_FIRST - 1, CMD_SPECIAL_KEY_FIRST + SPECIAL_KEY_COUNT,
                    (int)CMD_SEND_SCRIPT }) {
        EXPECT_FALSE(SpecialKeyInsertText(id, text)) << id;
        EXPECT_EQ(text[0], 0);
    }
}

TEST(SendRules, StrictUtf8)
{
    EXPECT_TRUE(Strict(""));
    EXPECT_TRUE(Strict("ls -l\r\n"));
    EXPECT_TRUE(Strict("\xED\x95\x9C\xEA\xB8\x80"));        /* 한글 */
    EXPECT_TRUE(Strict("\xC2\x80\xDF\xBF"));                /* 2-byte bounds */
    EXPECT_TRUE(Strict("\xE0\xA0\x80\xEF\xBF\xBF"));        /* 3-byte bounds */
    EXPECT_TRUE(Strict("\xED\x9F\xBF\xEE\x80\x80"));        /* around the surrogates */
    EXPECT_TRUE(Strict("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF")); /* 4-byte bounds */
    EXPECT_TRUE(Strict("\xEF\xBB\xBFx"));                   /* a byte-order mark */

    EXPECT_FALSE(Strict("\xC0\x80"));                       /* overlong */
    EXPECT_FALSE(Strict("\xC1\xBF"));
    EXPECT_FALSE(Strict("\xE0\x9F\xBF"));
    EXPECT_FALSE(Strict("\xF0\x8F\xBF\xBF"));
    EXPECT_FALSE(Strict("\xED\xA0\x80"));                   /* a surrogate */
    EXPECT_FALSE(Strict("\xF4\x90\x80\x80"));               /* above U+10FFFF */
    EXPECT_FALSE(Strict("\xF5\x80\x80\x80"));
    EXPECT_FALSE(Strict("\x80"));                           /* stray continuation */
    EXPECT_FALSE(Strict("ab\xE3\x81"));                     /* cut at the end */
    EXPECT_FALSE(Strict("\xE3\x81x"));                      /* cut in the middle */
    EXPECT_FALSE(Strict("\xFF\xFE"));
    EXPECT_FALSE(Strict("caf\xE9"));                        /* Latin-1 */
    EXPECT_FALSE(Strict("\xB0\xA1\xB3\xAA"));               /* 가나 in code page 949 */
}

TEST(SendRules, ScriptFileEncodings)
{
    Decoded d = Decode("sudo -i\r\n\xED\x95\x9C{ENTER}");
    EXPECT_EQ(d.kind, SCRIPT_FILE_UTF8);
    EXPECT_EQ(d.text, "sudo -i\r\n한{ENTER}");
    d = Decode("\xEF\xBB\xBF\xED\x95\x9C");
    EXPECT_EQ(d.kind, SCRIPT_FILE_UTF8);
    EXPECT_EQ(d.text, "한");
    d = Decode("\xEF\xBB\xBF");
    EXPECT_EQ(d.kind, SCRIPT_FILE_UTF8);
    EXPECT_EQ(d.text, "");
    d = Decode("");
    EXPECT_EQ(d.kind, SCRIPT_FILE_UTF8);
    EXPECT_EQ(d.text, "");

    /* not UTF-8: the ANSI code page (Latin-1 in the native build) */
    d = Decode("caf\xE9\r\n");
    EXPECT_EQ(d.kind, SCRIPT_FILE_ANSI);
    EXPECT_EQ(d.text, "café\r\n");
    /* one bad sequence is enough, however much valid UTF-8 surrounds it */
    d = Decode("\xED\x95\x9C\xC0\x80");
    EXPECT_EQ(d.kind, SCRIPT_FILE_ANSI);

    /* UTF-16 with its mark, as Notepad's "Unicode" writes it */
    d = Decode(std::string("\xFF\xFE" "l\0s\0\n\0\x5C\xD5", 10));
    EXPECT_EQ(d.kind, SCRIPT_FILE_UTF16);
    EXPECT_EQ(d.text, "ls\r\n한");
    d = Decode(std::string("\xFE\xFF\xD5\x5C\0!", 6));
    EXPECT_EQ(d.kind, SCRIPT_FILE_UTF16);
    EXPECT_EQ(d.text, "한!");
    d = Decode(std::string("\xFF\xFE" "a\0b", 5));
    EXPECT_EQ(d.text, "a\xEF\xBF\xBD");             /* the odd byte shows */
}

TEST(SendRules, ScriptFileWithZeroIsRefused)
{
    /* the edit would end the text at the zero and a save would lose the
     * rest: such a file is not loaded at all */
    for (const std::string &bytes : { std::string("ls\0rm -rf /", 11), std::string("\0", 1),
                                      std::string("caf\xE9\0", 5), std::string("\xFF\xFE" "a\0\0\0b\0", 8) }) {
        Decoded d = Decode(bytes);
        EXPECT_EQ(d.kind, SCRIPT_FILE_BINARY);
        EXPECT_EQ(d.text, "<null>");
    }
    /* without the optional kind */
    EXPECT_EQ(DecodeScriptFile("a\0b", 3, nullptr), nullptr);
}

TEST(SendRules, LineEndsBecomeCrLfAndTypeTheSame)
{
    const char *script = "a\nb\rc\r\nd\n\r\n\re";
    Decoded d = Decode(script);
    EXPECT_EQ(d.text, "a\r\nb\r\nc\r\nd\r\n\r\n\r\ne");
    EXPECT_EQ(Events(WText(d.text)), Events(WText(script)));
    /* CR LF text comes back byte for byte, so a load and save keeps it */
    EXPECT_EQ(Decode("x\r\n\r\ny\r\n").text, "x\r\n\r\ny\r\n");
    EXPECT_EQ(Decode("\n").text, "\r\n");
    EXPECT_EQ(Decode("\r").text, "\r\n");
}
