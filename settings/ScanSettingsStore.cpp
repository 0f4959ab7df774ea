#include "settings/ScanSettingsStore.h"

#include "settings/CfgFileHlper.h"
#include "settings/FileIo.h"
#include "settings/SettingsProfile.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr const wchar_t* kContainers[] = {L"savesetting", L"cursetting", L"cuspapersetting"};

bool IsNameAllowed(const std::wstring& szName)
{
    return !szName.empty() && szName.size() <= kMaxSettingNameChars;
}

// The loaded file and one container of "ScanParam"; pContainer is null when either is missing.
struct COpenedContainer {
    std::unique_ptr<CfgDocument> m_pDoc;
    CfgFile* m_pContainer = nullptr;
};

COpenedContainer OpenContainer(const std::wstring& szPath, const wchar_t* szContainer)
{
    CfgFileHlper hlp;
    COpenedContainer opened;
    opened.m_pDoc = hlp.Load(szPath);
    if (!opened.m_pDoc)
        return opened;
    CfgFile* pScanParam = hlp.Find(opened.m_pDoc->m_pRoot.get(), L"ScanParam", true);
    CfgFile* pContainer = hlp.Find(pScanParam, szContainer, true);
    // A container that holds data instead of children is not one.
    if (pContainer && pContainer->m_nDataLen <= 0)
        opened.m_pContainer = pContainer;
    return opened;
}

bool IsRecord(const CfgFile* pObj)
{
    return pObj && pObj->m_nDataLen == static_cast<int32_t>(kScanParamBytes);
}

bool HasCurrentVersion(const CfgFile& root)
{
    const auto it = std::find_if(root.m_children.begin(), root.m_children.end(),
                                 [](const auto& pChild) { return pChild->m_szName == "version"; });
    return it != root.m_children.end() && CfgDataText(**it) == CurrentSettingsVersion();
}

// An existing container that holds data is replaced by an empty one.
CfgFile* EnsureContainer(CfgFile* pParent, const wchar_t* szName)
{
    CfgFileHlper hlp;
    CfgFile* pObj = hlp.Find(pParent, szName, true);
    if (pObj && pObj->m_nDataLen > 0) {
        hlp.Remove(pParent, szName, true);
        pObj = nullptr;
    }
    return pObj ? pObj : hlp.Add(pParent, szName, "null", nullptr, 0);
}

}  // namespace

const wchar_t* SettingsFileName(bool bFileOutputMode)
{
    return bFileOutputMode ? L"APPsettings.dat" : L"settings.dat";
}

bool CScanSettingsStore::PrepareFile() const
{
    CfgFileHlper hlp;
    CfgLoadStatus eStatus = CfgLoadStatus::Ok;
    std::unique_ptr<CfgDocument> pDoc = hlp.Load(m_szFilePath, &eStatus);
    // A file of another version, or one that cannot be read as a settings file, is discarded
    // whole; an unreachable file is left alone.
    const bool bDiscard = pDoc ? !HasCurrentVersion(*pDoc->m_pRoot) : eStatus == CfgLoadStatus::Corrupt;
    if (bDiscard) {
        hlp.Free(pDoc);
        if (!RemoveFileW(m_szFilePath))
            return false;
        pDoc = hlp.Load(m_szFilePath);
    }
    if (!pDoc)
        return false;
    CfgFile* pScanParam = EnsureContainer(pDoc->m_pRoot.get(), L"ScanParam");
    if (!pScanParam)
        return false;
    for (const wchar_t* szContainer : kContainers)
        if (!EnsureContainer(pScanParam, szContainer))
            return false;
    return hlp.Save(pDoc.get());
}

bool CScanSettingsStore::SaveNamed(const std::wstring& szName, const ScanParamBlob& record) const
{
    if (!IsNameAllowed(szName))
        return false;
    CfgFileHlper hlp;
    COpenedContainer opened = OpenContainer(m_szFilePath, L"savesetting");
    if (!opened.m_pContainer)
        return false;
    hlp.Remove(opened.m_pContainer, szName.c_str(), true);
    return hlp.Add(opened.m_pContainer, szName.c_str(), "binary", record.data(), kScanParamBytes) &&
           hlp.Save(opened.m_pDoc.get());
}

bool CScanSettingsStore::LoadNamed(const std::wstring& szName, ScanParamBlob& record) const
{
    if (!IsNameAllowed(szName))
        return false;
    CfgFileHlper hlp;
    COpenedContainer opened = OpenContainer(m_szFilePath, L"savesetting");
    const CfgFile* pSetting = hlp.Find(opened.m_pContainer, szName.c_str(), true);
    if (!IsRecord(pSetting))
        return false;
    std::memcpy(record.data(), pSetting->m_data.data(), kScanParamBytes);
    return true;
}

bool CScanSettingsStore::DeleteNamed(const std::wstring& szName) const
{
    if (!IsNameAllowed(szName))
        return false;
    CfgFileHlper hlp;
    COpenedContainer opened = OpenContainer(m_szFilePath, L"savesetting");
    return opened.m_pContainer && hlp.Remove(opened.m_pContainer, szName.c_str(), true) &&
           hlp.Save(opened.m_pDoc.get());
}

int CScanSettingsStore::ListNamed(std::vector<std::wstring>* pNames, int nMax) const
{
    CfgFileHlper hlp;
    COpenedContainer opened = OpenContainer(m_szFilePath, L"savesetting");
    if (!opened.m_pContainer)
        return -1;
    if (!pNames)
        return static_cast<int>(std::min<size_t>(opened.m_pContainer->m_children.size(), INT_MAX));
    return hlp.ListNames(opened.m_pContainer, *pNames, nMax);
}

bool CScanSettingsStore::ReadCurrent(std::wstring& szName, ScanParamBlob& record) const
{
    CfgFileHlper hlp;
    COpenedContainer opened = OpenContainer(m_szFilePath, L"cursetting");
    if (!opened.m_pContainer || opened.m_pContainer->m_children.empty())
        return false;
    const CfgFile* pCurrent = opened.m_pContainer->m_children.front().get();
    if (!IsRecord(pCurrent) || !hlp.Name(pCurrent, szName))
        return false;
    std::memcpy(record.data(), pCurrent->m_data.data(), kScanParamBytes);
    return true;
}

bool CScanSettingsStore::WriteCurrent(const std::wstring& szName, const ScanParamBlob& record) const
{
    if (!IsNameAllowed(szName))
        return false;
    CfgFileHlper hlp;
    COpenedContainer opened = OpenContainer(m_szFilePath, L"cursetting");
    if (!opened.m_pContainer)
        return false;
    // The current setting is the first child whatever its name; replace it.
    auto& children = opened.m_pContainer->m_children;
    if (!children.empty()) {
        children.erase(children.begin());
        --opened.m_pContainer->m_nChildCount;
    }
    return hlp.Add(opened.m_pContainer, szName.c_str(), "binary", record.data(), kScanParamBytes) &&
           hlp.Save(opened.m_pDoc.get());
}
