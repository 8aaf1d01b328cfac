// Tolvex version numbers: the one place they live. Included by the resource script
// (resources/tolvex.rc) and by the code, so the version record and --version never disagree.
// Plain macros only: windres reads this file too.
#ifndef TOLVEX_APP_VERSION_H
#define TOLVEX_APP_VERSION_H

#define TOLVEX_VERSION_MAJOR 1
#define TOLVEX_VERSION_MINOR 2
#define TOLVEX_VERSION_PATCH 1
#define TOLVEX_VERSION_BUILD 0

// Comma form used by the version record's FILEVERSION and PRODUCTVERSION.
#define TOLVEX_VERSION_COMMAS 1, 2, 1, 0
// The string entries of the version record, exactly as the record carries them.
#define TOLVEX_VERSION_RECORD_TEXT "1, 2, 1, 0"
// The dotted form, for people (tolvex-ini --version).
#define TOLVEX_VERSION_DOTTED "1.2.1.0"

#endif
