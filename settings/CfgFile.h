// The tree of a settings file: named objects that hold either children or raw data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Names and types are stored in 128-byte fields with a terminating zero.
constexpr size_t kCfgFieldBytes = 128;
constexpr size_t kCfgMaxNameBytes = kCfgFieldBytes - 1;
// Data buffers carry this many zero bytes beyond the data, so text data is always terminated.
constexpr size_t kCfgDataSlack = 32;

struct CfgFile {
    std::string m_szName;        // UTF-8, at most kCfgMaxNameBytes
    std::string m_szType;        // "null", "string" or "binary" in the settings files
    int32_t m_nChildCount = 0;   // as read from the file, then kept in step by add and remove
    int32_t m_nDataLen = 0;
    std::vector<uint8_t> m_data; // m_nDataLen + kCfgDataSlack bytes, or empty when m_nDataLen <= 0
    CfgFile* m_pParent = nullptr;
    std::vector<std::unique_ptr<CfgFile>> m_children;

    CfgFile() = default;
    CfgFile(const CfgFile&) = delete;
    CfgFile& operator=(const CfgFile&) = delete;
    // Deep trees from corrupt files are refused by the reader; still, unlink iteratively so
    // freeing never depends on the depth of the tree.
    ~CfgFile();
};

struct CfgDocument {
    std::wstring m_szPath;
    std::unique_ptr<CfgFile> m_pRoot;
};

// A new file: the root "cfgobj" with its one "version" child holding szVersion and its zero.
std::unique_ptr<CfgFile> MakeNewCfgRoot(const std::string& szVersion);

// Structural equality (names, types, counts, data, children), for checks and tests.
bool CfgTreesEqual(const CfgFile& a, const CfgFile& b);
