// The application's own moves through the states, between the storm's random triplets.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "twain/TripletStorm.h"

namespace mvltest {

void CStorm::Pump()
{
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool CStorm::OpenDS()
{
    if (m_nState != 3)
        return false;
    TW_IDENTITY* pOrigin = &m_apps[m_nLastApp];
    TW_IDENTITY id = m_dsId;
    id.Id = 77;
    TW_UINT16 twRc = Send(pOrigin, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &id);
    EXPECT_EQ(TWRC_SUCCESS, twRc) << "open at step " << m_nSteps;
    if (twRc != TWRC_SUCCESS)
        return false;
    m_nState = 4;
    m_nConnectedId = pOrigin->Id;
    return true;
}

void CStorm::CloseDS()
{
    const bool bOpen = m_nState >= 4;
    TW_UINT16 twRc = Send(DAT_IDENTITY, MSG_CLOSEDS, &m_dsId);
    EXPECT_EQ(bOpen ? TWRC_SUCCESS : TWRC_FAILURE, twRc) << "close in state " << m_nState;
    m_nConnectedId = 0;
    m_nLastApp = Pick(3);
    ExpectState(3, "MSG_CLOSEDS");
}

bool CStorm::SetOne(TW_UINT16 wCap, TW_UINT16 wType, TW_UINT32 nValue)
{
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 8);
    auto* p = h ? static_cast<TW_ONEVALUE*>(GlobalLock(h)) : nullptr;
    if (!p)
        return false;
    p->ItemType = wType;
    p->Item = nValue;
    GlobalUnlock(h);
    TW_CAPABILITY cap{wCap, TWON_ONEVALUE, h};
    TW_UINT16 twRc = Send(DAT_CAPABILITY, MSG_SET, &cap);
    GlobalFree(h);
    return twRc == TWRC_SUCCESS;
}

// A small grey flatbed page: a quick scan from the simulator, whatever the storm set before.
bool CStorm::Configure(TW_UINT16 wXferMech)
{
    constexpr TW_UINT32 kDpi = 75;  // a FIX32 with no fraction
    bool bOk = SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY);
    bOk = SetOne(ICAP_XRESOLUTION, TWTY_FIX32, kDpi) && bOk;
    bOk = SetOne(ICAP_YRESOLUTION, TWTY_FIX32, kDpi) && bOk;
    bOk = SetOne(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A6) && bOk;
    bOk = SetOne(CAP_FEEDERENABLED, TWTY_BOOL, FALSE) && bOk;
    bOk = SetOne(ICAP_XFERMECH, TWTY_UINT16, wXferMech) && bOk;
    EXPECT_TRUE(bOk) << "configure at step " << m_nSteps;
    return bOk;
}

void CStorm::EnableDS(bool bShowUI)
{
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(bShowUI), FALSE, nullptr};
    const int nBefore = m_nState;
    TW_UINT16 twRc = Send(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    Pump();
    EXPECT_EQ(TWRC_SUCCESS, twRc) << "enable in state " << nBefore;
    if (nBefore != 4)
        return ExpectState(nBefore, "MSG_ENABLEDS outside state 4");
    // Without the dialog the page is scanned at once and announced: state 6.
    m_nState = bShowUI ? 5 : 6;
    m_bPageHandedOver = false;
    ExpectState(bShowUI ? 5 : 6, bShowUI ? "MSG_ENABLEDS with the dialog" : "MSG_ENABLEDS without the dialog");
}

