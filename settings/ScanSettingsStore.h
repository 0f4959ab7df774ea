// The user's scan settings in one settings file: named settings under "savesetting" and the
// current one under "cursetting", each a scan-parameter record stored byte for byte. The
// record is opaque here; its layout belongs to the scan parameters.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kScanParamBytes = 616;
using ScanParamBlob = std::array<uint8_t, kScanParamBytes>;

// Longer names are refused by every operation; the dialog itself allows 16 characters.
constexpr size_t kMaxSettingNameChars = 40;

class CScanSettingsStore {
public:
    explicit CScanSettingsStore(std::wstring szFilePath) : m_szFilePath(std::move(szFilePath)) {}

    const std::wstring& FilePath() const { return m_szFilePath; }

    // Loads or creates the file, starts afresh when it was made under another profile
    // "Version" or cannot be read, and adds the containers that are missing.
    bool PrepareFile() const;

    // A setting saved again under its name replaces the old one and moves to the end.
    bool SaveNamed(const std::wstring& szName, const ScanParamBlob& record) const;
    bool LoadNamed(const std::wstring& szName, ScanParamBlob& record) const;
    bool DeleteNamed(const std::wstring& szName) const;
    // Without pNames the number of named settings; with it, up to nMax names in file order
    // and how many were filled. -1 when the file cannot be read.
    int ListNamed(std::vector<std::wstring>* pNames, int nMax) const;

    bool ReadCurrent(std::wstring& szName, ScanParamBlob& record) const;
    bool WriteCurrent(const std::wstring& szName, const ScanParamBlob& record) const;

private:
    std::wstring m_szFilePath;
};

// The settings file name: file-output mode keeps its own settings.
const wchar_t* SettingsFileName(bool bFileOutputMode);
