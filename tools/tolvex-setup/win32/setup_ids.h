// The controls of Tolvex Setup's dialog: included by setup.rc and the view only. Plain macros:
// windres reads this file too.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_SETUP_IDS_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_SETUP_IDS_H

#define IDD_SETUP 100

#define IDT_FOLDER 1001
#define IDE_FOLDER 1002
#define IDB_BROWSE 1003
#define IDT_PROGRAM 1004
#define IDC_PROGRAM 1005
#define IDT_MODE 1006
#define IDT_DEPTH 1007
#define IDC_DEPTH 1008
#define IDT_SIZE 1009
#define IDC_SCREEN_SIZE 1010
#define IDT_SIZE_NOTE 1011
#define IDX_STRICT 1012
#define IDT_FILE 1013
#define IDX_TOLVEX_INI 1014
#define IDX_NAMED_INI 1015
#define IDT_NAME 1016
#define IDC_NAME 1017
#define IDT_NAME_EXT 1018
#define IDT_SHORTCUTS 1019
#define IDT_REPORT 1020
#define IDE_REPORT 1021
#define IDB_CHECK 1022
#define IDB_START 1023
#define IDB_RESTORE 1024
#define IDB_SAVE 1025
#define IDB_TRY 1026
#define IDB_SHORTCUT 1027

#endif
