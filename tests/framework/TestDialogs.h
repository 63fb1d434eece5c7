// Dialog and control ids of the framework tests' own small sheet.
#pragma once

#define IDD_TEST_FIRST 9001
#define IDD_TEST_SECOND 9002
#define IDD_TEST_THIRD 9003
#define IDD_TEST_CONTROLS 9004

#define IDC_TEST_BUTTON 9011
#define IDC_TEST_CHECK 9012
#define IDC_TEST_SORTED_COMBO 9013
#define IDC_TEST_RICHEDIT 9014
#define IDC_TEST_ANIMATION 9015

#define IDR_TEST_ANIMATION 9100
#define IDS_TEST_CAPTION 9200
