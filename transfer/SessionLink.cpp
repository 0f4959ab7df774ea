#include "transfer/SessionLink.h"

#include "transfer/AppLink.h"
#include "twain/CapTable.h"
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

TW_UINT16 SessionFileFormat() { return TheCapabilityTable().CurrentU16(ICAP_IMAGEFILEFORMAT); }

bool SessionNoUI() { return g_bNoUI != FALSE; }

namespace {

// Transfer triplets the application is inside now (a callback may nest one in another triplet).
int g_nTransferTriplets = 0;
// A transfer began and the application has not ended the transfers yet.
bool g_bTransfersOpen = false;

bool IsTransferTriplet(TW_UINT16 DAT)
{
    return DAT == DAT_IMAGENATIVEXFER || DAT == DAT_IMAGEFILEXFER || DAT == DAT_IMAGEMEMXFER;
}

bool EndsTransfers(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (DAT == DAT_PENDINGXFERS && (MSG == MSG_ENDXFER || MSG == MSG_RESET) && pData)
        return static_cast<const TW_PENDINGXFERS*>(pData)->Count == 0;
    return SessionState() <= 500;
}

}  // namespace

void SessionTripletBegins(TW_UINT16 DAT)
{
    if (!IsTransferTriplet(DAT))
        return;
    ++g_nTransferTriplets;
    g_bTransfersOpen = true;
}

void SessionTripletEnds(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData)
{
    if (IsTransferTriplet(DAT)) {
        --g_nTransferTriplets;
        return;
    }
    if ((DAT == DAT_USERINTERFACE && MSG == MSG_DISABLEDS) || (DAT == DAT_IDENTITY && MSG == MSG_CLOSEDS)) {
        g_bTransfersOpen = false;
        DropHeldNotifications();
        return;
    }
    if (g_bTransfersOpen && EndsTransfers(DAT, MSG, pData))
        g_bTransfersOpen = false;
    if (g_nTransferTriplets == 0)
        SendHeldNotifications();
}

bool SessionHoldsNotification(TW_UINT16 wMsg)
{
    return g_nTransferTriplets > 0 || (wMsg != MSG_XFERREADY && g_bTransfersOpen);
}
