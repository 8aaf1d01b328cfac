// Tolvex Setup's world on Windows, the shell's part: the user's desktop, shortcut files
// (IShellLinkA saved through IPersistFile) and programs' version records.
#include <windows.h>
// After <windows.h>, which they build on.
#include <objidl.h>
#include <shlobj.h>

#include "platform/win32_platform.h"
#include "tools/tolvex-setup/win32/win32_setup_world.h"

namespace tolvex_setup {

namespace {

void failWith(const char* what, HRESULT result, tolvex_commands::ReasonText& why) {
  why.format("%s failed (0x%08lX)", what, static_cast<unsigned long>(result));
}

// One string of the record's first language, e.g. "ProductName".
void versionString(const void* record, const char* language, const char* name, FileName& value) {
  tolvex::FixedText<96> path;
  void* text = nullptr;
  UINT length = 0;
  if (path.format("\\StringFileInfo\\%s\\%s", language, name) &&
      VerQueryValueA(record, path.c_str(), &text, &length) != 0 && text != nullptr) {
    value.assign(static_cast<const char*>(text));
  }
}

}  // namespace

// The desktop folder: SHGetFolderPathA where the shell (2000, ME) or shfolder.dll (installed
// with Internet Explorer 5 and many programs) has it, else through the desktop's ID list, which
// the shell of Windows 95 gives.
bool Win32SetupWorld::desktopFolder(tolvex::PathText& folder) {
  using FolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  char path[MAX_PATH];
  auto folderPath = tolvex::systemFunction<FolderPathA>("shell32.dll", "SHGetFolderPathA");
  HMODULE shfolder = nullptr;
  if (folderPath == nullptr) {
    // shfolder.dll is no DLL of this program's: it is loaded here, when it is there at all, and
    // let go of below. The one function not looked up through systemFunction.
    shfolder = LoadLibraryA("shfolder.dll");
    folderPath = reinterpret_cast<FolderPathA>(reinterpret_cast<void*>(
        shfolder != nullptr ? GetProcAddress(shfolder, "SHGetFolderPathA") : nullptr));
  }
  bool found = false;
  if (folderPath != nullptr) {
    found = SUCCEEDED(folderPath(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path));
  } else {
    LPITEMIDLIST list = nullptr;
    IMalloc* memory = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &list))) {
      found = SHGetPathFromIDListA(list, path) != 0;
      if (SUCCEEDED(SHGetMalloc(&memory))) {
        memory->Free(list);
        memory->Release();
      }
    }
  }
  if (shfolder != nullptr) {
    FreeLibrary(shfolder);
  }
  return found && folder.assign(path);
}

bool Win32SetupWorld::createShortcut(const Shortcut& shortcut, tolvex_commands::ReasonText& why) {
  const HRESULT initialised = CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link));
  if (FAILED(result)) {
    failWith("CoCreateInstance(ShellLink)", result, why);
  } else {
    link->SetPath(shortcut.target.c_str());
    link->SetWorkingDirectory(shortcut.folder.c_str());
    link->SetIconLocation(shortcut.icon.c_str(), 0);
    link->SetDescription(shortcut.description.c_str());
    IPersistFile* file = nullptr;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(result)) {
      failWith("IShellLinkA::QueryInterface(IPersistFile)", result, why);
    } else {
      WCHAR name[MAX_PATH];
      if (MultiByteToWideChar(CP_ACP, 0, shortcut.file.c_str(), -1, name, MAX_PATH) == 0) {
        result = E_INVALIDARG;
        why.assign("the shortcut's name is too long");
      } else {
        result = file->Save(name, TRUE);
        if (FAILED(result)) {
          failWith("IPersistFile::Save", result, why);
        }
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(initialised)) {
    CoUninitialize();
  }
  return SUCCEEDED(result);
}

bool Win32SetupWorld::versionNames(const char* program, FileName& product, FileName& internal) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(program, &handle);
  // A Tolvex record is about 1 KB; a larger one is no Tolvex's.
  static char record[16384];
  if (size == 0 || size > sizeof record || GetFileVersionInfoA(program, 0, size, record) == 0) {
    return false;
  }
  // The record's first language and code page, as Explorer reads it.
  void* found = nullptr;
  UINT length = 0;
  tolvex::FixedText<16> language("040904b0");
  if (VerQueryValueA(record, "\\VarFileInfo\\Translation", &found, &length) != 0 &&
      found != nullptr && length >= 2 * sizeof(WORD)) {
    const auto* translation = static_cast<const WORD*>(found);
    language.format("%04x%04x", static_cast<unsigned>(translation[0]),
                    static_cast<unsigned>(translation[1]));
  }
  product.clear();
  internal.clear();
  versionString(record, language.c_str(), "ProductName", product);
  versionString(record, language.c_str(), "InternalName", internal);
  return true;
}

}  // namespace tolvex_setup
