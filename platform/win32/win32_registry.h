// The real registry: advapi32.
#pragma once

#include <windows.h>

// The interface's names are the system's too; here they mean the interface.
#undef RegCreateKeyEx
#undef RegOpenKeyEx
#undef RegSetValueEx

#include "platform/registry.h"

namespace vcl {

class Win32Registry final : public Registry {
 public:
  RegResult RegCreateKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                           std::uint32_t access, RegKey* result) override;
  RegResult RegOpenKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                         std::uint32_t access, RegKey* result) override;
  RegResult RegSetValueEx(RegKey key, const std::string& value_name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) override;
  RegResult RegCloseKey(RegKey key) override;
};

}  // namespace vcl
