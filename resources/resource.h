// Ids of the dialogs, their controls and the art; shared by the code and the resource compiler.
#pragma once

// Dialogs: a dialog's id is also its page's navigation id.
#define IDD_SPLASH 119
#define IDD_EULA 173
#define IDD_TASK 174
#define IDD_INSERT_MEDIA 106
#define IDD_FIND_KEY 109
#define IDD_FORMAT 115
#define IDD_COMPLETE 108

// Art.
#define IDB_BANNER_LEFT 129
#define IDB_BANNER_RIGHT 164
#define IDB_WELCOME 169
#define IDI_ORVELLA 131
#define IDR_COPY_ANIMATION 170

// Welcome page.
#define IDC_WELCOME_BITMAP 1000
// Licence page.
#define IDC_EULA_TEXT 1046
#define IDC_AGREE 1072
#define IDC_DISAGREE 1073
// Task page.
#define IDC_TASK_CREATE 1090
#define IDC_TASK_ADD 1092
// Insert-media page.
#define IDC_CAUTION 1074
// Select-media page.
#define IDC_TARGET_COMBO 1007
#define IDC_TARGET_CHOOSE_TEXT 1009
#define IDC_TARGET_LABEL 1010
#define IDC_SOURCE_CHOOSE_TEXT 1051
#define IDC_SOURCE_COMBO 1052
#define IDC_CD_DRIVE_LABEL 1053
#define IDC_RESCAN_TARGET 1064
#define IDC_RESCAN_SOURCE 1065
#define IDC_INFO_TEXT 1068
#define IDC_CD_DRIVE_RADIO 1093
#define IDC_ISO_FILE_RADIO 1094
#define IDC_ISO_PATH 1095
#define IDC_BROWSE_ISO 1096
#define IDC_FROM_FILE_LABEL 1097
// Format-and-copy page.
#define IDC_STATUS_LINE 1056
#define IDC_TITLE_LINE 1069
#define IDC_COPY_ANIMATION 1071
#define IDC_WARNING 1075
// Completion page.
#define IDC_VIEW_README 1058
#define IDC_VIEW_LOG 1067
#define IDC_RESULT_LINE 1070
