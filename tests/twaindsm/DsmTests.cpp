// The source manager stand-in: discovery with both origins, opening and closing sources,
// routing, and the notifications from a source by callback or held for MSG_PROCESSEVENT.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness/TestEnv.h"
#include "tests/twainscan/FakeInstall.h"
#include "twain/TwainTypes.h"

using namespace mvltest;

namespace {

struct SCallbackRecord {
    int nCalls = 0;
    TW_UINT32 nOriginId = 0;
    TW_UINT32 nDestId = 0;
    TW_UINT16 wMsg = 0;
    TW_MEMREF pData = nullptr;
};
SCallbackRecord g_callback;

TW_UINT16 TW_CALLINGSTYLE RecordCallback(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32, TW_UINT16,
                                         TW_UINT16 MSG, TW_MEMREF pData)
{
    ++g_callback.nCalls;
    g_callback.nOriginId = pOrigin ? pOrigin->Id : 0;
    g_callback.nDestId = pDest ? pDest->Id : 0;
    g_callback.wMsg = MSG;
    g_callback.pData = pData;
    return TWRC_SUCCESS;
}

class Dsm : public testing::Test {
protected:
    void SetUp() override
    {
        m_hDsm = LoadLibraryW((BinDir() + L"\\TWAINDSM.dll").c_str());
        ASSERT_NE(nullptr, m_hDsm);
        m_pfn = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(m_hDsm, "DSM_Entry")));
        ASSERT_NE(nullptr, m_pfn);
        ASSERT_TRUE(m_fake.Installed());
        m_hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        m_app.Version = TW_VERSION{1, 0, TWLG_ENGLISH, TWCY_USA, "dsm test"};
        m_app.ProtocolMajor = 2;
        m_app.ProtocolMinor = 4;
        m_app.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
        strcpy(m_app.ProductName, "dsm test app");
        g_callback = SCallbackRecord{};
    }
    void TearDown() override
    {
        if (m_bOpen)
            Entry(nullptr, DAT_PARENT, MSG_CLOSEDSM, &m_hWnd);
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        if (m_hDsm)
            FreeLibrary(m_hDsm);
    }
    TW_UINT16 Entry(TW_IDENTITY* pDest, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData, TW_UINT32 DG = DG_CONTROL)
    {
        return m_pfn(&m_app, pDest, DG, DAT, MSG, pData);
    }
    void OpenManager()
    {
        ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_PARENT, MSG_OPENDSM, &m_hWnd));
        m_bOpen = true;
    }
    TW_UINT16 ManagerCondition()
    {
        TW_STATUS status{0xFFFF, 0};
        EXPECT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_STATUS, MSG_GET, &status));
        return status.ConditionCode;
    }
    TW_UINT16 OpenSource(const std::string& sName, TW_IDENTITY* pSource)
    {
        *pSource = TW_IDENTITY{};
        snprintf(pSource->ProductName, sizeof(pSource->ProductName), "%s", sName.c_str());
        return Entry(nullptr, DAT_IDENTITY, MSG_OPENDS, pSource);
    }
    // As the source speaks to the application.
    TW_UINT16 FromSource(TW_IDENTITY* pSource, TW_UINT16 MSG)
    {
        TW_IDENTITY app = m_app;
        return m_pfn(pSource, &app, DG_CONTROL, DAT_NULL, MSG, nullptr);
    }
    TW_UINT16 ProcessEvent(TW_IDENTITY* pSource, TW_UINT16* pMsg)
    {
        MSG msg{};
        TW_EVENT event{&msg, MSG_NULL};
        TW_UINT16 twRc = Entry(pSource, DAT_EVENT, MSG_PROCESSEVENT, &event);
        *pMsg = event.TWMessage;
        return twRc;
    }
    bool FindInCatalog(const std::string& sName)
    {
        TW_IDENTITY id{};
        for (TW_UINT16 MSG = MSG_GETFIRST;; MSG = MSG_GETNEXT) {
            TW_UINT16 twRc = Entry(nullptr, DAT_IDENTITY, MSG, &id);
            if (twRc == TWRC_ENDOFLIST)
                return false;
            EXPECT_EQ(TWRC_SUCCESS, twRc);
            if (twRc != TWRC_SUCCESS)
                return false;
            if (sName == id.ProductName)
                return true;
        }
    }

    HMODULE m_hDsm = nullptr;
    DSMENTRYPROC m_pfn = nullptr;
    CFakeInstall m_fake;
    HWND m_hWnd = nullptr;
    TW_IDENTITY m_app{};
    bool m_bOpen = false;
};

}  // namespace

