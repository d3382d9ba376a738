/*
 * answer_queue.cpp: message boxes answered in turn.
 */
#include "answer_queue.h"

#include "test_util.h"

std::vector<Asked> Asks;
std::vector<int> Answers;

int Answer(UINT flags, const wchar_t *text)
{
    Asks.push_back({ flags, U8(text) });
    if (Answers.empty())
        return IDCANCEL;
    int a = Answers.front();
    Answers.erase(Answers.begin());
    return a;
}
