#include "twain/TripletStorm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "twain/CapabilityTestUtil.h"

namespace mvltest {

namespace {

const TW_UINT16 kSupported[] = {0x1005, 0x1002, 0x0103, 0x111F, 0x1120, 0x0100, 0x1111, 0x1112, 0x1130, 0x1131, 0x0102,
                                0x100F, 0x1100, 0x1101, 0x1103, 0x110A, 0x1110, 0x1113, 0x1124, 0x1125, 0x0101, 0x112B,
                                0x112C, 0x111C, 0x1109, 0x1123, 0x1114, 0x111A, 0x1122, 0x1116, 0x1117, 0x1118, 0x1119,
                                0x0001, 0x110C, 0x112D, 0x100B, 0x100E, 0x8123, 0x8124, 0x1013, 0x1007, 0x1003, 0x1012,
                                0x8125};
// Data argument types with a handler, and some without.
const TW_UINT16 kDats[] = {DAT_IDENTITY, DAT_PENDINGXFERS, DAT_SETUPMEMXFER, DAT_SETUPFILEXFER, DAT_STATUS,
                           DAT_USERINTERFACE, DAT_XFERGROUP, DAT_IMAGEINFO, DAT_IMAGELAYOUT, DAT_IMAGEMEMXFER,
                           DAT_IMAGENATIVEXFER, DAT_IMAGEFILEXFER, DAT_PALETTE8, DAT_NULL, DAT_EVENT, DAT_CIECOLOR,
                           DAT_ENTRYPOINT, DAT_CALLBACK, 0x7777};
const TW_UINT16 kMsgs[] = {MSG_NULL, MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_GETFIRST, MSG_GETNEXT, MSG_SET,
                           MSG_RESET, MSG_QUERYSUPPORT, MSG_XFERREADY, MSG_OPENDSM, MSG_DISABLEDS, MSG_ENABLEDSUIONLY,
                           MSG_PROCESSEVENT, MSG_ENDXFER, MSG_STOPFEEDER, MSG_REGISTER_CALLBACK, 0x4242};

// Where a TW_IMAGEMEMXFER keeps its TW_MEMORY (2-byte packing) and a TW_SETUPFILEXFER its format.
constexpr size_t kMemXferMemory = 26;
constexpr size_t kFileXferFormat = 256;

bool MovesOnItsOwn(TW_UINT16 wDat)
{
    // The transfer side changes the state by itself: a page handed over, ended, failed or reset.
    return wDat == DAT_PENDINGXFERS || wDat == DAT_IMAGENATIVEXFER || wDat == DAT_IMAGEFILEXFER ||
           wDat == DAT_IMAGEMEMXFER || wDat == DAT_IMAGEINFO;
}

HGLOBAL GlobalCopy(const Bytes& b, size_t nSize)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nSize ? nSize : 1);
    if (void* p = h ? GlobalLock(h) : nullptr) {
        std::memcpy(p, b.data(), std::min(b.size(), nSize));
        GlobalUnlock(h);
    }
    return h;
}

TW_UINT16 ItemTypeOf(TW_UINT16 wCap)
{
    switch (wCap) {
    case ICAP_PHYSICALWIDTH: case ICAP_PHYSICALHEIGHT: case ICAP_MINIMUMHEIGHT: case ICAP_MINIMUMWIDTH:
    case ICAP_BRIGHTNESS: case ICAP_CONTRAST: case ICAP_HIGHLIGHT: case ICAP_SHADOW: case ICAP_XSCALING:
    case ICAP_YSCALING: case ICAP_THRESHOLD: case ICAP_XNATIVERESOLUTION: case ICAP_YNATIVERESOLUTION:
    case ICAP_XRESOLUTION: case ICAP_YRESOLUTION: return TWTY_FIX32;
    case ICAP_FRAMES: return TWTY_FRAME;
    case ICAP_HALFTONES: return TWTY_STR32;
    case CAP_XFERCOUNT: return TWTY_INT16;
    case ICAP_XFERMECH: case ICAP_PIXELFLAVOR: case ICAP_PLANARCHUNKY: case ICAP_COMPRESSION: case ICAP_UNITS:
    case ICAP_ORIENTATION: case ICAP_PIXELTYPE: case ICAP_BITDEPTH: case ICAP_BITDEPTHREDUCTION:
    case ICAP_BITORDER: case ICAP_MAXFRAMES: case ICAP_SUPPORTEDSIZES: case ICAP_IMAGEFILEFORMAT:
    case CAP_DUPLEX: case CAP_SUPPORTEDCAPS: return TWTY_UINT16;
    default: return TWTY_BOOL;
    }
}

}  // namespace

