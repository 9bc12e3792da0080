#include "platform/AfxString.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/AfxCrt.h"

namespace {

const char* NonNull(const char* psz)
{
    return psz != nullptr ? psz : "";
}

bool IsSpace(char ch)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

// Clamps an index into [0, length] the way MFC does for out-of-range arguments.
size_t ClampIndex(long long index, size_t length)
{
    if (index < 0)
        return 0;
    return static_cast<size_t>(std::min<long long>(index, static_cast<long long>(length)));
}

}  // namespace

CString::CString(const char* psz) : m_str(NonNull(psz)) {}

CString::CString(const char* pch, int nLength)
{
    if (pch != nullptr && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(char ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString::CString(const std::string& s) : m_str(s) {}

CString& CString::operator=(const char* psz)
{
    m_str = NonNull(psz);
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

char CString::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetLength())
        return '\0';
    return m_str[static_cast<size_t>(nIndex)];
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= GetLength())
        return;
    m_str[static_cast<size_t>(nIndex)] = ch;
}

CString CString::Left(int nCount) const
{
    return CString(m_str.substr(0, ClampIndex(nCount, m_str.size())));
}

CString CString::Mid(int nFirst) const
{
    return CString(m_str.substr(ClampIndex(nFirst, m_str.size())));
}

CString CString::Mid(int nFirst, int nCount) const
{
    const size_t first = ClampIndex(nFirst, m_str.size());
    return CString(m_str.substr(first, ClampIndex(nCount, m_str.size() - first)));
}

CString CString::Right(int nCount) const
{
    const size_t count = ClampIndex(nCount, m_str.size());
    return CString(m_str.substr(m_str.size() - count));
}

CString CString::SpanIncluding(LPCTSTR pszCharSet) const
{
    return Left(static_cast<int>(std::strspn(m_str.c_str(), NonNull(pszCharSet))));
}

CString CString::SpanExcluding(LPCTSTR pszCharSet) const
{
    return Left(static_cast<int>(std::strcspn(m_str.c_str(), NonNull(pszCharSet))));
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    const size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCTSTR pszSub, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    const size_t pos = m_str.find(NonNull(pszSub), static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    const size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCTSTR pszCharSet) const
{
    const size_t pos = m_str.find_first_of(NonNull(pszCharSet));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void CString::Format(LPCTSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list retry;
    va_copy(retry, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof small, NonNull(pszFormat), args);
    va_end(args);
    if (needed < 0) {
        m_str.clear();
    } else if (static_cast<size_t>(needed) < sizeof small) {
        m_str.assign(small, static_cast<size_t>(needed));
    } else {
        // The arguments may point into this string, so format into a fresh buffer.
        std::string text(static_cast<size_t>(needed) + 1, '\0');
        std::vsnprintf(&text[0], text.size(), NonNull(pszFormat), retry);
        text.resize(static_cast<size_t>(needed));
        m_str.swap(text);
    }
    va_end(retry);
}

CString& CString::TrimLeft()
{
    m_str.erase(m_str.begin(), std::find_if_not(m_str.begin(), m_str.end(), IsSpace));
    return *this;
}

CString& CString::TrimLeft(char chTarget)
{
    m_str.erase(0, m_str.find_first_not_of(chTarget));
    return *this;
}

CString& CString::TrimLeft(LPCTSTR pszTargets)
{
    m_str.erase(0, m_str.find_first_not_of(NonNull(pszTargets)));
    return *this;
}

CString& CString::TrimRight()
{
    m_str.erase(std::find_if_not(m_str.rbegin(), m_str.rend(), IsSpace).base(), m_str.end());
    return *this;
}

CString& CString::TrimRight(char chTarget)
{
    const size_t last = m_str.find_last_not_of(chTarget);
    m_str.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimRight(LPCTSTR pszTargets)
{
    const size_t last = m_str.find_last_not_of(NonNull(pszTargets));
    m_str.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::MakeUpper()
{
    for (char& ch : m_str)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return *this;
}

CString& CString::MakeLower()
{
    for (char& ch : m_str)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

int CString::Replace(char chOld, char chNew)
{
    int count = 0;
    for (char& ch : m_str) {
        if (ch == chOld) {
            ch = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCTSTR pszOld, LPCTSTR pszNew)
{
    const std::string from = NonNull(pszOld);
    const std::string to = NonNull(pszNew);
    if (from.empty())
        return 0;
    int count = 0;
    std::string result;
    size_t start = 0;
    for (size_t pos = m_str.find(from); pos != std::string::npos; pos = m_str.find(from, start)) {
        result.append(m_str, start, pos - start).append(to);
        start = pos + from.size();
        ++count;
    }
    result.append(m_str, start, std::string::npos);
    m_str.swap(result);
    return count;
}

int CString::Remove(char ch)
{
    const size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int nIndex, char ch)
{
    m_str.insert(ClampIndex(nIndex, m_str.size()), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCTSTR psz)
{
    m_str.insert(ClampIndex(nIndex, m_str.size()), NonNull(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    const size_t first = ClampIndex(nIndex, m_str.size());
    m_str.erase(first, ClampIndex(nCount, m_str.size() - first));
    return GetLength();
}

int CString::Compare(LPCTSTR psz) const
{
    return std::strcmp(m_str.c_str(), NonNull(psz));
}

int CString::CompareNoCase(LPCTSTR psz) const
{
    return _stricmp(m_str.c_str(), NonNull(psz));
}

LPTSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinBufLength));
    return &m_str[0];
}

LPTSTR CString::GetBufferSetLength(int nNewLength)
{
    m_str.resize(static_cast<size_t>(std::max(nNewLength, 0)));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0) {
        m_str.resize(::strnlen(m_str.c_str(), m_str.size()));
    } else {
        m_str.resize(std::min(static_cast<size_t>(nNewLength), m_str.size()));
    }
}

CString& CString::operator+=(const CString& s)
{
    m_str += s.m_str;
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    m_str += NonNull(psz);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    return CString(a) += b;
}
CString operator+(const CString& a, const char* b)
{
    return CString(a) += b;
}
CString operator+(const char* a, const CString& b)
{
    return CString(a) += b;
}
CString operator+(const CString& a, char b)
{
    return CString(a) += b;
}
CString operator+(char a, const CString& b)
{
    return CString(a) += b;
}

bool operator==(const CString& a, const CString& b)
{
    return a.Compare(b) == 0;
}
bool operator==(const CString& a, const char* b)
{
    return a.Compare(b) == 0;
}
bool operator==(const char* a, const CString& b)
{
    return b.Compare(a) == 0;
}
bool operator!=(const CString& a, const CString& b)
{
    return a.Compare(b) != 0;
}
bool operator!=(const CString& a, const char* b)
{
    return a.Compare(b) != 0;
}
bool operator!=(const char* a, const CString& b)
{
    return b.Compare(a) != 0;
}
bool operator<(const CString& a, const CString& b)
{
    return a.Compare(b) < 0;
}
bool operator<(const CString& a, const char* b)
{
    return a.Compare(b) < 0;
}
bool operator<(const char* a, const CString& b)
{
    return b.Compare(a) > 0;
}
bool operator>(const CString& a, const CString& b)
{
    return a.Compare(b) > 0;
}
bool operator<=(const CString& a, const CString& b)
{
    return a.Compare(b) <= 0;
}
bool operator>=(const CString& a, const CString& b)
{
    return a.Compare(b) >= 0;
}
