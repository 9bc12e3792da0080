#include "snmpfw/OptionList.h"

#include "snmpfw/SnmpVarDef.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

COptionList::COptionList(const OptionPair* source, int kind, bool caseSensitive)
    : kind(kind), caseSensitive(caseSensitive), count(0), entries(nullptr)
{
    Append(source);
}

COptionList::COptionList(const OptionTextPair* source, int kind, bool caseSensitive)
    : kind(kind), caseSensitive(caseSensitive), count(0), entries(nullptr)
{
    Append(source);
}

COptionList::~COptionList()
{
    Clear();
}

bool COptionList::KeepsValues() const
{
    return kind == KIND_INTEGER || kind == KIND_STRING || kind == KIND_PREFIX;
}

bool COptionList::HoldsTextValues() const
{
    return kind == KIND_STRING || kind == KIND_PREFIX;
}

int COptionList::CountEntries(const OptionPair* source)
{
    int n = 0;
    while (source != nullptr && source[n].text != nullptr)
        ++n;
    return n;
}

int COptionList::CountEntries(const OptionTextPair* source)
{
    int n = 0;
    while (source != nullptr && source[n].text != nullptr)
        ++n;
    return n;
}

void COptionList::Grow(int added)
{
    OptionEntry** grown = new OptionEntry*[count + added];
    for (int i = 0; i < count; ++i)
        grown[i] = entries[i];
    delete[] entries;
    entries = grown;
}

// A source whose value type does not fit the kind is still taken in: its
// values are read or written as decimal text, so nothing is lost silently.
void COptionList::AddEntry(int number, const char* valueText, const char* text)
{
    OptionEntry* entry = new OptionEntry;
    if (HoldsTextValues()) {
        if (valueText != nullptr) {
            entry->value.text = _strdup(valueText);
        } else {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%d", number);
            entry->value.text = _strdup(digits);
        }
    } else {
        entry->value.number = valueText != nullptr ? AfxAtoi(valueText) : number;
    }
    entry->text = _strdup(text);
    entries[count++] = entry;
}

void COptionList::Append(const OptionPair* source)
{
    const int n = CountEntries(source);
    if (n == 0 || !KeepsValues())
        return;
    Grow(n);
    for (int i = 0; i < n; ++i)
        AddEntry(source[i].value, nullptr, source[i].text);
}

void COptionList::Append(const OptionTextPair* source)
{
    const int n = CountEntries(source);
    if (n == 0 || !KeepsValues())
        return;
    Grow(n);
    for (int i = 0; i < n; ++i)
        AddEntry(0, source[i].value != nullptr ? source[i].value : "", source[i].text);
}

void COptionList::Clear()
{
    for (int i = 0; i < count; ++i) {
        if (HoldsTextValues())
            free(entries[i]->value.text);
        free(entries[i]->text);
        delete entries[i];
    }
    delete[] entries;
    entries = nullptr;
    count = 0;
}

bool COptionList::SameText(const char* a, const char* b) const
{
    if (caseSensitive)
        return _mbscmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b)) == 0;
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b)) == 0;
}

bool COptionList::IsLeadingPart(const char* part, const char* whole) const
{
    const size_t n = std::strlen(part);
    if (n > std::strlen(whole))
        return false;
    if (caseSensitive)
        return std::memcmp(part, whole, n) == 0;
    return _memicmp(part, whole, n) == 0;
}

bool COptionList::TextMatches(const OptionEntry* entry, const CString& text) const
{
    if (kind == KIND_PREFIX)
        return IsLeadingPart(entry->text, text);
    return SameText(entry->text, text);
}

bool COptionList::ValueMatches(const OptionEntry* entry, const CString& value) const
{
    switch (kind) {
    case KIND_INTEGER:
        return std::strcmp(value, kNullValueText) != 0 && AfxAtoi(value) == entry->value.number;
    case KIND_STRING:
        return SameText(entry->value.text, value);
    case KIND_PREFIX:
        return IsLeadingPart(entry->value.text, value);
    default:
        return false;
    }
}

int COptionList::FindText(const CString& text) const
{
    for (int i = 0; i < count; ++i) {
        if (TextMatches(entries[i], text))
            return i;
    }
    return -1;
}

int COptionList::FindValue(const CString& value) const
{
    for (int i = 0; i < count; ++i) {
        if (ValueMatches(entries[i], value))
            return i;
    }
    return -1;
}

CString COptionList::ValueToText(const CString& value) const
{
    const int i = FindValue(value);
    if (i < 0)
        return value;
    const OptionEntry* entry = entries[i];
    if (kind != KIND_PREFIX)
        return CString(entry->text);
    return CString(entry->text) + value.Mid(static_cast<int>(std::strlen(entry->value.text)));
}

CString COptionList::TextToValue(const CString& text) const
{
    const int i = FindText(text);
    if (i < 0)
        return text;
    const OptionEntry* entry = entries[i];
    switch (kind) {
    case KIND_INTEGER: {
        CString number;
        number.Format("%d", entry->value.number);
        return number;
    }
    case KIND_STRING:
        return CString(entry->value.text);
    default:
        return CString(entry->value.text) + text.Mid(static_cast<int>(std::strlen(entry->text)));
    }
}
