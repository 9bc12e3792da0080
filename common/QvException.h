#pragma once

#include "platform/Afx.h"

// The one exception type of the framework. Raisers create it with new and
// throw the pointer; the catcher reads the text and always calls Delete.
class CQVException : public CException {
    DECLARE_DYNCREATE(CQVException)

public:
    // Used by dynamic creation only: empty text, code left at 0.
    CQVException();
    CQVException(const CString& strText, int nCode);
    ~CQVException() override;

    // An independent copy: it stays valid after the exception is deleted.
    CString GetText() const;

    CString m_strText;
    int m_nCode;
};

// Raises the code with its catalogue text (a code without an entry carries
// the "unknown error code" text).
[[noreturn]] void ThrowQVException(int nCode);

// Raises a code and text that came from TranslateSnmpStatus.
[[noreturn]] void ThrowQVException(int nCode, const CString& strText);
