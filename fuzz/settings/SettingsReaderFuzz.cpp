// Feeds arbitrary bytes to the settings file reader. Whatever it accepts must be a well-formed
// tree, and writing that tree and reading it again must give the same tree (the only excuse
// being a header that grows past the tag buffer when written with the full key names).
#include "settings/CfgFileHlper.h"
#include "settings/CfgReader.h"
#include "settings/CfgWriter.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool bOk)
{
    if (!bOk)
        std::abort();
}

void CheckTree(const CfgFile& obj, const CfgFile* pParent, int nDepth)
{
    Require(obj.m_pParent == pParent);
    Require(nDepth <= kCfgMaxDepth);
    Require(obj.m_szName.size() <= kCfgMaxNameBytes && obj.m_szType.size() <= kCfgMaxNameBytes);
    Require(obj.m_nDataLen >= 0 && obj.m_nChildCount >= 0);
    if (obj.m_nDataLen > 0) {
        Require(obj.m_data.size() == static_cast<size_t>(obj.m_nDataLen) + kCfgDataSlack);
        Require(obj.m_children.empty());
        for (size_t i = static_cast<size_t>(obj.m_nDataLen); i < obj.m_data.size(); ++i)
            Require(obj.m_data[i] == 0);
    } else {
        Require(obj.m_data.empty());
    }
    for (const auto& pChild : obj.m_children)
        CheckTree(*pChild, &obj, nDepth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CfgParseResult parsed = ParseCfg(std::span(pData, nSize));
    Require((parsed.m_pRoot != nullptr) == (parsed.m_eError == CfgParseError::None));
    if (!parsed.m_pRoot)
        return 0;
    CheckTree(*parsed.m_pRoot, nullptr, 1);

    const std::vector<char> buf = SerializeCfg(*parsed.m_pRoot);
    CfgParseResult again = ParseCfg(std::span(reinterpret_cast<const uint8_t*>(buf.data()), buf.size()));
    if (again.m_pRoot)
        Require(CfgTreesEqual(*again.m_pRoot, *parsed.m_pRoot));
    else
        Require(again.m_eError == CfgParseError::TagTooLong);

    CfgFileHlper hlp;
    std::vector<std::wstring> names;
    hlp.ListNames(parsed.m_pRoot.get(), names, 64);
    if (CfgFile* pScan = hlp.Find(parsed.m_pRoot.get(), L"ScanParam", true))
        hlp.Remove(pScan, L"cursetting", false);
    return 0;
}
