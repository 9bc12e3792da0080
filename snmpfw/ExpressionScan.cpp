#include "snmpfw/ExpressionScan.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace ExpressionScan {

size_t FindChar(std::string_view text, char ch)
{
    if (text.empty())
        return npos;
    const void* hit = std::memchr(text.data(), ch, text.size());
    return hit == nullptr ? npos : static_cast<const char*>(hit) - text.data();
}

namespace {

// A group shorter than this is found by scanning it.
constexpr size_t kScanLimit = 256;

}  // namespace

GroupFinder::GroupFinder(std::string_view text) : whole(text) {}

void GroupFinder::Reset(std::string_view text)
{
    whole = text;
    recorded = false;
}

Group GroupFinder::Find(std::string_view view)
{
    Group group;
    size_t open = FindChar(view, '(');
    if (open == npos)
        return group;
    size_t close = npos;
    size_t depth = 1;
    size_t end = view.size();
    size_t i = open + 1;
    for (; i < end && i - open < kScanLimit; ++i) {
        if (view[i] == '(')
            ++depth;
        else if (view[i] == ')' && --depth == 0) {
            close = i;
            break;
        }
    }
    if (close == npos && i < end) {
        // The depth from a "(" first returns to 0 at the same place whether
        // counted within the view or within the whole text; the group only
        // exists when that place lies inside the view.
        RecordPartners();
        size_t base = static_cast<size_t>(view.data() - whole.data());
        size_t partner = partners[base + open];
        if (partner != npos && partner - base < end)
            close = partner - base;
    }
    if (close != npos) {
        group.found = true;
        group.open = open;
        group.close = close;
    }
    return group;
}

void GroupFinder::RecordPartners()
{
    if (recorded)
        return;
    recorded = true;
    partners.assign(whole.size(), npos);
    std::vector<size_t> opens;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (whole[i] == '(')
            opens.push_back(i);
        else if (whole[i] == ')' && !opens.empty()) {
            partners[opens.back()] = i;
            opens.pop_back();
        }
    }
}

std::string_view Inner(std::string_view text, const Group& group)
{
    return text.substr(group.open + 1, group.close - group.open - 1);
}

FrameText::FrameText(std::string_view v, GroupFinder* f) : view(v), finder(f), ownFinder(std::string_view()) {}

void FrameText::KeepAfter(size_t pos)
{
    view = view.substr(pos + 1);
}

void FrameText::ReplaceGroup(const Group& group, std::string_view replacement)
{
    size_t length = group.close - group.open + 1;
    if (owned) {
        // The view may be a tail of the owned text: make the two equal first.
        own.erase(0, static_cast<size_t>(view.data() - own.data()));
        own.resize(view.size());
        own.replace(group.open, length, replacement);
    } else {
        own.reserve(view.size() - length + replacement.size());
        own.append(view.substr(0, group.open));
        own.append(replacement);
        own.append(view.substr(group.close + 1));
        owned = true;
    }
    view = own;
    ownFinder.Reset(own);
    finder = &ownFinder;
}

double ReadNumber(std::string_view text)
{
    // atof needs the terminator right after the view: a view such as "1e"
    // taken from "1e+5" must not read on into the rest of the text.
    std::string leaf(text);
    return std::atof(leaf.c_str());
}

bool IsWholeNumber(std::string_view text)
{
    const std::string leaf(text);
    char* end = nullptr;
    std::strtod(leaf.c_str(), &end);
    if (end == leaf.c_str())
        return false;
    while (std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    return *end == '\0';
}

bool EqualsNoCase(std::string_view text, std::string_view keyword)
{
    if (text.size() != keyword.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(text[i]);
        unsigned char b = static_cast<unsigned char>(keyword[i]);
        if (std::tolower(a) != std::tolower(b))
            return false;
    }
    return true;
}

}  // namespace ExpressionScan
