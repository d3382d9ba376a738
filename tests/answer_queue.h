/*
 * answer_queue.h: the message boxes of one command, answered in turn
 * (plug Answer into StubMessageHook); an unplanned question is
 * cancelled.
 */
#ifndef KESTRUM_TESTS_ANSWER_QUEUE_H
#define KESTRUM_TESTS_ANSWER_QUEUE_H

#include <windows.h>

#include <string>
#include <vector>

struct Asked {
    UINT flags;
    std::string text;
};
/* What was asked, in order, and the answers still to give. */
extern std::vector<Asked> Asks;
extern std::vector<int> Answers;

int Answer(UINT flags, const wchar_t *text);

#endif
