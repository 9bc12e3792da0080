#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Procedures that both evaluators share. They work on views into a text so
// that splitting never copies; a view never reaches outside its text.
namespace ExpressionScan {

constexpr size_t npos = std::string_view::npos;

// Position of the first occurrence of a character, or npos.
size_t FindChar(std::string_view text, char ch);

// The group that the first "(" opens: it ends at the ")" that brings the
// depth back to 0. A text that ends first has no group.
struct Group {
    bool found = false;
    size_t open = 0;  // positions within the view searched
    size_t close = 0;
};

// Finds groups in views of one text. Short groups are found by scanning;
// the first long scan records the partner of every "(" of the whole text at
// once, so that deeply nested groups cost one pass instead of one per level.
class GroupFinder {
public:
    explicit GroupFinder(std::string_view whole);

    // Starts over on another text (the recorded partners are forgotten).
    void Reset(std::string_view text);

    // view must lie within the whole text.
    Group Find(std::string_view view);

private:
    void RecordPartners();

    std::string_view whole;
    std::vector<size_t> partners;  // per position of "(": its ")", or npos
    bool recorded = false;
};

// The text between the two parentheses of a group.
std::string_view Inner(std::string_view text, const Group& group);

// The current text of one evaluation step. It is a view into the text of
// the step that split it off until a group in it is replaced; from then on
// the step owns its text and changes it in place, so that a long text with
// many groups is not copied once per group.
class FrameText {
public:
    FrameText(std::string_view view, GroupFinder* finder);
    FrameText(const FrameText&) = delete;
    FrameText& operator=(const FrameText&) = delete;

    std::string_view View() const { return view; }
    GroupFinder* Finder() const { return finder; }
    Group FindGroup() const { return finder->Find(view); }

    // The text after pos becomes the whole text.
    void KeepAfter(size_t pos);

    // The group, parentheses included, is replaced.
    void ReplaceGroup(const Group& group, std::string_view replacement);

private:
    std::string_view view;
    GroupFinder* finder;  // of the text that view lies in
    std::string own;
    GroupFinder ownFinder;
    bool owned = false;
};

// A leaf read as atof reads it; a text without a number gives 0.
double ReadNumber(std::string_view text);
// Whether ReadNumber reads all of the text: a number, blanks around it aside.
bool IsWholeNumber(std::string_view text);

bool EqualsNoCase(std::string_view text, std::string_view keyword);

}  // namespace ExpressionScan
