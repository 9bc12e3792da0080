// Time of the expression evaluators on long and deeply nested texts. Prints
// one line per text; the goal is well under a second for each.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Afx.h"
#include "snmpfw/Expression.h"

namespace
{

std::string Repeat(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

struct Sample
{
    const char* name;
    std::string text;
    bool logic;
};

double Seconds(const Sample& sample)
{
    CString text(sample.text.c_str());
    auto start = std::chrono::steady_clock::now();
    if (sample.logic)
        EvaluateLogic(text);
    else
        EvaluateArithmetic(text);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::vector<Sample> samples = {
        {"arithmetic nested groups", Repeat("(", n) + "1+2" + Repeat(")", n), false},
        {"arithmetic nested groups with operators", Repeat("(1+", n) + "1" + Repeat(")", n), false},
        {"arithmetic sequential groups", "(1)" + Repeat("+(1)", n - 1), false},
        {"arithmetic additions", "1" + Repeat("+1", n), false},
        {"arithmetic subtractions", "1" + Repeat("-1", n), false},
        {"arithmetic products", "1" + Repeat("*1", n), false},
        {"logic nested groups", Repeat("(", n) + "a = a" + Repeat(")", n), true},
        {"logic nested groups with operators", Repeat("(a = b|", n) + "a = a" + Repeat(")", n), true},
        {"logic sequential groups", "(a = a)" + Repeat("&(a = a)", n - 1), true},
        {"logic alternatives", Repeat("a = b|", n) + "a = a", true},
        {"logic negations", Repeat("!", n) + "true", true},
    };
    for (const Sample& sample : samples)
        std::printf("%-42s %8zu chars %9.4f s\n", sample.name, sample.text.size(), Seconds(sample));
    return 0;
}
