#include "platform/AfxCollections.h"

CMapStringToString::CMapStringToString(int nBlockSize)
{
    (void)nBlockSize;
}

CMapStringToString::~CMapStringToString() = default;

BOOL CMapStringToString::Lookup(LPCTSTR key, CString& rValue) const
{
    const auto it = m_map.find(CString(key));
    if (it == m_map.end())
        return FALSE;
    rValue = it->second.value;
    return TRUE;
}

BOOL CMapStringToString::LookupKey(LPCTSTR key, LPCTSTR& rKey) const
{
    const auto it = m_map.find(CString(key));
    if (it == m_map.end())
        return FALSE;
    rKey = it->first;
    return TRUE;
}

CString& CMapStringToString::operator[](LPCTSTR key)
{
    auto inserted = m_map.try_emplace(CString(key));
    Assoc& assoc = inserted.first->second;
    assoc.key = &inserted.first->first;
    return assoc.value;
}

void CMapStringToString::SetAt(LPCTSTR key, LPCTSTR newValue)
{
    (*this)[key] = newValue;
}

BOOL CMapStringToString::RemoveKey(LPCTSTR key)
{
    return m_map.erase(CString(key)) != 0;
}

void CMapStringToString::RemoveAll()
{
    m_map.clear();
}

POSITION CMapStringToString::GetStartPosition() const
{
    if (m_map.empty())
        return nullptr;
    return const_cast<Assoc*>(&m_map.begin()->second);
}

void CMapStringToString::GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const
{
    const Assoc* assoc = static_cast<const Assoc*>(rNextPosition);
    auto it = m_map.find(*assoc->key);
    rKey = it->first;
    rValue = it->second.value;
    ++it;
    rNextPosition = it == m_map.end() ? nullptr : const_cast<Assoc*>(&it->second);
}
