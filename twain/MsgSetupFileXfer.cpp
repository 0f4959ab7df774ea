#include "twain/MsgSetupFileXfer.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "twain/CapTable.h"
#include "twain/DsAssistor.h"

namespace {

std::wstring WidenAcp(const char* psz, size_t nMax)
{
    int nLen = static_cast<int>(strnlen(psz, nMax));
    if (nLen == 0)
        return {};
    int nWide = MultiByteToWideChar(CP_ACP, 0, psz, nLen, nullptr, 0);
    std::wstring s(static_cast<size_t>(nWide > 0 ? nWide : 0), L'\0');
    if (nWide > 0)
        MultiByteToWideChar(CP_ACP, 0, psz, nLen, s.data(), nWide);
    return s;
}

// The name as the narrow field holds it, cut to fit with its terminator.
void NarrowAcpInto(const std::wstring& s, char* pDest, size_t nSize)
{
    std::memset(pDest, 0, nSize);
    if (s.empty())
        return;
    int nBytes = WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::vector<char> buf(static_cast<size_t>(nBytes > 0 ? nBytes : 0) + 1);
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), buf.data(), nBytes, nullptr, nullptr);
    std::memcpy(pDest, buf.data(), std::min(static_cast<size_t>(nBytes > 0 ? nBytes : 0), nSize - 1));
}

// An existing file is left as it is; a missing one is created empty. A folder is no file.
bool FileUsable(const std::wstring& sName)
{
    if (sName.empty())
        return false;
    DWORD dwAttr = GetFileAttributesW(sName.c_str());
    if (dwAttr != INVALID_FILE_ATTRIBUTES)
        return (dwAttr & FILE_ATTRIBUTE_DIRECTORY) == 0;
    HANDLE hFile = CreateFileW(sName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}

}  // namespace

TW_UINT16 CMsgSetupFileXfer::Handle(_MsgInfo* pInfo)
{
    if (!StateIn({400, 500, 600}))
        return Refuse(TWCC_SEQERROR);
    switch (pInfo->MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
        // There is no separate default: all three report the current name.
        return pInfo->pData ? Get(static_cast<TW_SETUPFILEXFER*>(pInfo->pData)) : Refuse(TWCC_BADPROTOCOL);
    case MSG_SET:
        return pInfo->pData ? Set(static_cast<const TW_SETUPFILEXFER*>(pInfo->pData)) : Refuse(TWCC_BADPROTOCOL);
    default:
        return Refuse(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 CMsgSetupFileXfer::Get(TW_SETUPFILEXFER* pSetup)
{
    NarrowAcpInto(g_pDsAssistor->XferFileName(), pSetup->FileName, sizeof pSetup->FileName);
    // One format is in force, whichever of this and ICAP_IMAGEFILEFORMAT set it last.
    pSetup->Format = TheCapabilityTable().CurrentU16(ICAP_IMAGEFILEFORMAT);
    pSetup->VRefNum = 0;
    return TWRC_SUCCESS;
}

TW_UINT16 CMsgSetupFileXfer::Set(const TW_SETUPFILEXFER* pSetup)
{
    // A format the source cannot write is refused before anything changes; the name is kept
    // even when the file cannot be used.
    if (!TheCapabilityTable().SetCurrentU16(ICAP_IMAGEFILEFORMAT, pSetup->Format))
        return Refuse(TWCC_BADVALUE);
    std::wstring sName = WidenAcp(pSetup->FileName, sizeof pSetup->FileName);
    g_pDsAssistor->SetXferFileName(sName);
    return FileUsable(sName) ? TWRC_SUCCESS : Refuse(TWCC_BADVALUE);
}
