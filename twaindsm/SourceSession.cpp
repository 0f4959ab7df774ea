#include "twaindsm/SourceSession.h"

CLoadedSource::CLoadedSource(const std::wstring& sPath) : m_sPath(sPath)
{
    // Sources find their siblings (device and resource libraries) in their own folder.
    m_hModule = LoadLibraryExW(sPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (m_hModule)
        m_pfnEntry = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(m_hModule, "DS_Entry")));
}

CLoadedSource::~CLoadedSource()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

TW_UINT16 CLoadedSource::Call(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) const
{
    if (!m_pfnEntry)
        return TWRC_FAILURE;
    return m_pfnEntry(pOrigin, DG, DAT, MSG, pData);
}
