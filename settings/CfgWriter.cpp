#include "settings/CfgWriter.h"

#include <cstdio>

namespace {

// 512 bytes per object plus its data, rounded down to a multiple of 1024, plus 1024: the
// buffer usually needs no growth, and grows safely when an estimate falls short.
size_t EstimateBytes(const CfgFile& root)
{
    size_t nTotal = 0;
    std::vector<const CfgFile*> pending{&root};
    while (!pending.empty()) {
        const CfgFile* pObj = pending.back();
        pending.pop_back();
        nTotal += 512 + static_cast<size_t>(pObj->m_nDataLen > 0 ? pObj->m_nDataLen : 0);
        for (const auto& pChild : pObj->m_children)
            pending.push_back(pChild.get());
    }
    return nTotal / 1024 * 1024 + 1024;
}

void AppendObject(std::vector<char>& buf, const CfgFile& obj)
{
    const std::string szHeader = CfgHeaderTag(obj);
    buf.insert(buf.end(), szHeader.begin(), szHeader.end());
    if (obj.m_nDataLen > 0)
        buf.insert(buf.end(), obj.m_data.begin(), obj.m_data.begin() + obj.m_nDataLen);
    else
        for (const auto& pChild : obj.m_children)
            AppendObject(buf, *pChild);
    static constexpr char kEnd[] = "<endobj>\n";
    buf.insert(buf.end(), kEnd, kEnd + sizeof kEnd - 1);
}

}  // namespace

std::string CfgHeaderTag(const CfgFile& obj)
{
    const char* szFormat = obj.m_nDataLen > 0 ? "<%s:%s,%s:%s,%s:%d,%s:%d>" : "<%s:%s,%s:%s,%s:%d,%s:%d>\n";
    const int n = std::snprintf(nullptr, 0, szFormat, "object", obj.m_szName.c_str(), "type", obj.m_szType.c_str(),
                                "len", obj.m_nDataLen, "childobjs", obj.m_nChildCount);
    std::string szTag(static_cast<size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(szTag.data(), szTag.size() + 1, szFormat, "object", obj.m_szName.c_str(), "type",
                  obj.m_szType.c_str(), "len", obj.m_nDataLen, "childobjs", obj.m_nChildCount);
    return szTag;
}

std::vector<char> SerializeCfg(const CfgFile& root)
{
    std::vector<char> buf;
    buf.reserve(EstimateBytes(root));
    AppendObject(buf, root);
    return buf;
}