CStorm::CStorm(CTestSource& ds, unsigned nSeed, CStormWatchdog& watchdog) : m_ds(ds), m_watchdog(watchdog), m_rng(nSeed)
{
    TW_UINT16 wProtocols[][2] = {{2, 2}, {1, 5}, {1, 9}};
    for (TW_UINT32 i = 0; i < 3; ++i) {
        m_apps[i] = MakeAppIdentity(i + 1, "storm app");
        m_apps[i].ProtocolMajor = wProtocols[i][0];
        m_apps[i].ProtocolMinor = wProtocols[i][1];
    }
    m_ds.Control(DAT_IDENTITY, MSG_GET, &m_dsId);
}

std::string CStorm::Where(TW_UINT16 wDat, TW_UINT16 wMsg) const
{
    return "step " + std::to_string(m_nSteps) + " DAT " + std::to_string(wDat) + " MSG " + std::to_string(wMsg) +
           " state " + std::to_string(m_nState);
}

TW_IDENTITY* CStorm::PickOrigin()
{
    size_t n = Pick(40);
    if (n == 0)
        return nullptr;
    if (n == 1)
        return &m_apps[Pick(3)];
    // Mostly the connected application, or the next one to connect while none is.
    return ConnectedOrigin();
}

TW_IDENTITY* CStorm::ConnectedOrigin()
{
    for (auto& app : m_apps)
        if (app.Id == m_nConnectedId)
            return &app;
    return &m_apps[m_nLastApp];
}

TW_UINT16 CStorm::Send(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 wDat, TW_UINT16 wMsg, TW_MEMREF pData)
{
    m_watchdog.Beat(m_nSteps, wDat, wMsg, m_nState);
    return m_ds.Call(pOrigin, DG, wDat, wMsg, pData);
}

TW_UINT16 CStorm::Send(TW_UINT16 wDat, TW_UINT16 wMsg, TW_MEMREF pData)
{
    TW_UINT32 DG = wDat >= DAT_IMAGEINFO && wDat < DAT_PALETTE8 ? DG_IMAGE : DG_CONTROL;
    return Send(ConnectedOrigin(), DG, wDat, wMsg, pData);
}

