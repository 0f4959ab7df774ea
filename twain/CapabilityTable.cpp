#include "twain/CapabilityTable.h"

#include <cstring>

#include "device/LLDState.h"
#include "profile/ProductProfile.h"
#include "transfer/ManagerEntry.h"
#include "twain/CapTable.h"
#include "twain/DsAssistor.h"

namespace {

SCapabilityHooks g_capabilityHooks;

// Unlocks a locked block of the application's memory when it goes out of scope.
class CAppMemLock {
public:
    explicit CAppMemLock(TW_HANDLE h) : m_h(h), m_p(AppMemLock(h)) {}
    ~CAppMemLock()
    {
        if (m_p)
            AppMemUnlock(m_h);
    }
    CAppMemLock(const CAppMemLock&) = delete;
    CAppMemLock& operator=(const CAppMemLock&) = delete;
    void* Get() const { return m_p; }

private:
    TW_HANDLE m_h;
    void* m_p;
};

class CWinCapabilityHost : public ICapabilityHost {
public:
    TW_HANDLE AllocReply(const CapBytes& bytes) override
    {
        TW_HANDLE h = AppMemAlloc(bytes.size());
        if (!h)
            return nullptr;
        {
            CAppMemLock lock(h);
            if (!lock.Get()) {
                AppMemFree(h);
                return nullptr;
            }
            std::memcpy(lock.Get(), bytes.data(), bytes.size());
        }
        return h;
    }

    bool ReadContainer(TW_HANDLE hContainer, const std::function<void(std::span<const std::uint8_t>)>& fn) override
    {
        CAppMemLock lock(hContainer);
        if (!lock.Get())
            return false;
        // The block's own size bounds every read, whatever counts the container claims (the
        // managers of Windows hand out global memory too).
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
