#include "twain/ScanValues.h"

// The defaults of the capabilities they come from: RGB, 150 dpi, A4, flatbed.
int g_nColorMode = 24;
int g_nResolution = 150;
int g_nScanSize = 1;
int g_nScanSource = 0;
bool g_bFileOutputMode = false;
bool g_bNoScanParamAdj = false;
