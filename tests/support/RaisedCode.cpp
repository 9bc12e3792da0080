#include "tests/support/RaisedCode.h"

#include "common/QvException.h"

namespace krwtest {

int RaisedCode(const std::function<void()>& action, CString* text)
{
    try {
        action();
    } catch (CQVException* e) {
        const int code = e->m_nCode;
        if (text != nullptr)
            *text = e->GetText();
        e->Delete();
        return code;
    }
    return 0;
}

}  // namespace krwtest
