// The texts Tolvex shows, byte for byte. Message texts break lines with a single "\r" and
// paragraphs with "\r\r".
#ifndef TOLVEX_APP_MESSAGES_H
#define TOLVEX_APP_MESSAGES_H

#include <cstddef>

#include "platform/fixed_text.h"

namespace tolvex {

// Every caption Tolvex shows fits this field (the terminating zero included).
constexpr std::size_t kCaptionCapacity = 64;
using CaptionText = FixedText<kCaptionCapacity>;

// Caption for a rejected settings file and for an application that cannot be started.
constexpr const char kCaptionBadSettings[] = "Tolvex Error: Bad Tolvex.ini parameters";
// A failed strict switch: this prefix followed by the name of the display-change code.
constexpr const char kCaptionDisplayPrefix[] = "Tolvex Error: ";
static_assert(sizeof kCaptionBadSettings <= kCaptionCapacity, "the caption fits its field");

// "Tolvex failed to launch '<appPath>' or 'proj.exe'..." The fallback is named in lower case
// although "PROJ.EXE" is what is tried; the message has always read that way.
constexpr const char kLaunchFailedBefore[] = "Tolvex failed to launch '";
constexpr const char kLaunchFailedAfter[] =
    "' or 'proj.exe'\r\rEither the application is in the wrong place or its name is wrong.";

// Where argument 0 names a folder that no ANSI path reaches: the folder as the user sees it
// comes between these, and the box is shown with MessageBoxW.
constexpr const char kCaptionOutsideCodePage[] = "Tolvex Error: Bad folder name";
static_assert(sizeof kCaptionOutsideCodePage <= kCaptionCapacity, "the caption fits its field");
constexpr const char kOutsideCodePageBefore[] = "Tolvex cannot run from '";
constexpr const char kOutsideCodePageAfter[] =
    "'\r\rIts name has characters that this Windows cannot pass to the title. Rename the "
    "folder, or move the title to a folder whose name has none of them.";

}  // namespace tolvex

#endif
