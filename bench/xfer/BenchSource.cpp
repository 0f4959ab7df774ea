#include "BenchSource.h"

#include <cstdio>
#include <cstring>

namespace {

using Clock = CStageClock::Clock;

struct SGlobalFree {
    void operator()(void* h) const { GlobalFree(h); }
};

}  // namespace

CBenchSource::CBenchSource(const std::filesystem::path& ds) : m_hDs(LoadLibraryW(ds.c_str()))
{
    if (!m_hDs)
        return;
    m_pfn = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(m_hDs, "DS_Entry")));
    if (!m_pfn)
        return;
    m_pClock = std::make_unique<CStageClock>(m_hDs);
    m_app.Id = 1;
    m_app.ProtocolMajor = 2;
    m_app.ProtocolMinor = 2;
    m_app.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    std::strncpy(m_app.ProductName, "xfer bench", sizeof m_app.ProductName - 1);
    Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &m_ds);
    m_ds.Id = 2;
    m_bOpen = Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_ds) == TWRC_SUCCESS;
}

CBenchSource::~CBenchSource()
{
    if (m_bOpen)
        Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_ds);
    m_pClock.reset();
    if (m_hDs)
        FreeLibrary(m_hDs);
}

TW_UINT16 CBenchSource::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* p)
{
    return m_pfn(&m_app, dg, dat, msg, p);
}

bool CBenchSource::Set(TW_UINT16 wCap, TW_UINT16 wType, const void* pItem, size_t nItem)
{
    std::unique_ptr<void, SGlobalFree> h(GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 8));
    auto* p = h ? static_cast<TW_ONEVALUE*>(GlobalLock(h.get())) : nullptr;
    if (!p)
        return false;
    p->ItemType = wType;
    std::memcpy(&p->Item, pItem, nItem);
    GlobalUnlock(h.get());
    TW_CAPABILITY cap{wCap, TWON_ONEVALUE, h.get()};
    return Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap) == TWRC_SUCCESS;
}

bool CBenchSource::Configure(int nDpi)
{
    TW_UINT32 nRgb = TWPT_RGB, nA4 = TWSS_A4, nNo = 0;
    TW_FIX32 dpi{static_cast<TW_INT16>(nDpi), 0};
    return Set(ICAP_PIXELTYPE, TWTY_UINT16, &nRgb, sizeof nRgb) && Set(ICAP_XRESOLUTION, TWTY_FIX32, &dpi, sizeof dpi) &&
           Set(ICAP_YRESOLUTION, TWTY_FIX32, &dpi, sizeof dpi) &&
           Set(ICAP_SUPPORTEDSIZES, TWTY_UINT16, &nA4, sizeof nA4) &&
           Set(CAP_FEEDERENABLED, TWTY_BOOL, &nNo, sizeof nNo);
}

bool CBenchSource::Enable()
{
    TW_USERINTERFACE ui{};
    m_pClock->Reset();
    const Clock::time_point t0 = Clock::now();
    if (Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) == TWRC_SUCCESS)
        return true;
    for (const std::string& s : m_pClock->Timeline(t0))
        std::fprintf(stderr, "    %s\n", s.c_str());
    TW_STATUS status{};
    Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    std::fprintf(stderr, "the source refused MSG_ENABLEDS (condition code %u)\n", status.ConditionCode);
    return false;
}

void CBenchSource::EndAndDisable()
{
    TW_PENDINGXFERS pending{};
    Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    TW_USERINTERFACE ui{};
    Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

SPathTimes CBenchSource::Stages(Clock::time_point t0, Clock::time_point t1) const
{
    SPathTimes t;
    t.dWhole = Ms(t0, t1);
    const Clock::time_point tScan = m_pClock->At(EMark::kScanEnd), tDone = m_pClock->At(EMark::kConvertEnd);
    t.dRead = Ms(t0, tScan);
    t.dConvert = tDone > tScan ? Ms(tScan, tDone) : Ms(tScan, t1);
    t.dHandOver = tDone > tScan ? Ms(tDone, t1) : 0;
    t.dTrace = m_pClock->TraceMs();
    if (m_bTimelines) {
        for (const std::string& s : m_pClock->Timeline(t0))
            std::printf("    %s\n", s.c_str());
        std::printf("    %9.2f ms  (the transfer returns)\n", t.dWhole);
    }
    return t;
}

bool CBenchSource::NativePage(SPathTimes& t, size_t& nBytes)
{
    if (!Enable())
        return false;
    m_pClock->Reset();
    TW_HANDLE hDib = nullptr;
    const Clock::time_point t0 = Clock::now();
    const TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib);
    const Clock::time_point t1 = Clock::now();
    std::unique_ptr<void, SGlobalFree> owner(hDib);
    t = Stages(t0, t1);
    nBytes = hDib ? GlobalSize(hDib) : 0;
    EndAndDisable();
    return rc == TWRC_XFERDONE && nBytes > 0;
}

bool CBenchSource::MemoryPage(SPathTimes& t, size_t& nBytes)
{
    if (!Enable())
        return false;
    TW_SETUPMEMXFER setup{};
    if (Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS || setup.Preferred == 0)
        return false;
    m_strip.assign(setup.Preferred, 1);
    m_pClock->Reset();
    nBytes = 0;
    TW_UINT16 rc;
    const Clock::time_point t0 = Clock::now();
    do {
        TW_IMAGEMEMXFER x{};
        x.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        x.Memory.Length = setup.Preferred;
        x.Memory.TheMem = m_strip.data();
        rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        nBytes += x.BytesWritten;
    } while (rc == TWRC_SUCCESS);
    const Clock::time_point t1 = Clock::now();
    t = Stages(t0, t1);
    EndAndDisable();
    return rc == TWRC_XFERDONE;
}

bool CBenchSource::FilePage(const std::filesystem::path& file, SPathTimes& t)
{
    if (!Enable())
        return false;
    TW_SETUPFILEXFER setup{};
    std::strncpy(setup.FileName, file.string().c_str(), sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    if (Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS)
        return false;
    m_pClock->Reset();
    const Clock::time_point t0 = Clock::now();
    const TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    const Clock::time_point t1 = Clock::now();
    t = Stages(t0, t1);
    EndAndDisable();
    return rc == TWRC_XFERDONE;
}