TEST_F(Dsm, NothingButStatusBeforeTheManagerIsOpen)
{
    TW_IDENTITY id{};
    EXPECT_EQ(TWRC_FAILURE, Entry(nullptr, DAT_IDENTITY, MSG_GETFIRST, &id));
    EXPECT_EQ(TWCC_SEQERROR, ManagerCondition());
    EXPECT_EQ(TWCC_SUCCESS, ManagerCondition());
    EXPECT_EQ(TWRC_FAILURE, m_pfn(nullptr, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &m_hWnd));
    EXPECT_EQ(TWCC_BADPROTOCOL, ManagerCondition());
}

TEST_F(Dsm, OpenAssignsAnIdAndMarksATwain2Manager)
{
    OpenManager();
    EXPECT_NE(0u, m_app.Id);
    EXPECT_TRUE(m_app.SupportedGroups & DF_DSM2);
    EXPECT_EQ(TWRC_FAILURE, Entry(nullptr, DAT_PARENT, MSG_OPENDSM, &m_hWnd));
    EXPECT_EQ(TWCC_SEQERROR, ManagerCondition());
    EXPECT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_PARENT, MSG_CLOSEDSM, &m_hWnd));
    m_bOpen = false;
    EXPECT_EQ(TWRC_FAILURE, Entry(nullptr, DAT_PARENT, MSG_CLOSEDSM, &m_hWnd));
}

TEST_F(Dsm, DiscoveryAsksWithTheApplicationsIdentity)
{
    OpenManager();
    EXPECT_TRUE(FindInCatalog(m_fake.Name()));
    EXPECT_EQ(1, m_fake.CountInLog("identity get origin=app"));
    EXPECT_EQ(0, m_fake.CountInLog("origin=null"));
    // Discovery leaves the source unloaded.
    EXPECT_EQ(nullptr, GetModuleHandleW(m_fake.DsPath().c_str()));
    TW_IDENTITY id{};
    TW_UINT16 twRc = TWRC_SUCCESS;
    for (int i = 0; i < 1000 && twRc == TWRC_SUCCESS; ++i)
        twRc = Entry(nullptr, DAT_IDENTITY, MSG_GETNEXT, &id);
    EXPECT_EQ(TWRC_ENDOFLIST, twRc);
    EXPECT_EQ(TWRC_ENDOFLIST, Entry(nullptr, DAT_IDENTITY, MSG_GETNEXT, &id));
}

TEST_F(Dsm, DiscoveryWithANullOriginWhenAsked)
{
    CScopedEnv env(L"MVLDSM_NULL_ORIGIN", L"1");
    OpenManager();
    EXPECT_TRUE(FindInCatalog(m_fake.Name()));
    EXPECT_EQ(1, m_fake.CountInLog("identity get origin=null"));
    EXPECT_EQ(0, m_fake.CountInLog("identity get origin=app"));
}

TEST_F(Dsm, DefaultAndUserSelectAreTheFirstSource)
{
    OpenManager();
    TW_IDENTITY first{}, def{}, user{};
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_IDENTITY, MSG_GETFIRST, &first));
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_IDENTITY, MSG_GETDEFAULT, &def));
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_IDENTITY, MSG_USERSELECT, &user));
    EXPECT_STREQ(first.ProductName, def.ProductName);
    EXPECT_STREQ(first.ProductName, user.ProductName);
}

