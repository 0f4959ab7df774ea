#include "settings/CfgFile.h"

#include <algorithm>
#include <cstring>

CfgFile::~CfgFile()
{
    // Move every descendant into one flat list before it dies, so destruction is not recursive.
    std::vector<std::unique_ptr<CfgFile>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<CfgFile> pNode = std::move(pending.back());
        pending.pop_back();
        for (auto& pChild : pNode->m_children)
            pending.push_back(std::move(pChild));
        pNode->m_children.clear();
    }
}

std::unique_ptr<CfgFile> MakeNewCfgRoot(const std::string& szVersion)
{
    auto pRoot = std::make_unique<CfgFile>();
    pRoot->m_szName = "cfgobj";
    pRoot->m_szType = "null";

    auto pVersion = std::make_unique<CfgFile>();
    pVersion->m_szName = "version";
    pVersion->m_szType = "string";
    pVersion->m_nDataLen = static_cast<int32_t>(szVersion.size() + 1);
    pVersion->m_data.assign(szVersion.size() + 1 + kCfgDataSlack, 0);
    std::copy(szVersion.begin(), szVersion.end(), pVersion->m_data.begin());
    pVersion->m_pParent = pRoot.get();

    pRoot->m_children.push_back(std::move(pVersion));
    pRoot->m_nChildCount = 1;
    return pRoot;
}

bool CfgTreesEqual(const CfgFile& a, const CfgFile& b)
{
    if (a.m_szName != b.m_szName || a.m_szType != b.m_szType || a.m_nChildCount != b.m_nChildCount ||
        a.m_nDataLen != b.m_nDataLen || a.m_children.size() != b.m_children.size())
        return false;
    if (a.m_nDataLen > 0 &&
        std::memcmp(a.m_data.data(), b.m_data.data(), static_cast<size_t>(a.m_nDataLen)) != 0)
        return false;
    for (size_t i = 0; i < a.m_children.size(); ++i)
        if (!CfgTreesEqual(*a.m_children[i], *b.m_children[i]))
            return false;
    return true;
}
