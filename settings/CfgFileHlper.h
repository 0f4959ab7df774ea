// The operations through which all settings code reads and changes a settings file: the file is
// read whole into a tree, changed there and written back whole.
#pragma once

#include "settings/CfgFile.h"
#include "settings/CfgReader.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class CfgLoadStatus { Ok, CannotCreate, CannotOpen, TooLarge, Corrupt };

// Settings files hold a few kilobytes; a file far larger is not one of ours.
constexpr size_t kCfgMaxFileBytes = 16u << 20;

class CfgFileHlper {
public:
    // A missing file is first created as a new file (root and "version") and written.
    std::unique_ptr<CfgDocument> Load(const std::wstring& szPath, CfgLoadStatus* pStatus = nullptr) const;
    // Writes the whole tree; the old file stays intact until the new one is complete.
    bool Save(const CfgDocument* pDoc) const;
    void Free(std::unique_ptr<CfgDocument>& pDoc) const;

    // Direct: the first child of that name. Otherwise the object itself or the first
    // descendant of that name, depth first in list order.
    CfgFile* Find(CfgFile* pObj, const wchar_t* szName, bool bDirect) const;
    // Appends a child holding copies of name, type and nLen bytes of pData (null with 0).
    CfgFile* Add(CfgFile* pObj, const wchar_t* szName, const char* szType, const void* pData, int32_t nLen) const;
    bool Remove(CfgFile* pObj, const wchar_t* szName, bool bDirect) const;
    // Up to nMax children's names, in list order.
    int ListNames(const CfgFile* pObj, std::vector<std::wstring>& names, int nMax) const;
    bool Name(const CfgFile* pObj, std::wstring& szName) const;

    // The UTF-8 form of a name, or none when it cannot be stored (empty, too long, not text).
    static std::optional<std::string> NameToUtf8(const wchar_t* szName);
    // Whether the reader gives the name back unchanged: its value split keeps only names
    // without commas or made only of commas, and a ">" after "endobj" or "childobjs" would
    // close the tag early.
    static bool IsStorableName(const std::string& szUtf8);
    static bool IsStorableType(const char* szType);
};

std::string CfgDataText(const CfgFile& obj);