TEST_F(Dsm, OpenPassesACopyOfTheApplicationAndCloseUnloads)
{
    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    EXPECT_NE(0u, source.Id);
    EXPECT_NE(m_app.Id, source.Id);
    EXPECT_EQ(m_fake.Name(), source.ProductName);
    EXPECT_STREQ("mvl tests", source.Manufacturer);
    EXPECT_NE(nullptr, GetModuleHandleW(m_fake.DsPath().c_str()));
    char szOpen[96];
    snprintf(szOpen, sizeof(szOpen), "open app=dsm test app appId=%u dsId=%u", m_app.Id, source.Id);
    EXPECT_EQ(1, m_fake.CountInLog(szOpen)) << m_fake.Log();
    char szPtr[64];
    snprintf(szPtr, sizeof(szPtr), "originPtr=%p", static_cast<void*>(&m_app));
    EXPECT_EQ(0, m_fake.CountInLog(szPtr));
    // A source already open is not loaded again by discovery.
    EXPECT_TRUE(FindInCatalog(m_fake.Name()));
    EXPECT_EQ(1, m_fake.CountInLog("identity get"));
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_IDENTITY, MSG_CLOSEDS, &source));
    EXPECT_EQ(nullptr, GetModuleHandleW(m_fake.DsPath().c_str()));
    EXPECT_EQ(TWRC_FAILURE, Entry(nullptr, DAT_IDENTITY, MSG_CLOSEDS, &source));
}

TEST_F(Dsm, UnknownSourceAndRefusedOpen)
{
    OpenManager();
    TW_IDENTITY source{};
    EXPECT_EQ(TWRC_FAILURE, OpenSource("no such source", &source));
    EXPECT_EQ(TWCC_NODS, ManagerCondition());
    m_fake.Set(L"Fault", L"refuseopen");
    EXPECT_EQ(TWRC_FAILURE, OpenSource(m_fake.Name(), &source));
    // The source's own condition, read by the manager before it let the source go.
    EXPECT_EQ(TWCC_MAXCONNECTIONS, ManagerCondition());
    EXPECT_EQ(nullptr, GetModuleHandleW(m_fake.DsPath().c_str()));
}

