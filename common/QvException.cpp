#include "common/QvException.h"

#include "common/QvCatalog.h"

IMPLEMENT_DYNCREATE(CQVException, CException)

CQVException::CQVException() : m_nCode(0) {}

CQVException::CQVException(const CString& strText, int nCode) : m_strText(strText), m_nCode(nCode) {}

CQVException::~CQVException() = default;

CString CQVException::GetText() const
{
    return m_strText;
}

void ThrowQVException(int nCode)
{
    ThrowQVException(nCode, CString(QvErrorText(nCode)));
}

void ThrowQVException(int nCode, const CString& strText)
{
    throw new CQVException(strText, nCode);
}