void CStorm::DisableDS()
{
    const int nBefore = m_nState;
    TW_USERINTERFACE ui{FALSE, FALSE, nullptr};
    TW_UINT16 twRc = Send(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    Pump();
    const bool bEnabled = nBefore >= 5;
    EXPECT_EQ(bEnabled ? TWRC_SUCCESS : TWRC_FAILURE, twRc) << "disable in state " << nBefore;
    if (bEnabled)
        m_nState = 4;
    ExpectState(bEnabled ? 4 : nBefore, "MSG_DISABLEDS");
}

void CStorm::ImageInfo()
{
    TW_IMAGEINFO info{};
    TW_UINT16 twRc = Send(DAT_IMAGEINFO, MSG_GET, &info);
    EXPECT_EQ(m_nState == 6 ? TWRC_SUCCESS : TWRC_FAILURE, twRc) << "image info in state " << m_nState;
    if (twRc == TWRC_SUCCESS) {
        EXPECT_GT(info.ImageWidth, 0);
        EXPECT_GT(info.ImageLength, 0);
    }
}

// A page is handed over, or cancelled because the storm ended the job before (MSG_ENDXFER in
// state 6 closes the device; the scan on demand then fails and the state falls back to 5), or
// refused when this enable's page has already gone out.
void CStorm::CountTransfer(TW_UINT16 twRc, const char* pszMechanism)
{
    EXPECT_TRUE(twRc == TWRC_XFERDONE || twRc == TWRC_CANCEL || (twRc == TWRC_FAILURE && m_bPageHandedOver))
        << pszMechanism << " transfer at step " << m_nSteps << " answered " << twRc;
    if (twRc == TWRC_XFERDONE && std::strcmp(pszMechanism, "memory") != 0)
        m_bPageHandedOver = true;
    ++m_nByTransferRc[twRc];
    m_wLastXferRc = twRc;
}

void CStorm::NativeTransfer()
{
    TW_HANDLE hDib = nullptr;
    TW_UINT16 twRc = Send(DAT_IMAGENATIVEXFER, MSG_GET, &hDib);
    CountTransfer(twRc, "native");
    if (hDib) {
        EXPECT_GT(GlobalSize(hDib), sizeof(BITMAPINFOHEADER));
        GlobalFree(hDib);
    }
}

void CStorm::FileTransfer()
{
    TW_SETUPFILEXFER setup{};
    std::string sName = (m_files.Path() / ("page" + std::to_string(m_nSteps) + ".bmp")).string();
    std::strncpy(setup.FileName, sName.c_str(), sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    EXPECT_EQ(TWRC_SUCCESS, Send(DAT_SETUPFILEXFER, MSG_SET, &setup));
    CountTransfer(Send(DAT_IMAGEFILEXFER, MSG_GET, nullptr), "file");
}

// Strips until the last; between strips the storm may strike (state 7, a transfer under way).
void CStorm::MemoryTransfer()
{
    TW_SETUPMEMXFER setup{};
    EXPECT_EQ(TWRC_SUCCESS, Send(DAT_SETUPMEMXFER, MSG_GET, &setup));
    std::vector<unsigned char> buffer(std::clamp<TW_UINT32>(setup.Preferred, 1024, 1 << 20));
    for (int nStrip = 0; nStrip < 100000; ++nStrip) {
        TW_IMAGEMEMXFER xfer{};
        xfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        xfer.Memory.Length = static_cast<TW_UINT32>(buffer.size());
        xfer.Memory.TheMem = buffer.data();
        TW_UINT16 twRc = Send(DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        if (twRc == TWRC_SUCCESS) {
            m_nState = 7;
            if (Pick(8) == 0)
                Steps(static_cast<int>(Pick(5)));
            if (m_nState != 7)  // the storm ended or reset the transfer
                return;
            continue;
        }
        CountTransfer(twRc, "memory");
        return;
    }
    ADD_FAILURE() << "a memory transfer never ended";
}

void CStorm::Transfer(TW_UINT16 wXferMech)
{
    if (m_nState != 6)
        return;
    m_wLastXferRc = 0xFFFF;
    if (wXferMech == TWSX_NATIVE)
        NativeTransfer();
    else if (wXferMech == TWSX_FILE)
        FileTransfer();
    else
        MemoryTransfer();
    Pump();
    m_nState = AskState();
    // The storm's own triplets between memory strips may have ended, reset or disabled the
    // transfer; each of their states was checked as it happened.
    if (m_wLastXferRc == 0xFFFF)
        return;
    EXPECT_TRUE(m_nState == 7 || m_nState == 5) << "after the transfer (mechanism " << wXferMech << "): state "
                                                << m_nState << ", answer " << m_wLastXferRc;
    if (m_wLastXferRc == TWRC_XFERDONE || m_wLastXferRc == TWRC_CANCEL)
        EXPECT_EQ(m_wLastXferRc == TWRC_XFERDONE ? 7 : 5, m_nState) << "after transfer answer " << m_wLastXferRc;
}

void CStorm::EndXfer()
{
    const int nBefore = m_nState;
    TW_PENDINGXFERS pending{};
    pending.Count = 7;
    TW_UINT16 twRc = Send(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    Pump();
    EXPECT_EQ(nBefore >= 4 ? TWRC_SUCCESS : TWRC_FAILURE, twRc) << "end of transfer in state " << nBefore;
    m_nState = AskState();
    if (twRc == TWRC_SUCCESS) {
        EXPECT_EQ(0, pending.Count) << "a flatbed has one page";
        // From 7 back to 6 or, with the batch over, 5; elsewhere nothing moves.
        if (nBefore == 7)
            EXPECT_TRUE(m_nState == 6 || m_nState == 5) << "state " << m_nState;
        else
            EXPECT_EQ(nBefore, m_nState) << "MSG_ENDXFER in state " << nBefore;
    }
}

void CStorm::ResetXfers()
{
    const int nBefore = m_nState;
    TW_PENDINGXFERS pending{};
    TW_UINT16 twRc = Send(DAT_PENDINGXFERS, MSG_RESET, &pending);
    Pump();
    const bool bTransfer = nBefore == 6 || nBefore == 7;
    EXPECT_EQ(bTransfer ? TWRC_SUCCESS : TWRC_FAILURE, twRc) << "reset in state " << nBefore;
    if (bTransfer)
        m_nState = 5;
    ExpectState(bTransfer ? 5 : nBefore, "MSG_RESET");
}

void CStorm::ShutDown()
{
    // A source manager closing with the source open sends these whatever the state.
    if (m_nState >= 4) {
        EndXfer();
        ResetXfers();
        DisableDS();
        CloseDS();
    }
    EXPECT_EQ(3, m_nState);
}

}  // namespace mvltest
