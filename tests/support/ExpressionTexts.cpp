#include "tests/support/ExpressionTexts.h"

namespace krwtest {

std::string Repeat(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::string RandomText(std::mt19937& random, const std::vector<std::string>& pieces, int minCount, int maxCount)
{
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::string text;
    for (int i = std::uniform_int_distribution<int>(minCount, maxCount)(random); i > 0; --i)
        text += pieces[pick(random)];
    return text;
}

LiteralGroup FirstLiteralGroup(const std::string& text)
{
    LiteralGroup group{text.find('('), std::string::npos};
    if (group.open == std::string::npos)
        return group;
    int depth = 1;
    for (size_t i = group.open + 1; i < text.size() && group.close == std::string::npos; ++i) {
        if (text[i] == '(')
            ++depth;
        else if (text[i] == ')' && --depth == 0)
            group.close = i;
    }
    return group;
}

}  // namespace krwtest
