// The process-wide scan values that capability negotiation writes and the scan controller and
// the scanning dialog read. The auto-feed setting is the device wrapper's
// g_lldOpenFlags.nAutoFeed (device/LLDState.h). Portable: no <windows.h>.
#pragma once

extern int g_nColorMode;          // bits per pixel: 1, 8 or 24
extern int g_nResolution;         // dpi
extern int g_nScanSize;           // a TWSS value
extern int g_nScanSource;         // 0 flatbed, 1 feeder, 2 feeder with duplex
extern bool g_bFileOutputMode;    // custom capability 0x8123: the calling application saves to files
extern bool g_bNoScanParamAdj;    // custom capability 0x8124: skip the device's scan-parameter adjustment
