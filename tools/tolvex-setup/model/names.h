// Portable: standard headers only. Never include <windows.h> here.
//
// File names as Windows compares them (ASCII letters without regard to case), and Tolvex's own
// programs, which are no title's program.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_NAMES_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_NAMES_H

namespace tolvex_setup {

int compareIgnoringCase(const char* a, const char* b);
bool equalsIgnoringCase(const char* a, const char* b);
// Tolvex.exe, tolvex-ini.exe or TolvexSetup.exe.
bool isTolvexProgram(const char* name);

}  // namespace tolvex_setup

#endif