TEST_F(Dsm, RoutesTripletsToTheOpenSourceOnly)
{
    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(TWRC_SUCCESS, Entry(&source, DAT_CAPABILITY, MSG_GETCURRENT, &cap));
    EXPECT_EQ(TWON_ONEVALUE, cap.ConType);
    auto* pOne = static_cast<TW_ONEVALUE*>(GlobalLock(cap.hContainer));
    ASSERT_NE(nullptr, pOne);
    EXPECT_EQ(TWPT_RGB, pOne->Item);
    GlobalUnlock(cap.hContainer);
    GlobalFree(cap.hContainer);
    // The source's condition comes from the source.
    TW_CAPABILITY bad{0x7777, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(TWRC_FAILURE, Entry(&source, DAT_CAPABILITY, MSG_GET, &bad));
    TW_STATUS status{};
    ASSERT_EQ(TWRC_SUCCESS, Entry(&source, DAT_STATUS, MSG_GET, &status));
    EXPECT_EQ(TWCC_CAPUNSUPPORTED, status.ConditionCode);
    TW_IDENTITY stranger = source;
    stranger.Id += 100;
    EXPECT_EQ(TWRC_FAILURE, Entry(&stranger, DAT_CAPABILITY, MSG_GET, &cap));
    EXPECT_EQ(TWCC_BADDEST, ManagerCondition());
}

TEST_F(Dsm, CallbackRunsAtOnceWhenRegistered)
{
    OpenManager();
    m_fake.Set(L"Notify", L"inline");
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    TW_CALLBACK2 callback{reinterpret_cast<TW_MEMREF>(&RecordCallback), 0x1234, 0};
    ASSERT_EQ(TWRC_SUCCESS, Entry(&source, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &callback));
    TW_USERINTERFACE ui{FALSE, FALSE, m_hWnd};
    ASSERT_EQ(TWRC_SUCCESS, Entry(&source, DAT_USERINTERFACE, MSG_ENABLEDS, &ui));
    EXPECT_EQ(1, g_callback.nCalls);
    EXPECT_EQ(MSG_XFERREADY, g_callback.wMsg);
    EXPECT_EQ(source.Id, g_callback.nOriginId);
    EXPECT_EQ(m_app.Id, g_callback.nDestId);
    EXPECT_EQ(reinterpret_cast<TW_MEMREF>(0x1234), g_callback.pData);
    EXPECT_EQ(1, m_fake.CountInLog("notify rc=0"));
    // Nothing is held: the event goes to the source.
    TW_UINT16 wMsg = 0xFFFF;
    EXPECT_EQ(TWRC_NOTDSEVENT, ProcessEvent(&source, &wMsg));
    EXPECT_EQ(MSG_NULL, wMsg);
}

TEST_F(Dsm, WithoutCallbackTheMessageIsHeldAndTheWindowWoken)
{
    OpenManager();
    m_fake.Set(L"Notify", L"inline");
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
    }
    TW_USERINTERFACE ui{FALSE, FALSE, m_hWnd};
    ASSERT_EQ(TWRC_SUCCESS, Entry(&source, DAT_USERINTERFACE, MSG_ENABLEDS, &ui));
    ASSERT_TRUE(PeekMessageW(&msg, m_hWnd, WM_NULL, WM_NULL, PM_REMOVE));
    TW_UINT16 wMsg = MSG_NULL;
    EXPECT_EQ(TWRC_DSEVENT, ProcessEvent(&source, &wMsg));
    EXPECT_EQ(MSG_XFERREADY, wMsg);
    // Handed over once; the next event is the source's again.
    EXPECT_EQ(0, m_fake.CountInLog("msg=0x0601"));
    EXPECT_EQ(TWRC_NOTDSEVENT, ProcessEvent(&source, &wMsg));
    EXPECT_EQ(1, m_fake.CountInLog("msg=0x0601"));
}

TEST_F(Dsm, WithoutAWindowNothingIsPostedAndTheMessageWaits)
{
    // A console program's window (null under Wine): nothing to wake, and no thread message either.
    HWND hNone = nullptr;
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_PARENT, MSG_OPENDSM, &hNone));
    m_bOpen = true;
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(TWRC_SUCCESS, FromSource(&source, MSG_XFERREADY));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_REMOVE));
    TW_UINT16 wMsg = MSG_NULL;
    EXPECT_EQ(TWRC_DSEVENT, ProcessEvent(&source, &wMsg));
    EXPECT_EQ(MSG_XFERREADY, wMsg);
}

TEST_F(Dsm, OneHeldMessagePerSourceTheLaterWins)
{
    OpenManager();
    CFakeInstall second;
    ASSERT_TRUE(second.Installed());
    TW_IDENTITY a{}, b{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &a));
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(second.Name(), &b));
    EXPECT_EQ(TWRC_SUCCESS, FromSource(&a, MSG_XFERREADY));
    EXPECT_EQ(TWRC_SUCCESS, FromSource(&a, MSG_CLOSEDSREQ));
    EXPECT_EQ(TWRC_SUCCESS, FromSource(&b, MSG_CLOSEDSOK));
    TW_UINT16 wMsg = MSG_NULL;
    EXPECT_EQ(TWRC_DSEVENT, ProcessEvent(&a, &wMsg));
    EXPECT_EQ(MSG_CLOSEDSREQ, wMsg);
    EXPECT_EQ(TWRC_NOTDSEVENT, ProcessEvent(&a, &wMsg));
    EXPECT_EQ(TWRC_DSEVENT, ProcessEvent(&b, &wMsg));
    EXPECT_EQ(MSG_CLOSEDSOK, wMsg);
    EXPECT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_IDENTITY, MSG_CLOSEDS, &b));
}

