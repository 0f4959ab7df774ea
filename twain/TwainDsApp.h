// The application object: owns the source and is the only way in, through DS_Entry.
#pragma once

#include <windows.h>

#include "twain/MsgLib.h"

class CDS;

class CTwainDsApp {
public:
    ~CTwainDsApp();

    // Assembles the source; FALSE makes the library load fail.
    BOOL InitInstance();
    TW_UINT16 DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);

private:
    CDS* m_pDS = nullptr;
};

extern CTwainDsApp theApp;
extern HINSTANCE g_hInstance;
