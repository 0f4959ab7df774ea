#include "settings/CfgReader.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

namespace {

// A value may hold a run of commas: when a "," follows the ":" directly, the run belongs to
// the value, all but its last comma, looking at most this far ahead.
constexpr size_t kCommaLookahead = 130;
// Room for the text, the "," appended on closing and the terminating zero.
constexpr size_t kMaxTagText = kCfgTagBuffer - 2;

struct CHeaderFields {
    std::string_view m_name, m_type, m_len, m_count;
};

// Finds the next value after pos; false when there is none or it does not fit its field.
bool NextValue(std::string_view szText, size_t& pos, std::string_view& value)
{
    const size_t nColon = szText.find(':', pos);
    if (nColon == std::string_view::npos)
        return false;
    const size_t nStart = nColon + 1;
    if (nStart < szText.size() && szText[nStart] == ',') {
        size_t nRun = 0;
        while (nRun < kCommaLookahead && nStart + nRun < szText.size() && szText[nStart + nRun] == ',')
            ++nRun;
        value = szText.substr(nStart, nRun - 1);
        pos = nStart + nRun;
    } else {
        const size_t nComma = szText.find(',', nStart);
        if (nComma == std::string_view::npos)
            return false;
        value = szText.substr(nStart, nComma - nStart);
        pos = nComma + 1;
    }
    return value.size() <= kCfgMaxNameBytes;
}

bool SplitHeader(std::string_view szText, CHeaderFields& fields)
{
    size_t pos = 0;
    return NextValue(szText, pos, fields.m_name) && NextValue(szText, pos, fields.m_type) &&
           NextValue(szText, pos, fields.m_len) && NextValue(szText, pos, fields.m_count);
}

bool ParseInt(std::string_view szValue, int32_t& nOut)
{
    if (!szValue.empty() && szValue.front() == '+')
        szValue.remove_prefix(1);
    const char* pEnd = szValue.data() + szValue.size();
    const auto [ptr, ec] = std::from_chars(szValue.data(), pEnd, nOut);
    return ec == std::errc() && ptr == pEnd && !szValue.empty();
}

class CCfgParser {
public:
    explicit CCfgParser(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    CfgParseResult Run()
    {
        while (m_nPos < m_bytes.size() && m_eError == CfgParseError::None)
            Step();
        if (m_eError == CfgParseError::None)
            CheckEnd();
        CfgParseResult result;
        result.m_eError = m_eError;
        result.m_nOffset = m_nPos;
        if (m_eError == CfgParseError::None)
            result.m_pRoot = std::move(m_pRoot);
        return result;
    }

private:
    void Step()
    {
        if (m_nDataLeft > 0) {
            TakeData();
            return;
        }
        const char c = static_cast<char>(m_bytes[m_nPos++]);
        if (!m_bInTag) {
            if (c == '<') {
                m_bInTag = true;
                m_szTag.clear();
            }
            return;
        }
        const bool bCloses = c == '>' && (m_szTag.find("childobjs") != std::string::npos ||
                                          m_szTag.find("endobj") != std::string::npos);
        if (bCloses) {
            m_bInTag = false;
            m_szTag += ',';
            CloseTag();
        } else if (m_szTag.size() >= kMaxTagText) {
            m_eError = CfgParseError::TagTooLong;
        } else if (c == '\0') {
            // Names and types live in zero-terminated fields; a zero inside a tag is not ours.
            m_eError = CfgParseError::MalformedHeader;
        } else {
            m_szTag += c;
        }
    }

    void TakeData()
    {
        const size_t nTake = std::min(m_nDataLeft, m_bytes.size() - m_nPos);
        const size_t nDone = static_cast<size_t>(m_pCurrent->m_nDataLen) - m_nDataLeft;
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_nPos), nTake,
                    m_pCurrent->m_data.begin() + static_cast<std::ptrdiff_t>(nDone));
        m_nPos += nTake;
        m_nDataLeft -= nTake;
    }

