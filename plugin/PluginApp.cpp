#include "plugin/PluginApp.h"

#include "common/QvException.h"
#include "plugin/ClientWalks.h"
#include "plugin/PendingClients.h"
#include "plugin/PluginState.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/SnmpSession.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CPluginApp, CWinApp)
END_MESSAGE_MAP()

CPluginApp::CPluginApp() : CWinApp(nullptr) {}

BOOL CPluginApp::InitInstance()
{
    char directory[256];
    std::memset(directory, 0, sizeof directory);
    ::GetTempPathA(sizeof directory, directory);
    try {
        CSnmpSession::Start(CString(directory), CString(""));
    } catch (CQVException* e) {
        AfxMessageBox(e->GetText(), MB_OK, 0);
        e->Delete();
        return FALSE;
    }
    SharedRequest = new CSnmpRequest;
    return CWinApp::InitInstance();
}

int CPluginApp::ExitInstance()
{
    if (SharedRequest != nullptr) {
        delete SharedRequest;
        SharedRequest = nullptr;
    }
    CSnmpSession::Stop();
    // Walks abandoned along the way leave their clients here, and walks whose
    // requests outlasted the wait their records; nothing else would free them.
    FreeAllPendingClients();
    RemoveAllClientWalks();
    return CWinApp::ExitInstance();
}

CPluginApp theApp;
