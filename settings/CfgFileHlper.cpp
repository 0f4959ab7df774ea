#include "settings/CfgFileHlper.h"

#include "settings/CfgWriter.h"
#include "settings/FileIo.h"
#include "settings/SettingsProfile.h"
#include "settings/WideUtf8.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxTypeBytes = 31;  // keeps every header inside the reader's tag buffer

CfgFile* FindDeep(CfgFile* pObj, const std::string& szName)
{
    if (pObj->m_szName == szName)
        return pObj;
    for (auto& pChild : pObj->m_children)
        if (CfgFile* pFound = FindDeep(pChild.get(), szName))
            return pFound;
    return nullptr;
}

// Depth first in list order, like Find: a child, then its descendants, then the next child.
bool RemoveDeep(CfgFile* pObj, const std::string& szName, bool bDirect)
{
    auto& children = pObj->m_children;
    for (auto it = children.begin(); it != children.end(); ++it) {
        if ((*it)->m_szName == szName) {
            children.erase(it);
            --pObj->m_nChildCount;
            return true;
        }
        if (!bDirect && RemoveDeep(it->get(), szName, false))
            return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> CfgFileHlper::NameToUtf8(const wchar_t* szName)
{
    if (!szName)
        return std::nullopt;
    std::optional<std::string> szUtf8 = WideToUtf8(szName);
    if (!szUtf8 || szUtf8->empty() || szUtf8->size() > kCfgMaxNameBytes)
        return std::nullopt;
    return szUtf8;
}

bool CfgFileHlper::IsStorableName(const std::string& szUtf8)
{
    const bool bAllCommas = szUtf8.find_first_not_of(',') == std::string::npos;
    if (!bAllCommas && szUtf8.find(',') != std::string::npos)
        return false;
    for (size_t nGt = szUtf8.find('>'); nGt != std::string::npos; nGt = szUtf8.find('>', nGt + 1)) {
        const std::string_view szBefore(szUtf8.data(), nGt);
        if (szBefore.find("endobj") != std::string_view::npos || szBefore.find("childobjs") != std::string_view::npos)
            return false;
    }
    return true;
}

bool CfgFileHlper::IsStorableType(const char* szType)
{
    if (!szType)
        return false;
    const size_t n = std::strlen(szType);
    return n <= kMaxTypeBytes && std::all_of(szType, szType + n, [](char c) {
               return c > ' ' && c < 0x7F && c != ',' && c != '<' && c != '>';
           });
}

std::unique_ptr<CfgDocument> CfgFileHlper::Load(const std::wstring& szPath, CfgLoadStatus* pStatus) const
{
    CfgLoadStatus eStatus = CfgLoadStatus::Ok;
    CfgLoadStatus& status = pStatus ? *pStatus : eStatus;
    if (!FileExistsW(szPath)) {
        CfgDocument newDoc{szPath, MakeNewCfgRoot(CurrentSettingsVersion())};
        if (!Save(&newDoc)) {
            status = CfgLoadStatus::CannotCreate;
            return nullptr;
        }
    }
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(szPath, "r+b", kCfgMaxFileBytes, bytes)) {
    case FileReadStatus::Ok: break;
    case FileReadStatus::TooLarge: status = CfgLoadStatus::TooLarge; return nullptr;
    default: status = CfgLoadStatus::CannotOpen; return nullptr;
    }
    CfgParseResult parsed = ParseCfg(bytes);
    if (!parsed.m_pRoot) {
        status = CfgLoadStatus::Corrupt;
        return nullptr;
    }
    status = CfgLoadStatus::Ok;
    return std::make_unique<CfgDocument>(CfgDocument{szPath, std::move(parsed.m_pRoot)});
}

bool CfgFileHlper::Save(const CfgDocument* pDoc) const
{
    if (!pDoc || !pDoc->m_pRoot || pDoc->m_szPath.empty())
        return false;
    const std::vector<char> buf = SerializeCfg(*pDoc->m_pRoot);
    return WriteFileAtomically(pDoc->m_szPath, std::span(reinterpret_cast<const uint8_t*>(buf.data()), buf.size()));
}

void CfgFileHlper::Free(std::unique_ptr<CfgDocument>& pDoc) const
{
    pDoc.reset();
}

CfgFile* CfgFileHlper::Find(CfgFile* pObj, const wchar_t* szName, bool bDirect) const
{
    const std::optional<std::string> szUtf8 = NameToUtf8(szName);
    if (!pObj || !szUtf8)
        return nullptr;
    if (!bDirect)
        return FindDeep(pObj, *szUtf8);
    for (auto& pChild : pObj->m_children)
        if (pChild->m_szName == *szUtf8)
            return pChild.get();
    return nullptr;
}

CfgFile* CfgFileHlper::Add(CfgFile* pObj, const wchar_t* szName, const char* szType, const void* pData,
                           int32_t nLen) const
{
    const std::optional<std::string> szUtf8 = NameToUtf8(szName);
    // An object holds children or data, never both; a length must come with its bytes and
    // stay within what a settings file may hold.
    if (!pObj || pObj->m_nDataLen > 0 || !szUtf8 || !IsStorableName(*szUtf8) || !IsStorableType(szType) ||
        nLen < 0 || static_cast<size_t>(nLen) > kCfgMaxFileBytes || (nLen > 0 && !pData))
        return nullptr;
    auto pChild = std::make_unique<CfgFile>();
    pChild->m_szName = *szUtf8;
    pChild->m_szType = szType;
    pChild->m_nDataLen = nLen;
    if (nLen > 0) {
        pChild->m_data.assign(static_cast<size_t>(nLen) + kCfgDataSlack, 0);
        std::memcpy(pChild->m_data.data(), pData, static_cast<size_t>(nLen));
    }
    pChild->m_pParent = pObj;
    pObj->m_children.push_back(std::move(pChild));
    ++pObj->m_nChildCount;
    return pObj->m_children.back().get();
}

bool CfgFileHlper::Remove(CfgFile* pObj, const wchar_t* szName, bool bDirect) const
{
    const std::optional<std::string> szUtf8 = NameToUtf8(szName);
    return pObj && szUtf8 && RemoveDeep(pObj, *szUtf8, bDirect);
}

int CfgFileHlper::ListNames(const CfgFile* pObj, std::vector<std::wstring>& names, int nMax) const
{
    names.clear();
    if (!pObj || nMax <= 0)
        return 0;
    for (const auto& pChild : pObj->m_children) {
        if (static_cast<int>(names.size()) >= nMax)
            break;
        names.push_back(Utf8ToWide(pChild->m_szName));
    }
    return static_cast<int>(names.size());
}

bool CfgFileHlper::Name(const CfgFile* pObj, std::wstring& szName) const
{
    if (!pObj)
        return false;
    szName = Utf8ToWide(pObj->m_szName);
    return true;
}

std::string CfgDataText(const CfgFile& obj)
{
    if (obj.m_nDataLen <= 0)
        return std::string();
    const auto* pBegin = reinterpret_cast<const char*>(obj.m_data.data());
    const auto* pEnd = pBegin + obj.m_nDataLen;
    return std::string(pBegin, std::find(pBegin, pEnd, '\0'));
}