    void CloseTag()
    {
        if (m_szTag.starts_with("endobj"))
            CloseObject();
        else if (m_szTag.starts_with("object"))
            OpenObject();
        else
            m_eError = CfgParseError::NotObjectTag;
    }

    void CloseObject()
    {
        if (!m_pRoot) {
            m_eError = CfgParseError::EndBeforeObject;
            return;
        }
        // The count in the header is only a claim; the children read are what the tree holds,
        // and add and remove keep the two equal from here on.
        m_pCurrent->m_nChildCount = static_cast<int32_t>(m_pCurrent->m_children.size());
        // Surplus end tags leave the root current, as they always have.
        if (m_nDepth > 0)
            --m_nDepth;
        if (m_pCurrent->m_pParent)
            m_pCurrent = m_pCurrent->m_pParent;
    }

    void OpenObject();
    bool CheckHeaderNumbers(int32_t nLen, int32_t nCount);
    void CheckEnd();

    std::span<const uint8_t> m_bytes;
    size_t m_nPos = 0;
    bool m_bInTag = false;
    std::string m_szTag;
    std::unique_ptr<CfgFile> m_pRoot;
    CfgFile* m_pCurrent = nullptr;
    int m_nDepth = 0;  // open objects; 0 again once the root is closed
    size_t m_nDataLeft = 0;
    CfgParseError m_eError = CfgParseError::None;
};

bool CCfgParser::CheckHeaderNumbers(int32_t nLen, int32_t nCount)
{
    const size_t nLeft = m_bytes.size() - m_nPos;
    if (nLen < 0 || static_cast<size_t>(nLen) > nLeft) {
        m_eError = CfgParseError::BadLength;
        return false;
    }
    if (nCount < 0 || static_cast<size_t>(nCount) > nLeft || (nLen > 0 && nCount > 0)) {
        m_eError = CfgParseError::BadChildCount;
        return false;
    }
    return true;
}

void CCfgParser::OpenObject()
{
    CHeaderFields fields;
    int32_t nLen = 0, nCount = 0;
    if (!SplitHeader(m_szTag, fields) || !ParseInt(fields.m_len, nLen) || !ParseInt(fields.m_count, nCount)) {
        m_eError = CfgParseError::MalformedHeader;
        return;
    }
    if (!CheckHeaderNumbers(nLen, nCount))
        return;
    if (m_pRoot && m_nDepth == 0) {
        m_eError = CfgParseError::AfterRoot;
        return;
    }
    if (m_nDepth >= kCfgMaxDepth) {
        m_eError = CfgParseError::TooDeep;
        return;
    }
    if (m_pCurrent && m_pCurrent->m_nDataLen > 0) {
        m_eError = CfgParseError::DataAndChildren;
        return;
    }
    auto pObj = std::make_unique<CfgFile>();
    pObj->m_szName = fields.m_name;
    pObj->m_szType = fields.m_type;
    pObj->m_nDataLen = nLen;
    pObj->m_nChildCount = nCount;
    if (nLen > 0)
        pObj->m_data.assign(static_cast<size_t>(nLen) + kCfgDataSlack, 0);
    CfgFile* pNew = pObj.get();
    if (!m_pRoot) {
        m_pRoot = std::move(pObj);
    } else {
        pObj->m_pParent = m_pCurrent;
        m_pCurrent->m_children.push_back(std::move(pObj));
    }
    m_pCurrent = pNew;
    ++m_nDepth;
    m_nDataLeft = static_cast<size_t>(nLen);
}

void CCfgParser::CheckEnd()
{
    if (!m_pRoot)
        m_eError = m_bInTag ? CfgParseError::Truncated : CfgParseError::NoObject;
    else if (m_bInTag || m_nDataLeft > 0 || m_nDepth > 0)
        m_eError = CfgParseError::Truncated;
}

}  // namespace

CfgParseResult ParseCfg(std::span<const uint8_t> bytes)
{
    return CCfgParser(bytes).Run();
}
