#pragma once
// Runs the module's registry scripts. A script names keys below
// HKEY_CLASSES_ROOT (written HKCR), each with an optional default value
// (= s 'text'), named values (val Name = s 'text') and subkeys in braces:
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove '{…}' = s 'Korvane Class'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Both'
//         }
//       }
//     }
//   }
//
// Registration creates the keys and writes the values; a ForceRemove key is
// deleted with all its content first. Unregistration deletes every key the
// script names, with its content, except NoRemove keys, which it keeps and
// walks into. %NAME% is replaced by the variable NAME (names compare without
// regard to case); within quotes '' stands for one quote.

#include <string_view>
#include <utility>
#include <vector>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

struct RegistrarVariable {
  OleString name;
  OleString value;
};

class Registrar {
 public:
  // classesRoot stands for HKCR: HKEY_CLASSES_ROOT, or the per-user classes key.
  Registrar(HKEY classesRoot, std::vector<RegistrarVariable> variables)
      : root_(classesRoot), variables_(std::move(variables)) {}

  HRESULT Register(std::string_view script) const { return Run(script, true); }
  HRESULT Unregister(std::string_view script) const { return Run(script, false); }

 private:
  HRESULT Run(std::string_view script, bool registering) const;

  HKEY root_;
  std::vector<RegistrarVariable> variables_;
};

}  // namespace korvane
