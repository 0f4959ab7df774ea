// Control and string ids of the scanning dialog and its information dialogs, shared by the
// dialogs, the language libraries' templates and the tests that drive them.
#pragma once

// The scanning dialog (10257; 1004 in file-output mode)
#define IDD_MAIN_UI 10257
#define IDD_MAIN_UI_FILE_OUTPUT 1004
#define IDC_PREVIEW_FRAME 10280
#define IDC_PREVIEW_HSCROLL 10283
#define IDC_PREVIEW_VSCROLL 10284
#define IDC_UNIT_LABEL 10285
#define IDC_UNIT_LIST 10286
#define IDC_CLEAR_PREVIEW 10311
// The preview's tools: select (the tracker), zoom in, zoom out, the hand that drags the view
#define IDC_TOOL_SELECT 10312
#define IDC_TOOL_ZOOM_IN 10313
#define IDC_TOOL_ZOOM_OUT 10314
#define IDC_TOOL_HAND 10315
// Their bitmaps, four per tool in this order (normal, pressed, hover, disabled)
#define IDB_TOOL_FIRST 10470
#define IDC_SETTING_LABEL 10300
#define IDC_SETTING_NAME 10301
#define IDC_SAVE_SETTING 10302
#define IDC_DELETE_SETTING 10303
#define IDC_BASIC_TAB 10287
#define IDC_ADVANCED_TAB 10288
#define IDC_SETTINGS_AREA 10279
#define IDC_INFO_CAPTION 10292
#define IDC_INFO_AREA 10289
#define IDC_DETAILS 10290
#define IDC_SAVE_PAGE_AREA 10278
#define IDC_PORT 20003
#define IDC_PREVIEW 20005
#define IDC_SCAN 20006
#define IDC_HELP_BUTTON 20007
#define IDC_ABOUT 20008

// The settings pages hosted in the settings area, and the save-settings page of file-output mode
#define IDD_BASIC_PAGE 10369
#define IDD_ADVANCED_PAGE 10370

// About dialog (10437)
#define IDD_ABOUT 10437
#define IDC_ABOUT_PRODUCT 10339
#define IDC_ABOUT_VERSION 10340
#define IDC_ABOUT_LEGAL 10341
#define IDC_ABOUT_ICON 10342

// Image information page (1003): six labels and the value beside each
#define IDD_IMG_INFO 1003
#define IDC_INFO_LABEL_SOURCE 1012
#define IDC_INFO_LABEL_MODE 1013
#define IDC_INFO_LABEL_RESOLUTION 1014
#define IDC_INFO_LABEL_AREA 1015
#define IDC_INFO_LABEL_SIZE 1016
#define IDC_INFO_LABEL_DATA 1018
#define IDC_INFO_VALUE_OFFSET 100  // the value of label n is control n + 100

// Settings summary (10381): twelve rows of a label and its value
#define IDD_SETTING_INFO 10381
#define IDC_SUMMARY_LABEL_FIRST 10500
#define IDC_SUMMARY_VALUE_FIRST 10520
#define IDC_SUMMARY_ROWS 12

// Strings of the scanning dialog's own controls and tool tips
#define IDS_SETTING_LABEL 1201
#define IDS_BASIC_TAB 1202
#define IDS_ADVANCED_TAB 1203
#define IDS_DETAILS 1204
#define IDS_UNIT_LABEL 1205
#define IDS_PREVIEW 1206
#define IDS_SCAN 1207
#define IDS_PORT 1208
#define IDS_HELP 1209
#define IDS_CLEAR 1210
#define IDS_SAVE 1211
#define IDS_DELETE 1212
#define IDS_INFO_CAPTION 1213
#define IDS_TIP_FIRST 1220  // tool tips, in the order of kToolTips in MainUIDialog.cpp
#define IDS_TIP_TOOL_FIRST 1233  // the preview tools' tool tips, in the order of their ids
