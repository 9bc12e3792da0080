#pragma once

#include "platform/Afx.h"

// Source pairs of an option list. A source array ends with a pair whose text
// is null (its value is ignored).
struct OptionPair  // integer values (kind 1)
{
    int value;
    const char* text;
};

struct OptionTextPair  // text values (kinds 2 and 3)
{
    const char* value;
    const char* text;
};

// One entry of an option list. Which member of value is live follows the
// list's kind: the number for kind 1, an owned text copy for kinds 2 and 3.
struct OptionEntry {
    union {
        int number;
        char* text;
    } value;
    char* text;
};

// Two-way mapping between the raw values an agent knows and the texts users
// see. Unmatched input always passes through unchanged.
class COptionList {
public:
    enum {
        KIND_INTEGER = 1,  // values are integers
        KIND_STRING = 2,   // values are texts
        KIND_PREFIX = 3    // both sides are leading parts of a text
    };

    COptionList(const OptionPair* source, int kind, bool caseSensitive);
    COptionList(const OptionTextPair* source, int kind, bool caseSensitive);
    ~COptionList();

    COptionList(const COptionList&) = delete;
    COptionList& operator=(const COptionList&) = delete;

    void Append(const OptionPair* source);
    void Append(const OptionTextPair* source);
    void Clear();

    static int CountEntries(const OptionPair* source);
    static int CountEntries(const OptionTextPair* source);

    int FindText(const CString& text) const;
    int FindValue(const CString& value) const;
    CString ValueToText(const CString& value) const;
    CString TextToValue(const CString& text) const;

    int kind;
    bool caseSensitive;
    int count;
    OptionEntry** entries;

private:
    bool KeepsValues() const;
    bool HoldsTextValues() const;
    void Grow(int added);
    void AddEntry(int number, const char* valueText, const char* text);
    bool SameText(const char* a, const char* b) const;
    bool IsLeadingPart(const char* part, const char* whole) const;
    bool TextMatches(const OptionEntry* entry, const CString& text) const;
    bool ValueMatches(const OptionEntry* entry, const CString& value) const;
};
