#include "twaindsm/SourceSession.h"

#include "profile/LibraryLoad.h"

CLoadedSource::CLoadedSource(const std::wstring& sPath) : m_sPath(sPath)
{
    // By the full path discovery found; what the source needs comes from its own folder or the
    // system folder, never from the application's current directory or PATH.
    m_hModule = LoadLibraryByFullPath(sPath);
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
