// Tolvex version numbers: the one place they live. Included by the resource script
// (resources/tolvex.rc) and by the code, so the version record and --version never disagree.
// Plain macros only: windres reads this file too. Every form below is made from the four numbers.
#ifndef TOLVEX_APP_VERSION_H
#define TOLVEX_APP_VERSION_H

#define TOLVEX_VERSION_MAJOR 1
#define TOLVEX_VERSION_MINOR 2
#define TOLVEX_VERSION_PATCH 1
#define TOLVEX_VERSION_BUILD 0

// The text of its arguments once they are expanded.
#define TOLVEX_VERSION_TEXT_(...) #__VA_ARGS__
#define TOLVEX_VERSION_TEXT(...) TOLVEX_VERSION_TEXT_(__VA_ARGS__)

// Comma form used by the version record's FILEVERSION and PRODUCTVERSION.
#define TOLVEX_VERSION_COMMAS \
  TOLVEX_VERSION_MAJOR, TOLVEX_VERSION_MINOR, TOLVEX_VERSION_PATCH, TOLVEX_VERSION_BUILD
// The string entries of the version record, exactly as the record carries them: "1, 2, 1, 0".
#define TOLVEX_VERSION_RECORD_TEXT TOLVEX_VERSION_TEXT(TOLVEX_VERSION_COMMAS)
// The dotted form, for people (tolvex-ini --version): "1.2.1.0".
#define TOLVEX_VERSION_DOTS_(major, minor, patch, build) major.minor.patch.build
#define TOLVEX_VERSION_DOTTED                                                          \
  TOLVEX_VERSION_TEXT(TOLVEX_VERSION_DOTS_(TOLVEX_VERSION_MAJOR, TOLVEX_VERSION_MINOR, \
                                           TOLVEX_VERSION_PATCH, TOLVEX_VERSION_BUILD))

#endif
