// Where Windows keeps no compatibility layers (the Linux build): nothing to read.
#include "tools/commands/compat_layers.h"

namespace tolvex_commands {

LayersSource* systemLayersSource() {
  return nullptr;
}

}  // namespace tolvex_commands