TW_UINT16 CStorm::StatusFrom(TW_IDENTITY* pOrigin)
{
    TW_STATUS status{0xFFFF, 0xFFFF};
    TW_UINT16 twRc = Send(pOrigin, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    EXPECT_EQ(TWRC_SUCCESS, twRc) << "status after step " << m_nSteps << " in state " << m_nState;
    return status.ConditionCode;
}

void CStorm::Steps(int nCount)
{
    for (int i = 0; i < nCount && !::testing::Test::HasFailure(); ++i) {
        Step();
        if (m_nSteps % 250 == 0)
            m_ds.Trace().Clear();
    }
}

void CStorm::Step()
{
    TW_IDENTITY* pOrigin = PickOrigin();
    bool bCallerRefused = m_nConnectedId != 0 && (!pOrigin || pOrigin->Id != m_nConnectedId);
    TW_UINT16 wDat = Pick(4) == 0 ? kDats[Pick(std::size(kDats))] : DAT_CAPABILITY;
    TW_UINT16 wMsg = 0;
    ++m_nByState[m_nState];
    TW_UINT16 twRc = wDat == DAT_CAPABILITY ? CapabilityStep(pOrigin, wMsg) : OtherStep(pOrigin, wDat, wMsg);
    ++m_nSteps;
    ++m_nByRc[twRc];
    bool bHasHandler = wDat != DAT_NULL && wDat != DAT_EVENT && wDat != DAT_CIECOLOR && wDat != DAT_CALLBACK &&
                       wDat != 0x7777;

    // MSG_PROCESSEVENT is answered before the handler map, for any DAT.
    if (wMsg == MSG_PROCESSEVENT && !bCallerRefused) {
        EXPECT_EQ(TWRC_NOTDSEVENT, twRc) << Where(wDat, wMsg);
        return;
    }
    // While enabled the source holds its sign mutex, and the entry refuses every open before
    // any handler runs.
    const bool bLockedOut = wDat == DAT_IDENTITY && wMsg == MSG_OPENDS && m_nState >= 5;
    TW_UINT16 wCC = StatusFrom(pOrigin && !bCallerRefused ? pOrigin : ConnectedOrigin());
    if (twRc == TWRC_FAILURE && !bCallerRefused && bHasHandler && !bLockedOut) {
        EXPECT_NE(TWCC_SUCCESS, wCC) << Where(wDat, wMsg);
    } else if (twRc == TWRC_FAILURE) {
        EXPECT_EQ(TWCC_SUCCESS, wCC) << Where(wDat, wMsg) << " (no code may be set)";
    }
    if (wDat == DAT_CAPABILITY && !bCallerRefused)
        CheckCapabilityCode(twRc, wCC);
    Follow(wDat, wMsg, twRc, bCallerRefused, pOrigin);
}

void CStorm::Follow(TW_UINT16 wDat, TW_UINT16 wMsg, TW_UINT16 twRc, bool bCallerRefused, TW_IDENTITY* pOrigin)
{
    const int nBefore = m_nState;
    if (!bCallerRefused && twRc == TWRC_SUCCESS) {
        if (wDat == DAT_IDENTITY && wMsg == MSG_OPENDS) {
            m_nState = 4;
            m_nConnectedId = pOrigin ? pOrigin->Id : 0;
        } else if (wDat == DAT_IDENTITY && wMsg == MSG_CLOSEDS) {
            m_nState = 3;
            m_nConnectedId = 0;
            m_nLastApp = Pick(3);
        } else if (wDat == DAT_USERINTERFACE && wMsg == MSG_DISABLEDS) {
            m_nState = 4;
        }
    }
    // States 3 and 4 only move through the triplets tracked above; asking costs a few triplets.
    if (nBefore < 5)
        return;
    const int nNow = AskState();
    if (!bCallerRefused && MovesOnItsOwn(wDat)) {
        EXPECT_TRUE(nNow >= 5 && nNow <= 7) << Where(wDat, wMsg) << " left the source in state " << nNow;
        EXPECT_FALSE(nBefore == 5 && nNow > 5) << Where(wDat, wMsg) << " found a page in state 5";
    } else {
        EXPECT_EQ(m_nState, nNow) << Where(wDat, wMsg) << " (state " << nBefore << " before)";
    }
    m_nState = nNow;
}

// The state from what the source accepts: DAT_PENDINGXFERS MSG_GET in 4 to 7, DAT_SETUPMEMXFER
// MSG_GET in 4 to 6, DAT_IMAGEINFO in 6 only. Only the enable and disable the storm tracks
// separate 4 from 5 and 6. The refusals' codes are read away, so that the next check sees
// only what its own triplet left.
int CStorm::AskState()
{
    int nState = 6;
    TW_PENDINGXFERS pending{};
    TW_SETUPMEMXFER setup{};
    TW_IMAGEINFO info{};
    if (Send(DAT_PENDINGXFERS, MSG_GET, &pending) != TWRC_SUCCESS)
        nState = 3;
    else if (Send(DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS)
        nState = 7;
    else if (m_nState <= 4)
        nState = 4;
    else if (Send(DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS)
        nState = 5;
    TW_STATUS status{};
    Send(DAT_STATUS, MSG_GET, &status);
    return nState;
}

void CStorm::ExpectState(int nState, const char* pszAfter)
{
    m_nState = AskState();
    EXPECT_EQ(nState, m_nState) << "after " << pszAfter << " at step " << m_nSteps;
}

TW_UINT16 CStorm::OtherStep(TW_IDENTITY* pOrigin, TW_UINT16& wDat, TW_UINT16& wMsg)
{
    if (wDat == DAT_IDENTITY && Pick(2) == 0)
        wMsg = Pick(2) == 0 ? MSG_OPENDS : MSG_CLOSEDS;
    else
        wMsg = Pick(8) == 0 ? static_cast<TW_UINT16>(Random32()) : kMsgs[Pick(std::size(kMsgs))];
    // Enabling is the application's move (EnableDS), made with data that names a real window.
    if (wDat == DAT_USERINTERFACE && wMsg == MSG_ENABLEDS)
        wMsg = MSG_DISABLEDS;
    // Closing while enabled keeps the sign mutex, which locks every later open out, this
    // process's too: the rest of the storm would be stuck in state 3. ShutDown closes there.
    if (wDat == DAT_IDENTITY && wMsg == MSG_CLOSEDS && m_nState >= 5) {
        wDat = DAT_USERINTERFACE;
        wMsg = MSG_DISABLEDS;
    }
    // Large enough for any structure a handler may write; zero or garbage.
    std::vector<unsigned char> data(4096);
    if (Pick(2) == 0)
        for (auto& c : data)
            c = static_cast<unsigned char>(m_rng());
    if (wDat == DAT_IDENTITY && wMsg == MSG_OPENDS) {
        TW_IDENTITY id = m_dsId;
        id.Id = 77;
        std::memcpy(data.data(), &id, sizeof id);
    }
    SanitiseForTransfers(wDat, wMsg, data);
    TW_MEMREF pData = Pick(10) == 0 ? nullptr : data.data();
    TW_UINT16 twRc = Send(pOrigin, Pick(2) == 0 ? DG_CONTROL : DG_IMAGE, wDat, wMsg, pData);
    if ((wDat == DAT_IMAGENATIVEXFER || wDat == DAT_IMAGEFILEXFER) && twRc == TWRC_XFERDONE)
        m_bPageHandedOver = true;
    // A bitmap handed over belongs to the application.
    if (wDat == DAT_IMAGENATIVEXFER && twRc == TWRC_XFERDONE && pData) {
        HGLOBAL hDib = nullptr;
        std::memcpy(&hDib, pData, sizeof hDib);
        EXPECT_NE(nullptr, hDib);
        if (hDib)
            GlobalFree(hDib);
    }
    return twRc;
}

// Once pages can be handed over, the buffers an application names are real: strips go to a
// buffer of any length inside the data block, and files to this storm's folder.
void CStorm::SanitiseForTransfers(TW_UINT16 wDat, TW_UINT16 wMsg, std::vector<unsigned char>& data)
{
    if (m_nState < 4)
        return;
    if (wDat == DAT_IMAGEMEMXFER) {
        const size_t nBuffer = 64;
        TW_MEMORY mem{};
        mem.Flags = TWMF_APPOWNS | TWMF_POINTER;
        size_t nChoice = Pick(3);
        mem.Length = static_cast<TW_UINT32>(nChoice == 0 ? 0 : nChoice == 1 ? 1 + Pick(64) : data.size() - nBuffer);
        mem.TheMem = data.data() + nBuffer;
        std::memcpy(data.data() + kMemXferMemory, &mem, sizeof mem);
    } else if (wDat == DAT_SETUPFILEXFER && wMsg == MSG_SET) {
        std::string sName = m_files.Path().string();
        size_t nChoice = Pick(4);
        if (nChoice != 0)  // the folder itself is refused
            sName += "\\storm" + std::to_string(m_nSteps) + (nChoice == 1 ? ".tmp" : ".bmp");
        std::fill(data.begin(), data.begin() + kFileXferFormat, 0);
        std::memcpy(data.data(), sName.c_str(), std::min<size_t>(sName.size(), kFileXferFormat - 1));
        TW_UINT16 wFormat = Pick(4) == 0 ? static_cast<TW_UINT16>(Random32()) : TWFF_BMP;
        std::memcpy(data.data() + kFileXferFormat, &wFormat, sizeof wFormat);
    }
}

TW_UINT16 CStorm::CapabilityStep(TW_IDENTITY* pOrigin, TW_UINT16& wMsg)
{
    static const TW_UINT16 kCapMsgs[] = {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_SET, MSG_SET, MSG_SET, MSG_RESET,
                                         MSG_QUERYSUPPORT};
    wMsg = Pick(20) == 0 ? kMsgs[Pick(std::size(kMsgs))] : kCapMsgs[Pick(std::size(kCapMsgs))];
    if (wMsg == MSG_PROCESSEVENT)
        wMsg = MSG_GET;
    TW_UINT16 wCap = Pick(8) == 0 ? static_cast<TW_UINT16>(Random32()) : kSupported[Pick(std::size(kSupported))];
    CGlobalBlock container;
    TW_UINT16 wConType = TWON_DONTCARE16;
    if (wMsg == MSG_SET)
        container.Reset(MakeSetContainer(wCap, wConType));
    TW_CAPABILITY cap{wCap, wConType, container.Get()};
    HGLOBAL hSent = container.Get();
    TW_UINT16 twRc = Send(pOrigin, DG_CONTROL, DAT_CAPABILITY, wMsg, Pick(50) == 0 ? nullptr : &cap);
    if (wMsg == MSG_SET) {
        EXPECT_EQ(hSent, cap.hContainer) << "MSG_SET replaced the application's container";
    } else if (twRc == TWRC_SUCCESS) {
        // A reply of at least a ONEVALUE, owned and freed here.
        CGlobalBlock reply(static_cast<HGLOBAL>(cap.hContainer));
        EXPECT_GE(reply.Size(), 6u) << "step " << m_nSteps;
        EXPECT_TRUE(cap.ConType >= TWON_ARRAY && cap.ConType <= TWON_RANGE);
    } else {
        EXPECT_EQ(nullptr, cap.hContainer) << "a refusal handed out a container";
    }
    return twRc;
}

// A MSG_SET container: well formed, of the wrong type, truncated, overcounted or garbage.
HGLOBAL CStorm::MakeSetContainer(TW_UINT16 wCap, TW_UINT16& wConType)
{
    TW_UINT16 wType = ItemTypeOf(wCap);
    size_t nItem = wType == TWTY_FRAME ? 16 : wType == TWTY_STR32 ? 34 : wType == TWTY_FIX32 ? 4 : 2;
    Bytes b;
    switch (Pick(7)) {
    case 0: return nullptr;
    case 1: {  // garbage of any size and any container type
        wConType = static_cast<TW_UINT16>(Pick(8));
        b.resize(1 + Pick(300));
        for (auto& c : b)
            c = static_cast<unsigned char>(m_rng());
        return GlobalCopy(b, b.size());
    }
    case 2:  // a ONEVALUE of a random item type
        wConType = TWON_ONEVALUE;
        b = OneValue(static_cast<TW_UINT16>(Pick(20)), Random32());
        b.resize(2 + 34, 0);
        return GlobalCopy(b, b.size());
    default: break;
    }
    bool bEnum = Pick(2) == 0;
    wConType = bEnum ? TWON_ENUMERATION : TWON_ONEVALUE;
    TW_UINT32 nItems = bEnum ? static_cast<TW_UINT32>(1 + Pick(5)) : 1;
    Put(b, wType);
    if (bEnum) {
        Put(b, nItems);
        Put(b, TW_UINT32{0});
        Put(b, TW_UINT32{0});
    }
    for (TW_UINT32 i = 0; i < nItems; ++i) {
        for (size_t k = 0; k < std::max<size_t>(nItem, bEnum ? 0 : 4); ++k)
            b.push_back(static_cast<unsigned char>(Pick(4) == 0 ? m_rng() : 0));
        if (wType == TWTY_STR32 && Pick(4) != 0)
            b[b.size() - 1] = 0;
    }
    size_t nSize = b.size();
    switch (Pick(4)) {
    case 0: nSize = Pick(b.size() + 1); break;  // truncated
    case 1:                                      // a count far beyond the block
        if (bEnum) {
            TW_UINT32 nHuge = Pick(2) == 0 ? 0xFFFFFFFFu : nItems + 1;
            std::memcpy(b.data() + 2, &nHuge, sizeof nHuge);
        }
        break;
    default: break;
    }
    return GlobalCopy(b, nSize);
}

void CStorm::CheckCapabilityCode(TW_UINT16 twRc, TW_UINT16 wCC)
{
    if (twRc == TWRC_SUCCESS) {
        EXPECT_EQ(TWCC_SUCCESS, wCC);
        EXPECT_GE(m_nState, 4) << "a capability answered in state 3";
        return;
    }
    static const TW_UINT16 kCodes[] = {TWCC_BADCAP, TWCC_CAPUNSUPPORTED, TWCC_CAPBADOPERATION, TWCC_BADVALUE,
                                       TWCC_BADPROTOCOL};
    EXPECT_NE(std::end(kCodes), std::find(std::begin(kCodes), std::end(kCodes), wCC)) << "code " << wCC;
    if (m_nState == 3) {
        EXPECT_TRUE(wCC == TWCC_BADCAP || wCC == TWCC_CAPUNSUPPORTED || wCC == TWCC_BADPROTOCOL) << "code " << wCC;
    }
}

}  // namespace mvltest