TEST_F(Dsm, SourcesMayOnlySendTheFourNotifications)
{
    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    EXPECT_EQ(TWRC_FAILURE, FromSource(&source, MSG_ENABLEDS));
    EXPECT_EQ(TWCC_BADPROTOCOL, ManagerCondition());
    EXPECT_EQ(TWRC_SUCCESS, FromSource(&source, MSG_DEVICEEVENT));
    TW_IDENTITY app = m_app;
    app.Id += 100;
    EXPECT_EQ(TWRC_FAILURE, m_pfn(&source, &app, DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr));
    EXPECT_EQ(TWRC_FAILURE, m_pfn(&source, nullptr, DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr));
}

TEST_F(Dsm, EntryPointGivesTheManagersMemoryFunctions)
{
    OpenManager();
    TW_ENTRYPOINT ep{};
    ep.Size = sizeof(ep);
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_ENTRYPOINT, MSG_GET, &ep));
    EXPECT_EQ(reinterpret_cast<void*>(m_pfn), reinterpret_cast<void*>(ep.DSM_Entry));
    auto pfnAlloc = reinterpret_cast<TW_HANDLE(TW_CALLINGSTYLE*)(TW_UINT32)>(ep.DSM_MemAllocate);
    auto pfnLock = reinterpret_cast<TW_MEMREF(TW_CALLINGSTYLE*)(TW_HANDLE)>(ep.DSM_MemLock);
    auto pfnUnlock = reinterpret_cast<void(TW_CALLINGSTYLE*)(TW_HANDLE)>(ep.DSM_MemUnlock);
    auto pfnFree = reinterpret_cast<void(TW_CALLINGSTYLE*)(TW_HANDLE)>(ep.DSM_MemFree);
    ASSERT_TRUE(pfnAlloc && pfnLock && pfnUnlock && pfnFree);
    TW_HANDLE h = pfnAlloc(100);
    ASSERT_NE(nullptr, h);
    EXPECT_GE(GlobalSize(h), 100u);
    auto* p = static_cast<unsigned char*>(pfnLock(h));
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(0, p[99]);
    pfnUnlock(h);
    pfnFree(h);
    EXPECT_EQ(TWRC_FAILURE, Entry(nullptr, DAT_ENTRYPOINT, MSG_GET, nullptr));
}

TEST_F(Dsm, Twain2SourcesGetTheEntryPointBeforeTheyOpen)
{
    OpenManager();
    m_fake.Set(L"DS2", L"1");
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    std::string sLog = m_fake.Log();
    size_t nEntry = sLog.find("entrypoint set");
    ASSERT_NE(std::string::npos, nEntry);
    EXPECT_LT(nEntry, sLog.find("open app="));
}

TEST_F(Dsm, ClosingTheManagerWalksOpenSourcesDown)
{
    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(TWRC_SUCCESS, OpenSource(m_fake.Name(), &source));
    TW_USERINTERFACE ui{FALSE, FALSE, m_hWnd};
    ASSERT_EQ(TWRC_SUCCESS, Entry(&source, DAT_USERINTERFACE, MSG_ENABLEDS, &ui));
    m_fake.ClearLog();
    ASSERT_EQ(TWRC_SUCCESS, Entry(nullptr, DAT_PARENT, MSG_CLOSEDSM, &m_hWnd));
    m_bOpen = false;
    std::string sLog = m_fake.Log();
    size_t nEnd = sLog.find("dat=0x0005 msg=0x0701");
    size_t nReset = sLog.find("dat=0x0005 msg=0x0007");
    size_t nDisable = sLog.find("dat=0x0009 msg=0x0501");
    size_t nClose = sLog.find("dat=0x0003 msg=0x0402");
    ASSERT_NE(std::string::npos, nClose) << sLog;
    EXPECT_LT(nEnd, nReset);
    EXPECT_LT(nReset, nDisable);
    EXPECT_LT(nDisable, nClose);
    EXPECT_EQ(1, m_fake.CountInLog("close"));
    EXPECT_EQ(nullptr, GetModuleHandleW(m_fake.DsPath().c_str()));
}
