// The compatibility layers in the registry, read only: Tolvex never writes these keys.
#include <windows.h>

#include "platform/win32_platform.h"
#include "tools/commands/compat_layers.h"

namespace tolvex_commands {

namespace {

constexpr char kLayersKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

class RegistryLayers final : public LayersSource {
 public:
  bool read(LayersRoot root, const char* program, LayersText& value) override {
    // The 64-bit view on 64-bit Windows, where the Properties page writes; asked for from
    // Windows XP on, since older ones do not know the flag. Windows 9x and NT 4 have no Layers
    // key at all: no layers set.
    const DWORD version = GetVersion();
    const DWORD major = version & 0xFFU;
    const bool knowsViews =
        !tolvex::isWindows9x() && (major > 5 || (major == 5 && ((version >> 8) & 0xFFU) >= 1));
    HKEY key = nullptr;
    if (RegOpenKeyExA(root == LayersRoot::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                      kLayersKey, 0, KEY_QUERY_VALUE | (knowsViews ? KEY_WOW64_64KEY : 0),
                      &key) != ERROR_SUCCESS) {
      return false;
    }
    // Value names are compared without regard to case by the registry itself.
    char data[LayersText::kCapacity];
    DWORD type = 0;
    DWORD size = sizeof data - 1;
    const LONG result =
        RegQueryValueExA(key, program, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
      return false;
    }
    data[size < sizeof data ? size : sizeof data - 1] = '\0';
    return value.assign(data);
  }

  bool fullPath(const char* name, tolvex::PathText& path) override {
    char full[tolvex::PathText::kCapacity];
    const DWORD length = GetFullPathNameA(name, sizeof full, full, nullptr);
    return length > 0 && length < sizeof full && path.assign(full);
  }
};

}  // namespace

LayersSource* systemLayersSource() {
  static RegistryLayers registry;
  return &registry;
}

}  // namespace tolvex_commands
