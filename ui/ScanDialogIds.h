// Control ids of the scan-time dialogs' templates, shared by the dialogs, the language
// libraries' templates and the tests that drive the dialogs.
#pragma once

// Progress dialog (10448)
#define IDC_PROGRESS_WAIT 10460
#define IDC_PROGRESS_BAR 10461
#define IDC_PROGRESS_PERCENT 10462
#define IDC_PROGRESS_PAGE_CAPTION 10463
#define IDC_PROGRESS_PAGE_COUNT 10464
// Manual-duplex dialog (10449)
#define IDC_DUPLEX_TEXT 10465
// Merge-scan dialog (21006)
#define IDC_MERGE_COUNT 1041
#define IDC_MERGE_CAPTION 1044
#define IDC_MERGE_TEXT 21007
