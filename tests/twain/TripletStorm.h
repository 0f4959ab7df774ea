// A seeded storm of triplets: valid, truncated and garbage data, foreign and missing origins.
// Nothing may crash or hang, and every refusal that sets a condition code must be the one the
// next DAT_STATUS reports. The storm tracks the state it believes the source in and, in the
// states 5 to 7, asks the source after each triplet whether it agrees.
#pragma once

#include <windows.h>

#include <map>
#include <random>
#include <string>

#include "harness/DsLoader.h"
#include "harness/TestEnv.h"
#include "twain/StormWatchdog.h"

namespace mvltest {

class CStorm {
public:
    CStorm(CTestSource& ds, unsigned nSeed, CStormWatchdog& watchdog);

    // One random triplet and the checks after it.
    void Step();
    void Steps(int nCount);

    // The moves an application makes; each checks its answer and the state that follows.
    bool OpenDS();
    void CloseDS();
    bool Configure(TW_UINT16 wXferMech);
    void EnableDS(bool bShowUI);
    void DisableDS();
    void ImageInfo();
    void Transfer(TW_UINT16 wXferMech);
    void EndXfer();
    void ResetXfers();
    // Back to state 3 from wherever the storm is, the way a source manager shuts down.
    void ShutDown();

    int State() const { return m_nState; }
    int StepCount() const { return m_nSteps; }
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }
    const std::map<TW_UINT16, int>& ByReturnCode() const { return m_nByRc; }
    const std::map<int, int>& StepsByState() const { return m_nByState; }
    // The answers of the application's own transfers: TWRC_XFERDONE or TWRC_CANCEL.
    const std::map<TW_UINT16, int>& TransfersByReturnCode() const { return m_nByTransferRc; }

private:
    TW_UINT32 Random32() { return static_cast<TW_UINT32>(m_rng()); }
    std::string Where(TW_UINT16 wDat, TW_UINT16 wMsg) const;
    TW_IDENTITY* PickOrigin();
    TW_IDENTITY* ConnectedOrigin();
    TW_UINT16 Send(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 wDat, TW_UINT16 wMsg, TW_MEMREF pData);
    TW_UINT16 Send(TW_UINT16 wDat, TW_UINT16 wMsg, TW_MEMREF pData);
    TW_UINT16 StatusFrom(TW_IDENTITY* pOrigin);
    int AskState();
    void ExpectState(int nState, const char* pszAfter);
    void Follow(TW_UINT16 wDat, TW_UINT16 wMsg, TW_UINT16 twRc, bool bCallerRefused, TW_IDENTITY* pOrigin);
    TW_UINT16 OtherStep(TW_IDENTITY* pOrigin, TW_UINT16& wDat, TW_UINT16& wMsg);
    void SanitiseForTransfers(TW_UINT16 wDat, TW_UINT16 wMsg, std::vector<unsigned char>& data);
    TW_UINT16 CapabilityStep(TW_IDENTITY* pOrigin, TW_UINT16& wMsg);
    HGLOBAL MakeSetContainer(TW_UINT16 wCap, TW_UINT16& wConType);
    bool SetOne(TW_UINT16 wCap, TW_UINT16 wType, TW_UINT32 nValue);
    void CheckCapabilityCode(TW_UINT16 twRc, TW_UINT16 wCC);
    void CountTransfer(TW_UINT16 twRc, const char* pszMechanism);
    void MemoryTransfer();
    void FileTransfer();
    void NativeTransfer();
    void Pump();

    CTestSource& m_ds;
    CStormWatchdog& m_watchdog;
    std::mt19937 m_rng;
    CTempDir m_files;  // file transfers land here
    TW_IDENTITY m_apps[3];
    TW_IDENTITY m_dsId{};
    TW_UINT32 m_nConnectedId = 0;
    size_t m_nLastApp = 0;
    int m_nState = 3;
    int m_nSteps = 0;
    // This enable's page went out by native or file transfer (which, unlike the memory
    // transfer's last strip, arm no further scan): a further transfer finds no page and fails.
    bool m_bPageHandedOver = false;
    std::map<TW_UINT16, int> m_nByRc;
    std::map<int, int> m_nByState;
    std::map<TW_UINT16, int> m_nByTransferRc;
    TW_UINT16 m_wLastXferRc = 0xFFFF;
};

}  // namespace mvltest
