// The capacities of the run's text fields (the terminating zero included) and their types.
#ifndef TOLVEX_APP_TEXT_FIELDS_H
#define TOLVEX_APP_TEXT_FIELDS_H

#include "platform/fixed_text.h"

namespace tolvex {

constexpr std::size_t kPathCapacity = 1024;
constexpr std::size_t kMessageCapacity = 8000;

using PathText = FixedText<kPathCapacity>;
using MessageText = FixedText<kMessageCapacity>;

}  // namespace tolvex

#endif
