// The capability table: 48 descriptor slots built with their defaults at MSG_OPENDS and cleared
// at MSG_CLOSEDS, over value lists that live as long as the process, and the negotiation of
// every DAT_CAPABILITY message against it. The negotiation itself is portable; what it needs
// from Windows (movable global memory, the device, the dialogs) comes through ICapabilityHost.
// Portable: no <windows.h>.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "twain/CapValueStore.h"

struct _CapInfo {
    TW_UINT16 wCapId;
    TW_UINT16 wItemType;
    TW_UINT16 wGetContainer;
    TW_UINT16 wCurrentContainer;  // MSG_GETCURRENT, MSG_GETDEFAULT and MSG_RESET replies
    TW_UINT32 dwOps;
    SCapList* pAllowed;
    SCapList* pDefault;
    SCapList* pCurrent;
};

// What the negotiation needs from outside itself: memory the application can own and free, the
// cancel flag, the product, the device and the scanning dialog, and the device wrapper's auto-feed.
class ICapabilityHost {
public:
    virtual ~ICapabilityHost() = default;
    // A new block holding the bytes, owned by the application from now on; null when no memory.
    virtual TW_HANDLE AllocReply(const CapBytes& bytes) = 0;
    // Runs fn over the locked bytes of an application's block; false when it cannot be locked.
    virtual bool ReadContainer(TW_HANDLE hContainer, const std::function<void(std::span<const std::uint8_t>)>& fn) = 0;
    virtual bool IsCancelled() = 0;           // the scanning dialog's cancel flag
    virtual bool DuplexAvailable() = 0;       // the product duplexes automatically
    virtual bool FeederLoaded() = 0;          // paper in the feeder; false when the device cannot be opened
    // Asks whether to merge another page; -1 when there is no dialog to ask, else the dialog's result.
    virtual int ShowMergeScanDialog() = 0;
    virtual void PixelFlavorAnswered() = 0;   // the Photoshop deferred close
    virtual void SetAutoFeed(int nAutoFeed) = 0;
};

class CCapabilityTable {
public:
    static constexpr size_t kSlots = 48;

    // Fills the slots in table order. Value storage is not reset.
    void Build(bool bKRV, bool bDuplexAvailable);
    // Zeroes every slot; the table then matches nothing. Value storage is not reset.
    void Release();

    const _CapInfo* Find(TW_UINT16 wCapId) const;
    size_t FilledSlots() const;
    CCapValueStore& Values() { return m_values; }

    // Current values for the rest of the source, whether or not the table is built.
    TW_UINT16 CurrentU16(TW_UINT16 wCapId);
    float CurrentFloat(TW_UINT16 wCapId);
    TW_FRAME CurrentFrame();
    // DAT_IMAGELAYOUT's MSG_SET writes the current frame.
    void SetCurrentFrame(const TW_FRAME& frame);
    // DAT_SETUPFILEXFER's MSG_SET writes the file format: false, with nothing changed, for a value
    // the capability does not offer.
    bool SetCurrentU16(TW_UINT16 wCapId, TW_UINT16 wValue);

    // One DAT_CAPABILITY triplet. The condition code is always set; wAppMajor/wAppMinor are the
    // connected (or last connected) application's protocol.
    TW_UINT16 HandleCapMessage(TW_UINT16 wMsg, TW_CAPABILITY* pCap, TW_UINT16& wConditionCode,
                               TW_UINT16 wAppMajor, TW_UINT16 wAppMinor, ICapabilityHost& host);

private:
    TW_UINT16 Operate(TW_UINT16 wMsg, const _CapInfo& info, TW_CAPABILITY* pCap, TW_UINT16& wCC, ICapabilityHost& host);
    TW_UINT16 Reply(TW_UINT16 wConType, const _CapInfo& info, const SCapList& values, TW_CAPABILITY* pCap,
                    TW_UINT16& wCC, ICapabilityHost& host);
    TW_UINT16 Get(const _CapInfo& info, TW_CAPABILITY* pCap, TW_UINT16& wCC, ICapabilityHost& host);
    TW_UINT16 Set(const _CapInfo& info, TW_CAPABILITY* pCap, TW_UINT16& wCC, ICapabilityHost& host);
    void RefreshBeforeGet(const _CapInfo& info, ICapabilityHost& host);
    void SetSideEffect(const _CapInfo& info, ICapabilityHost& host);
    // ICAP_BITDEPTH offers, defaults to and holds the one depth of the current pixel type.
    void SyncBitDepth();

    std::array<_CapInfo, kSlots> m_slots{};
    CCapValueStore m_values;
};

// The one table of the process; it lives across MSG_OPENDS and MSG_CLOSEDS.
CCapabilityTable& TheCapabilityTable();
