#include "twain/CapTable.h"

#include <algorithm>
#include <cstring>

#include "profile/Trace.h"
#include "twain/CapContainers.h"
#include "twain/ScanValues.h"

namespace {

constexpr int kIdOk = 1;
constexpr int kNoMergeDialog = -1;

TW_UINT32 OpsBitFor(TW_UINT16 wMsg)
{
    switch (wMsg) {
    case MSG_GET: return kOpsGet;
    case MSG_GETCURRENT: return kOpsGetCurrent;
    case MSG_GETDEFAULT: return kOpsGetDefault;
    case MSG_SET: return kOpsSet;
    case MSG_RESET: return kOpsReset;
    default: return 0;
    }
}

TW_UINT16 FirstU16(const SCapList& list)
{
    TW_UINT16 w = 0;
    if (list.bytes.size() >= sizeof w)
        std::memcpy(&w, list.bytes.data(), sizeof w);
    return w;
}

float FirstFloat(const SCapList& list)
{
    float f = 0;
    if (list.bytes.size() >= sizeof f)
        std::memcpy(&f, list.bytes.data(), sizeof f);
    return f;
}

// Whole dots per inch from a stored resolution; the float comes from a TW_FIX32, so it fits.
int TruncatedDpi(float fValue)
{
    return static_cast<int>(std::clamp(fValue, -32768.0f, 32768.0f));
}

bool IsResolution(TW_UINT16 wCapId)
{
    return wCapId == ICAP_XRESOLUTION || wCapId == ICAP_YRESOLUTION;
}

// Whether the list holds the one stored item.
bool ListHolds(const SCapList& list, const CapBytes& item)
{
    return !item.empty() && StoredPosition(list.bytes, item, item.size()) < list.Count(item.size());
}

// The bits per pixel of a pixel type, as DAT_IMAGEINFO reports them.
int BitDepthOf(TW_UINT16 wPixelType)
{
    return wPixelType == TWPT_BW ? 1 : wPixelType == TWPT_GRAY ? 8 : 24;
}

}  // namespace

void CCapabilityTable::Build(bool bKRV, bool bDuplexAvailable)
{
    m_slots = {};
    size_t nSlot = 0;
    for (const SCapDescriptor& d : CapDescriptors()) {
        TW_UINT32 dwOps = d.dwOps;
        if (d.wCapId == CAP_DUPLEXENABLED)
            dwOps = bDuplexAvailable ? kOpsAll : kOpsReadOnly;
        m_slots[nSlot++] = {d.wCapId, d.wItemType, d.wGetContainer, d.wCurrentContainer, dwOps,
                            m_values.Allowed(d.wCapId, bKRV), m_values.Default(d.wCapId), m_values.Current(d.wCapId)};
    }
    SyncBitDepth();
}

void CCapabilityTable::SyncBitDepth()
{
    const CapBytes depth = StoredU16({BitDepthOf(CurrentU16(ICAP_PIXELTYPE))});
    for (SCapList* p : {m_values.Allowed(ICAP_BITDEPTH, false), m_values.Default(ICAP_BITDEPTH),
                        m_values.Current(ICAP_BITDEPTH)})
        p->bytes = depth;
}

void CCapabilityTable::Release()
{
    m_slots = {};
}

const _CapInfo* CCapabilityTable::Find(TW_UINT16 wCapId) const
{
    // A cleared slot has no lists and matches nothing, not even id 0.
    auto it = std::ranges::find_if(m_slots, [&](const _CapInfo& s) { return s.pAllowed && s.wCapId == wCapId; });
    return it == m_slots.end() ? nullptr : &*it;
}

size_t CCapabilityTable::FilledSlots() const
{
    return std::ranges::count_if(m_slots, [](const _CapInfo& s) { return s.pAllowed != nullptr; });
}

TW_UINT16 CCapabilityTable::HandleCapMessage(TW_UINT16 wMsg, TW_CAPABILITY* pCap, TW_UINT16& wCC, TW_UINT16 wAppMajor,
                                             TW_UINT16 wAppMinor, ICapabilityHost& host)
{
    TraceW(L"HandleCapMessage===>Enter");
    wCC = TWCC_CAPUNSUPPORTED;
    TW_UINT16 twRc = TWRC_FAILURE;
    const _CapInfo* pInfo = pCap ? Find(pCap->Cap) : nullptr;
    if (pInfo) {
        if (wMsg == MSG_QUERYSUPPORT) {
            SCapList ops;
            ops.bytes.resize(sizeof(TW_UINT32));
            std::memcpy(ops.bytes.data(), &pInfo->dwOps, sizeof pInfo->dwOps);
            _CapInfo query = *pInfo;
            query.wItemType = TWTY_UINT32;
            twRc = Reply(TWON_ONEVALUE, query, ops, pCap, wCC, host);
        } else if (TW_UINT32 dwBit = OpsBitFor(wMsg); dwBit == 0) {
            wCC = TWCC_CAPUNSUPPORTED;
        } else if (!(pInfo->dwOps & dwBit)) {
            wCC = TWCC_CAPBADOPERATION;
        } else {
            twRc = Operate(wMsg, *pInfo, pCap, wCC, host);
        }
    }
    // Applications of protocol 1.5 and older know only the older, general code.
    if (wAppMajor <= 1 && wAppMinor <= 5 && wCC >= TWCC_CAPUNSUPPORTED)
        wCC = TWCC_BADCAP;
    return twRc;
}

