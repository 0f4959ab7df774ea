#include "twain/CapabilityTable.h"

#include <cstring>

#include "device/LLDState.h"
#include "profile/ProductProfile.h"
#include "twain/CapTable.h"
#include "twain/DsAssistor.h"

namespace {

SCapabilityHooks g_capabilityHooks;

// Unlocks a locked global memory block when it goes out of scope.
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL h) : m_h(h), m_p(h ? GlobalLock(h) : nullptr) {}
    ~CGlobalLock()
    {
        if (m_p)
            GlobalUnlock(m_h);
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    void* Get() const { return m_p; }

private:
    HGLOBAL m_h;
    void* m_p;
};

class CWinCapabilityHost : public ICapabilityHost {
public:
    TW_HANDLE AllocReply(const CapBytes& bytes) override
    {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
        if (!h)
            return nullptr;
        {
            CGlobalLock lock(h);
            if (!lock.Get()) {
                GlobalFree(h);
                return nullptr;
            }
            std::memcpy(lock.Get(), bytes.data(), bytes.size());
        }
        return h;
    }

    bool ReadContainer(TW_HANDLE hContainer, const std::function<void(std::span<const std::uint8_t>)>& fn) override
    {
        CGlobalLock lock(hContainer);
        if (!lock.Get())
            return false;
        // The block's own size bounds every read, whatever counts the container claims.
        SIZE_T nSize = GlobalSize(hContainer);
        if (nSize == 0)
            return false;
        fn(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(lock.Get()), nSize));
        return true;
    }

    bool IsCancelled() override { return gbcancel != FALSE; }
    bool DuplexAvailable() override { return DuplexCapAvailable() != FALSE; }
    bool FeederLoaded() override { return g_capabilityHooks.pfnFeederLoaded && g_capabilityHooks.pfnFeederLoaded(); }

    int ShowMergeScanDialog() override
    {
        return g_capabilityHooks.pfnShowMergeScanDialog ? g_capabilityHooks.pfnShowMergeScanDialog() : -1;
    }

    void PixelFlavorAnswered() override
    {
        if (g_capabilityHooks.pfnPixelFlavorAnswered)
            g_capabilityHooks.pfnPixelFlavorAnswered();
    }

    void SetAutoFeed(int nAutoFeed) override { g_lldOpenFlags.nAutoFeed = nAutoFeed; }
};

CWinCapabilityHost g_winCapabilityHost;

}  // namespace

void SetCapabilityHooks(const SCapabilityHooks& hooks)
{
    g_capabilityHooks = hooks;
}

void BuildCapabilityTable()
{
    TheCapabilityTable().Build(g_bKRV != FALSE, DuplexCapAvailable() != FALSE);
}

void ReleaseCapabilityTable()
{
    TheCapabilityTable().Release();
}

TW_UINT16 HandleCapMessage(TW_UINT16 wMsg, TW_CAPABILITY* pCap, TW_UINT16& wConditionCode)
{
    // Before any MSG_OPENDS the application's protocol reads 0.0.
    TW_UINT16 wMajor = g_pDsAssistor ? g_pDsAssistor->AppIdentity().ProtocolMajor : 0;
    TW_UINT16 wMinor = g_pDsAssistor ? g_pDsAssistor->AppIdentity().ProtocolMinor : 0;
    return TheCapabilityTable().HandleCapMessage(wMsg, pCap, wConditionCode, wMajor, wMinor, g_winCapabilityHost);
}
