#pragma once

#include "platform/Afx.h"

#include <cstddef>
#include <random>
#include <string>
#include <thread>
#include <vector>

// Texts for the tests of the two expression evaluators, and the pieces their
// literal transcriptions of the evaluation rules have in common.
namespace krwtest {

std::string Repeat(const std::string& piece, int count);

// minCount to maxCount pieces, each picked at random.
std::string RandomText(std::mt19937& random, const std::vector<std::string>& pieces, int minCount, int maxCount);

// The group the literal rules resolve first: the first "(" and the ")" that
// brings the depth back to 0. close is npos when there is no such group.
struct LiteralGroup {
    size_t open;
    size_t close;
};
LiteralGroup FirstLiteralGroup(const std::string& text);

// Evaluates on a thread of its own, which has only the default stack size:
// a deep or long text must not need more than that.
template <typename Result>
Result EvaluateOnThread(Result (*evaluate)(const CString&), const std::string& text)
{
    Result result{};
    std::thread worker([&] { result = evaluate(text.c_str()); });
    worker.join();
    return result;
}

}  // namespace krwtest
