// The simulated device library as a whole: its settings, its log, the open devices by handle
// and the calls that need no device. The exported ScanDrv_ functions are thin calls into it.
#pragma once

#include "device/ScanDrvApi.h"
#include "sim/PageCache.h"
#include "sim/SimConfig.h"
#include "sim/SimDevice.h"
#include "sim/SimLog.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class CSimScanner {
public:
    // pfnEnv reads an environment variable ("" when unset); sDefaultIni is used without MVLSIM_INI.
    using EnvReader = std::string (*)(const char* pszName);
    // Pages are kept in memory from pageMemory (the heap when none is given).
    CSimScanner(EnvReader pfnEnv, std::string sDefaultIni, PageMemoryFactory pageMemory = nullptr);
    ~CSimScanner();

    // Reads the settings again (the INI may change between calls) and returns them.
    SSimConfig Reload();
    // The settings read last.
    SSimConfig Config();
    // The fault the settings read last name for a function, without copying them.
    EFaultKind FaultFor(const char* pszFunction);
    CSimLog& Log() { return m_log; }

    int SetFlag(const char* pszFunction, int bFlag);
    int Open(const char* pszDevice, ScanDrvHandle* phDevice);
    int Close(ScanDrvHandle hDevice);
    // The device of a handle; null (and a violation in the log) for a handle that is not open.
    std::shared_ptr<CSimDevice> Find(ScanDrvHandle hDevice, const char* pszFunction);

    int CheckConnect(int nKind, void* pReserved);
    int BroadcastMFP(int* pnCount, char* pList);
    int DetectNetMFP(SNetProbe* pProbe);
    int LocateMFP(const char* pszAddress, const char* pszCommunity);

private:
    // A network answer's delay; one that never answers waits until the library goes.
    void WaitNetwork(int nDelayMs);

    EnvReader m_pfnEnv;
    std::string m_sDefaultIni;
    CSimLog m_log;
    CPageCache m_pages;
    std::mutex m_mutex;
    SSimConfig m_config;
    std::map<uintptr_t, std::shared_ptr<CSimDevice>> m_devices;
    uintptr_t m_nNextHandle = 0x5100;
    // Network waits poll this and hold no lock, so that the device keeps working meanwhile and
    // a waiter the process ended leaves nothing behind for the library's unloading.
    std::atomic<bool> m_bShutdown{false};
};