TW_UINT16 CCapabilityTable::Operate(TW_UINT16 wMsg, const _CapInfo& info, TW_CAPABILITY* pCap, TW_UINT16& wCC,
                                    ICapabilityHost& host)
{
    // The bit depth follows the pixel type, however that was last changed.
    if (info.wCapId == ICAP_BITDEPTH)
        SyncBitDepth();
    switch (wMsg) {
    case MSG_GET: return Get(info, pCap, wCC, host);
    case MSG_GETCURRENT: return Reply(info.wCurrentContainer, info, *info.pCurrent, pCap, wCC, host);
    case MSG_GETDEFAULT: return Reply(info.wCurrentContainer, info, *info.pDefault, pCap, wCC, host);
    case MSG_RESET: {
        // The reply is the default; the reset takes effect only once the application has it.
        TW_UINT16 twRc = Reply(info.wCurrentContainer, info, *info.pDefault, pCap, wCC, host);
        if (twRc == TWRC_SUCCESS)
            info.pCurrent->bytes = info.pDefault->bytes;
        return twRc;
    }
    case MSG_SET: return Set(info, pCap, wCC, host);
    default: wCC = TWCC_CAPUNSUPPORTED; return TWRC_FAILURE;
    }
}

TW_UINT16 CCapabilityTable::Reply(TW_UINT16 wConType, const _CapInfo& info, const SCapList& values, TW_CAPABILITY* pCap,
                                  TW_UINT16& wCC, ICapabilityHost& host)
{
    SReplySource src{info.wItemType, &values.bytes, &info.pCurrent->bytes, &info.pDefault->bytes};
    CapBytes bytes = BuildReplyContainer(wConType, src);
    if (bytes.empty()) {
        // Only a table inconsistency gets here; the application gets no container.
        wCC = TWCC_BUMMER;
        return TWRC_FAILURE;
    }
    TW_HANDLE hReply = host.AllocReply(bytes);
    if (!hReply) {
        wCC = TWCC_LOWMEMORY;
        return TWRC_FAILURE;
    }
    pCap->ConType = wConType;
    pCap->hContainer = hReply;
    wCC = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 CCapabilityTable::Get(const _CapInfo& info, TW_CAPABILITY* pCap, TW_UINT16& wCC, ICapabilityHost& host)
{
    RefreshBeforeGet(info, host);
    TW_UINT16 twRc = info.wGetContainer == TWON_ONEVALUE
                         ? Reply(TWON_ONEVALUE, info, *info.pCurrent, pCap, wCC, host)
                         : Reply(info.wGetContainer, info, *info.pAllowed, pCap, wCC, host);
    if (info.wCapId == ICAP_PIXELFLAVOR)
        host.PixelFlavorAnswered();
    return twRc;
}

void CCapabilityTable::RefreshBeforeGet(const _CapInfo& info, ICapabilityHost& host)
{
    TraceA(host.IsCancelled() ? "gbcancel is true" : "gbcancel is false");
    switch (info.wCapId) {
    case CAP_FEEDERLOADED:
        info.pCurrent->bytes = StoredU16({host.FeederLoaded() ? 1 : 0});
        break;
    case CAP_DUPLEX:
        info.pCurrent->bytes = StoredU16({host.DuplexAvailable() ? TWDX_2PASSDUPLEX : TWDX_1PASSDUPLEX});
        break;
    case CAP_SHOW_MERGE_SCAN_DIALOG_FLAG:
        if (g_bFileOutputMode) {
            TraceA("*** get CAP_SHOW_MERGE_SCAN_DIALOG_FLAG, show merge scan");
            int nResult = host.ShowMergeScanDialog();
            if (nResult != kNoMergeDialog) {
                TraceA("*** DoModal() return %d", nResult);
                info.pCurrent->bytes = StoredU16({nResult == kIdOk ? 1 : 0});
            }
        }
        break;
    default: break;
    }
}

TW_UINT16 CCapabilityTable::Set(const _CapInfo& info, TW_CAPABILITY* pCap, TW_UINT16& wCC, ICapabilityHost& host)
{
    wCC = TWCC_BADVALUE;
    if (!pCap->hContainer)
        return TWRC_FAILURE;
    SSetParse parse;
    bool bLocked = host.ReadContainer(pCap->hContainer, [&](std::span<const std::uint8_t> block) {
        parse = ParseSetContainer(pCap->ConType, info.wItemType, block);
    });
    if (!bLocked)
        return TWRC_FAILURE;

    if (parse.eResult == ESetParse::WrongType) {
        // Some applications send these two as 32-bit values; the value is taken, the answer stays a refusal.
        if (info.wCapId == ICAP_BITDEPTH) {
            g_nColorMode = static_cast<int>(parse.dwItem);
        } else if (info.wCapId == CAP_FEEDERENABLED) {
            g_nScanSource = static_cast<int>(parse.dwItem);
            info.pCurrent->bytes = StoredU16({static_cast<int>(parse.dwItem & 0xFFFF)});
        }
        return TWRC_FAILURE;
    }
    if (parse.eResult != ESetParse::Ok)
        return TWRC_FAILURE;

    // A resolution is scanned in whole dots per inch: that is the value kept.
    if (IsResolution(info.wCapId))
        parse.stored = StoredFloat({static_cast<float>(TruncatedDpi(FirstFloat(SCapList{parse.stored})))});
    // An enumerated capability takes only a value it offers: any other would have no position in
    // the enumeration MSG_GET answers with. Other containers keep the value as negotiated.
    if (info.wGetContainer == TWON_ENUMERATION && !ListHolds(*info.pAllowed, parse.stored))
        return TWRC_FAILURE;
    info.pCurrent->bytes = std::move(parse.stored);
    if (pCap->ConType == TWON_ONEVALUE)
        SetSideEffect(info, host);
    wCC = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

bool CCapabilityTable::SetCurrentU16(TW_UINT16 wCapId, TW_UINT16 wValue)
{
    SCapList* pAllowed = m_values.Allowed(wCapId, false);
    SCapList* pCurrent = m_values.Current(wCapId);
    CapBytes item = StoredU16({wValue});
    if (!pAllowed || !pCurrent || !ListHolds(*pAllowed, item))
        return false;
    pCurrent->bytes = std::move(item);
    return true;
}

void CCapabilityTable::SetSideEffect(const _CapInfo& info, ICapabilityHost& host)
{
    TW_UINT16 wValue = FirstU16(*info.pCurrent);
    switch (info.wCapId) {
    case ICAP_XRESOLUTION: g_nResolution = TruncatedDpi(FirstFloat(*info.pCurrent)); break;
    case ICAP_PIXELTYPE: g_nColorMode = wValue == TWPT_BW ? 1 : wValue == TWPT_GRAY ? 8 : 24; break;
    case CAP_AUTOFEED: host.SetAutoFeed(wValue); break;
    case CAP_FEEDERENABLED:
    case CAP_DUPLEXENABLED: {
        bool bFeeder = FirstU16(*m_values.Current(CAP_FEEDERENABLED)) != 0;
        bool bDuplex = FirstU16(*m_values.Current(CAP_DUPLEXENABLED)) != 0;
        g_nScanSource = !bFeeder ? 0 : bDuplex ? 2 : 1;
        break;
    }
    case ICAP_SUPPORTEDSIZES: g_nScanSize = wValue; break;
    case CAP_FILE_OUTPUT_MODE_FLAG: g_bFileOutputMode = wValue != 0; break;
    case CAP_NO_SCAN_PARAM_ADJ_FLAG: g_bNoScanParamAdj = wValue != 0; break;
    default: break;
    }
}

TW_UINT16 CCapabilityTable::CurrentU16(TW_UINT16 wCapId)
{
    const SCapList* p = m_values.Current(wCapId);
    return p ? FirstU16(*p) : 0;
}

float CCapabilityTable::CurrentFloat(TW_UINT16 wCapId)
{
    const SCapList* p = m_values.Current(wCapId);
    return p ? FirstFloat(*p) : 0.0f;
}

TW_FRAME CCapabilityTable::CurrentFrame()
{
    TW_FRAME frame{};
    const SCapList* p = m_values.Current(ICAP_FRAMES);
    CapBytes bytes;
    if (p && p->bytes.size() >= StoredItemSize(TWTY_FRAME))
        AppendContainerItem(TWTY_FRAME, p->bytes.data(), false, bytes);
    if (bytes.size() == sizeof frame)
        std::memcpy(&frame, bytes.data(), sizeof frame);
    return frame;
}

void CCapabilityTable::SetCurrentFrame(const TW_FRAME& frame)
{
    CapBytes stored;
    if (SCapList* p = m_values.Current(ICAP_FRAMES);
        p && ContainerItemToStored(TWTY_FRAME, reinterpret_cast<const std::uint8_t*>(&frame), stored))
        p->bytes = std::move(stored);
}

CCapabilityTable& TheCapabilityTable()
{
    static CCapabilityTable s_table;
    return s_table;
}
