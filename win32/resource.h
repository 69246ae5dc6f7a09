// Resource and control identifiers of vrx3km.exe, shared by the resource script and the code.
// The main dialog's identifiers are the same numbers as the Qt window's.
#pragma once

// Dialog templates, the icon and the string of the About item.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDD_NAME 103
// Beside them: the serial ports dialog, the History of a screen, the differences.
#define IDD_PORTS 104
#define IDD_HISTORY 105
#define IDD_DIFFERENCES 106
#define IDR_MAINFRAME 128

// The About item of the system menu.
#define IDM_ABOUTBOX 0x0010

// Main dialog, template 102 (IDOK is the Exit button).
#define IDC_ADD_CIRCUIT 3
#define IDC_ADD_THEATER 4
#define IDC_ADD_SCREEN 5
#define IDC_LOAD 6
#define IDC_SEND 7
#define IDC_DELETE 8
#define IDC_VIEW_CONFIGURATION 9
#define IDC_EDIT_NOTES 10
#define IDC_TREE 1000
#define IDC_PROGRESS 1001
#define IDC_STATUS 1002
#define IDC_COM1 1014
#define IDC_COM2 1015
#define IDC_COM3 1016
#define IDC_COM4 1017
#define IDC_DATE 1018
#define IDC_SELECTION_BOX 1019
#define IDC_TIME 1020
#define IDC_CIRCUIT 1021
#define IDC_SCREEN 1022
#define IDC_THEATER 1023
// The Help command, also sent by F1.
#define ID_HELP 57670
// Beside the template, where the Qt window has them.
#define IDC_PORTS 2001
#define IDC_PORT_STATE 2002
#define IDC_HISTORY 2003
#define IDC_LIBRARY 2004
#define IDC_STATUS_DETAILS 2005

// Name dialog, template 103 (IDOK and IDCANCEL are its bitmap buttons).
#define IDC_NAME 121

// No control: the default button identifier while no push button has the focus, so that Enter
// in the tree or on a port button presses nothing.
#define IDC_NO_DEFAULT 2099

// Serial ports dialog.
#define IDC_PORT_DEVICE1 2101
#define IDC_PORT_DEVICE2 2102
#define IDC_PORT_DEVICE3 2103
#define IDC_PORT_DEVICE4 2104
#define IDC_PORT_DETAIL1 2111
#define IDC_PORT_DETAIL2 2112
#define IDC_PORT_DETAIL3 2113
#define IDC_PORT_DETAIL4 2114
#define IDC_PORT_LIST 2120
#define IDC_PORT_REFRESH 2121
#define IDC_PORT_FIND 2122
#define IDC_PORT_FIND_RESULT 2123

// History dialog.
#define IDC_HISTORY_LIST 2201
#define IDC_HISTORY_EMPTY 2202
#define IDC_HISTORY_COMPARE 2203
#define IDC_HISTORY_COMPARE_TWO 2204
#define IDC_HISTORY_RESTORE 2205
#define IDC_HISTORY_PROCESSOR 2206
#define IDC_HISTORY_INTRO 2207

// Differences dialog.
#define IDC_DIFF_SUMMARY 2301
#define IDC_DIFF_LIST 2302
