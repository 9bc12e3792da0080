#include "platform/AfxApp.h"

#include <cstring>

namespace {

void WriteToStandardError(LPCTSTR text)
{
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(error, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    WriteFile(error, "\n", 1, &written, nullptr);
}

}  // namespace

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT /*nIDHelp*/)
{
    LPCTSTR text = lpszText != nullptr ? lpszText : "";
    WriteToStandardError(text);
    // Without a desktop (a service, or Wine without a display) there is no
    // box: the answer is then the one a box with a single button gives.
    const int answer = MessageBoxA(nullptr, text, AfxGetAppName(), nType);
    return answer > 0 ? answer : IDOK;
}
