#include "platform/AfxApp.h"

#include <cstdio>

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp)
{
    (void)nType, (void)nIDHelp;
    std::fprintf(stderr, "%s\n", lpszText != nullptr ? lpszText : "");
    std::fflush(stderr);
    return IDOK;
}
