#pragma once

#include <windows.h>

namespace pelliton {

// A function of a system library that the program loads when it first needs it rather than
// imports: under Wine every imported library is loaded at start, which costs start-up time
// and private memory for commands that most runs never use. Null where the system lacks it.
template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  const HMODULE module = LoadLibraryW(library);  // stays loaded for the rest of the run
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace pelliton
