// The registry, with the system's arguments and result codes: the four
// advapi32 calls the program makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace vcl {

class Registry {
 public:
  virtual ~Registry() = default;

  virtual RegResult RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                   std::uint32_t options, std::uint32_t access,
                                   RegKey* result) = 0;
  virtual RegResult RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                 std::uint32_t options, std::uint32_t access,
                                 RegKey* result) = 0;
  virtual RegResult RegSetValueEx(RegKey key, const std::string& value_name,
                                  std::uint32_t type,
                                  const std::vector<std::uint8_t>& data) = 0;
  virtual RegResult RegCloseKey(RegKey key) = 0;
};

}  // namespace vcl
