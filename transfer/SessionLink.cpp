#include "transfer/SessionLink.h"

#include "transfer/AppLink.h"
#include "twain/DsAssistor.h"
#include "twain/FakeUI.h"

TW_UINT16 SessionState() { return g_pDsAssistor ? g_pDsAssistor->GetState() : 300; }

void SetSessionState(TW_UINT16 wState)
{
    if (g_pDsAssistor)
        g_pDsAssistor->SetState(wState);
}

void SetSessionCondition(TW_UINT16 wCode)
{
    if (g_pDsAssistor)
        g_pDsAssistor->SetConditionCode(wCode);
}

HWND SessionDialogWindow()
{
    if (!g_pDsAssistor || !g_pDsAssistor->FakeUI())
        return nullptr;
    return g_pDsAssistor->FakeUI()->DialogWindow();
}

void EnableSessionDialog()
{
    if (HWND hWnd = SessionDialogWindow())
        ::EnableWindow(hWnd, TRUE);
}

void SessionXferReady()
{
    if (!g_pDsAssistor)
        return;
    g_pDsAssistor->SetState(600);
    NotifyXferReady(g_pDsAssistor->DsIdentity(), g_pDsAssistor->AppIdentity());
}

void SessionCloseRequest()
{
    if (!g_pDsAssistor)
        return;
    NotifyCloseDsRequest(g_pDsAssistor->DsIdentity(), g_pDsAssistor->AppIdentity(), g_bNoUI != FALSE);
}

void SessionCloseDsOk()
{
    if (g_pDsAssistor)
        NotifyMergeScanErrorEnd(g_pDsAssistor->DsIdentity(), g_pDsAssistor->AppIdentity());
}

void PlaceSessionDialog()
{
    HWND hWnd = SessionDialogWindow();
    if (hWnd && (g_appFlags.bPhotoshopNotCS4 || g_appFlags.bClientWindow))
        ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::wstring SessionXferFileName() { return g_pDsAssistor ? g_pDsAssistor->XferFileName() : std::wstring(); }

bool SessionNoUI() { return g_bNoUI != FALSE; }
