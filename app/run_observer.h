// What a run does, told as it happens, for code that wants to know without asking the platform
// (tolvex-ini check reports a dry run from these). Tolvex.exe runs with no observer: every event
// is then one test of a null pointer and nothing more.
//
// Every event has an empty default, so that a new event (a new stage of the run) can be added
// without touching the observers that do not care about it.
#ifndef TOLVEX_APP_RUN_OBSERVER_H
#define TOLVEX_APP_RUN_OBSERVER_H

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace tolvex {

class RunObserver {
 public:
  // A settings file the run tried to read: -1 when it could not be opened, else the number of
  // bytes read, which are `bytes` (valid during the call only).
  virtual void settingsFileTried(const char* /*path*/, long /*result*/,
                                 const std::uint8_t* /*bytes*/) {}
  // A switch of the display towards the request: the record as passed (its dmFields say which
  // of depth, width and height were asked for), the flags, and the DISP_CHANGE_* answer.
  virtual void switchAttempted(const DevModeA& /*mode*/, std::uint32_t /*flags*/,
                               std::int32_t /*result*/) {}
  // The compatibility layers the application is to inherit, as just set in __COMPAT_LAYER
  // (Windows 8 and later, after a switch to 8 or 16 bits per pixel).
  virtual void colourLayerSet(const char* /*layers*/) {}
  // An attempt to start the application: > 0 when it started.
  virtual void launchAttempted(const char* /*name*/, int /*result*/) {}
  // A message box, shown and closed.
  virtual void messageBoxShown(const char* /*text*/, const char* /*caption*/) {}
  // The same for the one box whose text is UTF-8 (it names a folder the code page cannot hold).
  virtual void unicodeMessageBoxShown(const char* /*utf8Text*/, const char* /*caption*/) {}
  // A switch back to the saved mode at the end of the run: one, or two when storing the saved
  // mode again was refused and a plain switch back (flags 0) followed.
  virtual void restoreAttempted(const DevModeA& /*mode*/, std::uint32_t /*flags*/,
                                std::int32_t /*result*/) {}

 protected:
  ~RunObserver() = default;
};

}  // namespace tolvex

#endif
