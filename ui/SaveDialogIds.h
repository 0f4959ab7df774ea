// Control ids of the save-to-file and e-mail dialogs and of the connection dialog, shared by the
// dialogs, the language libraries' templates and the tests that drive them.
#pragma once

// Save-settings page of file-output mode (1002)
#define IDC_SAVE_TITLE 1026
#define IDC_SAVE_FOLDER_BUTTON 1029
#define IDC_SAVE_EMAIL_BUTTON 1030
#define IDC_SAVE_NAME_LABEL 1003
#define IDC_SAVE_TYPE_LABEL 1027
#define IDC_SAVE_PLACE_LABEL 1028
#define IDC_SAVE_NAME 1031
#define IDC_SAVE_TYPE 1032
#define IDC_SAVE_FOLDER 1033
#define IDC_SAVE_DESTINATION 1038

// Folder dialog (1001) and e-mail dialog (1005)
#define IDC_SAVEDLG_PLACE_LABEL 1002
#define IDC_SAVEDLG_BROWSE 1006
#define IDC_SAVEDLG_NAME_LABEL 1003
#define IDC_SAVEDLG_TYPE_LABEL 1004
#define IDC_SAVEDLG_TYPE 10264
#define IDC_SAVEDLG_OK 1039
#define IDC_SAVEDLG_CANCEL 10003
#define IDC_FILEDLG_FOLDER 10262
#define IDC_FILEDLG_NAME 10116
#define IDC_FILEDLG_AFTER 1005
#define IDC_FILEDLG_OPEN_FILE 10200
#define IDC_FILEDLG_OPEN_FOLDER 1001
#define IDC_MAILDLG_FOLDER 10263
#define IDC_MAILDLG_NAME 10117
#define IDC_MAILDLG_PROGRAM_LABEL 1034
#define IDC_MAILDLG_PROGRAM 10262
#define IDC_MAILDLG_ADD 1035

// Connection dialog (10266); OK and Cancel are 1 and 2
#define IDC_PORT_USB 10111
#define IDC_PORT_SEARCH 10112
#define IDC_PORT_LIST 10131
#define IDC_PORT_REFRESH 10184
#define IDC_PORT_HOST_RADIO 10113
#define IDC_PORT_HOST 10115
#define IDC_PORT_SEARCHING 1042
