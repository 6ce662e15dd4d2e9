#include "protection/version_names.h"

#include <windows.h>

#include <cwchar>

#include "protection/blocker_rules.h"

namespace {

// Version resources are a few kilobytes; anything far larger is not worth reading every time
// a process starts, and is no tool's.
const DWORD kMostVersionBytes = 1024 * 1024;

struct Translation {
  WORD language;
  WORD code_page;
};

int tool_in_block(const void* block, Translation t) {
  const wchar_t* const fields[] = {L"OriginalFilename", L"InternalName"};
  for (const wchar_t* field : fields) {
    wchar_t key[64];
    swprintf(key, ARRAYSIZE(key), L"\\StringFileInfo\\%04x%04x\\%ls", t.language, t.code_page,
             field);
    void* value = nullptr;
    UINT units = 0;
    if (!VerQueryValueW(block, key, &value, &units) || value == nullptr || units == 0) continue;
    // The value may lack its terminator; a name longer than any listed one cannot match.
    wchar_t name[96];
    const UINT n = units < ARRAYSIZE(name) - 1 ? units : ARRAYSIZE(name) - 1;
    wmemcpy(name, static_cast<const wchar_t*>(value), n);
    name[n] = L'\0';
    const int tool = version_name_tool_index(name);
    if (tool >= 0) return tool;
  }
  return -1;
}

int tool_in_version_info(const void* block) {
  // The languages the resource says it has, then the two that most files use whatever they say.
  Translation wanted[10];
  UINT count = 0;
  void* list = nullptr;
  UINT bytes = 0;
  if (VerQueryValueW(block, L"\\VarFileInfo\\Translation", &list, &bytes) && list != nullptr) {
    const Translation* listed = static_cast<const Translation*>(list);
    for (UINT i = 0; i < bytes / sizeof(Translation) && count < 8; i++)
      wanted[count++] = listed[i];
  }
  wanted[count++] = {0x0409, 1200};
  wanted[count++] = {0x0409, 1252};
  for (UINT i = 0; i < count; i++) {
    const int tool = tool_in_block(block, wanted[i]);
    if (tool >= 0) return tool;
  }
  return -1;
}

} // namespace

int version_resource_tool_index(const wchar_t* path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0 || size > kMostVersionBytes) return -1;
  // Owned here and freed before returning.
  void* block = HeapAlloc(GetProcessHeap(), 0, size);
  if (block == nullptr) return -1;
  int tool = -1;
  if (GetFileVersionInfoW(path, 0, size, block)) tool = tool_in_version_info(block);
  HeapFree(GetProcessHeap(), 0, block);
  return tool;
}
