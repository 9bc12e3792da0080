// Time of the expression evaluators on long and deeply nested texts, against
// a peer measured in the same run: one pass over the same text that counts its
// operators. A ratio that stays flat as the length grows says the evaluator is
// linear; the goal is well under a second for 10,000 groups or operators.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Afx.h"
#include "snmpfw/Expression.h"

namespace {

std::string Repeat(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

struct Sample {
    const char* name;
    std::string text;
    bool logic;
};

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double EvaluatorSeconds(const Sample& sample)
{
    CString text(sample.text.c_str());
    auto start = std::chrono::steady_clock::now();
    if (sample.logic)
        EvaluateLogic(text);
    else
        EvaluateArithmetic(text);
    return Since(start);
}

// The peer: copy the text and find every operator once, as any evaluator must.
double PeerSeconds(const Sample& sample, int& operators)
{
    auto start = std::chrono::steady_clock::now();
    CString text(sample.text.c_str());
    operators = 0;
    for (const char* at = text; *at; ++at)
        operators += std::strchr("()+-*/|&!=", *at) != nullptr;
    return Since(start);
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
    std::printf("%-42s %8s %10s %10s %8s\n", "text", "chars", "eval s", "peer s", "ratio");
    for (const Sample& sample : samples) {
        int operators = 0;
        double peer = PeerSeconds(sample, operators);
        double eval = EvaluatorSeconds(sample);
        std::printf("%-42s %8zu %10.4f %10.4f %8.1f\n", sample.name, sample.text.size(), eval, peer,
                    peer > 0 ? eval / peer : 0.0);
    }
    return 0;
}
