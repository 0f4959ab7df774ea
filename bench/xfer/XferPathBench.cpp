// Device to application through the installed data source: enable without the dialog (the
// controller opens the simulated scanner), native transfer (scan thread, spool, packed bitmap),
// end of transfer, disable. The reference is memcpy of the page's bitmap bytes, timed in the
// same run; the result is the ratio of the two best rounds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "twain/TwainTypes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;

struct SModuleFree {
    void operator()(HMODULE h) const { FreeLibrary(h); }
};
struct SGlobalFree {
    void operator()(void* h) const { GlobalFree(h); }
};

class CSource {
public:
    explicit CSource(const fs::path& ds) : m_hDs(LoadLibraryW(ds.c_str()))
    {
        if (m_hDs)
            m_pfn = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(m_hDs.get(), "DS_Entry")));
        m_app.Id = 1;
        m_app.ProtocolMajor = 2;
        m_app.ProtocolMinor = 2;
        m_app.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
        std::strncpy(m_app.ProductName, "xfer bench", sizeof m_app.ProductName - 1);
    }
    bool Loaded() const { return m_pfn != nullptr; }
    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* p) { return m_pfn(&m_app, dg, dat, msg, p); }
    bool Open()
    {
        Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &m_ds);
        m_ds.Id = 2;
        return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_ds) == TWRC_SUCCESS;
    }
    void Close() { Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_ds); }
    bool Set(TW_UINT16 wCap, TW_UINT16 wType, const void* pItem, size_t nItem)
    {
        HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 8);
        if (!h)
            return false;
        auto* p = static_cast<TW_ONEVALUE*>(GlobalLock(h));
        p->ItemType = wType;
        std::memcpy(&p->Item, pItem, nItem);
        GlobalUnlock(h);
        TW_CAPABILITY cap{wCap, TWON_ONEVALUE, h};
        TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
        GlobalFree(h);
        return rc == TWRC_SUCCESS;
    }

private:
    std::unique_ptr<HINSTANCE__, SModuleFree> m_hDs;
    DSENTRYPROC m_pfn = nullptr;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_ds{};
};

bool Configure(CSource& src)
{
    TW_UINT32 nRgb = TWPT_RGB, nA4 = 1, nNo = 0;
    TW_FIX32 dpi{600, 0};
    return src.Set(ICAP_PIXELTYPE, TWTY_UINT16, &nRgb, sizeof nRgb) &&
           src.Set(ICAP_XRESOLUTION, TWTY_FIX32, &dpi, sizeof dpi) &&
           src.Set(ICAP_YRESOLUTION, TWTY_FIX32, &dpi, sizeof dpi) &&
           src.Set(ICAP_SUPPORTEDSIZES, TWTY_UINT16, &nA4, sizeof nA4) &&
           src.Set(CAP_FEEDERENABLED, TWTY_BOOL, &nNo, sizeof nNo);
}

// One page from enable to the application's bitmap; its size in bytes, 0 on failure.
size_t OnePage(CSource& src, double* pSeconds)
{
    const Clock::time_point t0 = Clock::now();
    TW_USERINTERFACE ui{};
    if (src.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS)
        return 0;
    TW_HANDLE hDib = nullptr;
    TW_UINT16 rc = src.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib);
    std::unique_ptr<void, SGlobalFree> owner(hDib);
    *pSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    TW_PENDINGXFERS pending{};
    src.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    src.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    return rc == TWRC_XFERDONE && hDib ? GlobalSize(hDib) : 0;
}

double BestMemcpy(size_t nBytes)
{
    std::vector<uint8_t> a(nBytes, 0x5A), b(nBytes, 0);
    double dBest = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        a[i] = static_cast<uint8_t>(i);
        const Clock::time_point t0 = Clock::now();
        std::memcpy(b.data(), a.data(), nBytes);
        dBest = std::min(dBest, std::chrono::duration<double>(Clock::now() - t0).count());
        if (b[i] != a[i])
            return 0;
    }
    return dBest;
}

fs::path InstalledSource()
{
    wchar_t szWin[MAX_PATH] = L"";
    GetWindowsDirectoryW(szWin, MAX_PATH);
    return fs::path(szWin) / L"twain_64" / L"MV4200" / L"mvlTWAIN64.ds";
}

}  // namespace

int main()
{
    // The simulated scanner at unlimited speed with its defaults.
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    const fs::path ini = fs::path(szTemp) / L"mvlsim-bench.ini";
    std::ofstream(ini) << "[Device]\r\nScanSpeed=0\r\n";
    SetEnvironmentVariableW(L"MVLSIM_INI", ini.c_str());

    CSource src(InstalledSource());
    if (!src.Loaded() || !src.Open() || !Configure(src)) {
        std::fprintf(stderr, "the installed data source could not be opened and set up\n");
        return 1;
    }
    double dBestPath = 1e30;
    size_t nBytes = 0;
    for (int i = 0; i < kRounds; ++i) {
        double d = 0;
        nBytes = OnePage(src, &d);
        if (nBytes == 0) {
            std::fprintf(stderr, "round %d: no page\n", i + 1);
            return 1;
        }
        std::printf("device to application, round %d: %.1f ms\n", i + 1, d * 1000);
        dBestPath = std::min(dBestPath, d);
    }
    src.Close();
    const double dCopy = BestMemcpy(nBytes);
    std::printf("page bitmap %zu bytes\n", nBytes);
    std::printf("device to application (best of %d): %.1f ms\n", kRounds, dBestPath * 1000);
    std::printf("memcpy of the page bytes (best of %d): %.2f ms\n", kRounds, dCopy * 1000);
    std::printf("ratio: %.1f\n", dCopy > 0 ? dBestPath / dCopy : 0.0);
    DeleteFileW(ini.c_str());
    return 0;
}
