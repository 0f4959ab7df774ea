// Control ids of the two settings pages of the scanning dialog, shared by the pages, their
// templates in the language libraries and the tests that drive them. The pages are separate
// dialogs, so an id may mean one thing on each.
#pragma once

// Basic settings page (10369)
#define IDC_SOURCE_LABEL 10322
#define IDC_SOURCE_LIST 10297
#define IDC_COLOUR_LABEL 10155
#define IDC_COLOUR_LIST 10265
#define IDC_RESOLUTION_LABEL 10156
#define IDC_RESOLUTION_LIST 10266
#define IDC_PAPER_LABEL 10158
#define IDC_PAPER_LIST 10146
#define IDC_FILE_TYPE_LABEL 10159
#define IDC_FILE_TYPE_LIST 10264
#define IDC_HORIZONTAL 21004
#define IDC_AUTO_CROP 21002
#define IDC_MANUAL_DUPLEX 10200
#define IDC_MERGE_SCAN 10111
#define IDC_PAGE_BY_PAGE 10112
#define IDC_MERGE_HELP 1044
#define IDC_INFO_ICON 1047
#define IDC_BASIC_DEFAULTS 10243

// Advanced settings page (10370)
#define IDC_PROCESSING_GROUP 10347
#define IDC_DESCREEN_LABEL 10157
#define IDC_DESCREEN_LIST 10027
#define IDC_FADING_LABEL 10276
#define IDC_FADING_LIST 10268
#define IDC_ROTATION_LABEL 10348
#define IDC_ROTATION_LIST 10264
#define IDC_AUTO_DESKEW 21003
#define IDC_ADJUST_GROUP 10346
#define IDC_BRIGHT_CONTRAST 10243
#define IDC_GAMMA_THRESHOLD 10269
#define IDC_HISTOGRAM 10270
#define IDC_TONE_CURVE 10271
#define IDC_ADVANCED_DEFAULTS 10291

// The automatic crop box's label
#define IDS_AUTO_CROP 1189
