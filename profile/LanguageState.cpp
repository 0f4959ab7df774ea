// The selected language's process-wide state (see Language.h); English until a selection.
#include "profile/Language.h"

int g_LangugueID = kLanguageEnglish;
BOOL g_bHebrew = FALSE;
wchar_t g_wcDecimalSep = L'.';
BYTE g_byPreviewKey = 0x50;
BYTE g_byScanKey = 0x53;
