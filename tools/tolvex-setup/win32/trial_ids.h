// The controls of the countdown window of Try this mode: included by setup.rc and its view only.
// Plain macros: windres reads this file too.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_TRIAL_IDS_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_TRIAL_IDS_H

#define IDD_TRIAL 200

#define IDT_COUNTDOWN 2001
#define IDT_TRIAL_NOTE 2002
#define IDB_WORKS 2003

#endif
