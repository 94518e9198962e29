#include "platform/win32/win32_registry.h"

#include "platform/win32/win32_handles.h"

namespace vcl {

RegResult Win32Registry::RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                        std::uint32_t options, std::uint32_t access,
                                        RegKey* result) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExA(Hkey(key), sub_key.c_str(), 0, nullptr, options,
                                      access, nullptr, &created, &disposition);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(created);
  return status;
}

RegResult Win32Registry::RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                      std::uint32_t options, std::uint32_t access,
                                      RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(Hkey(key), sub_key.c_str(), options, access, &opened);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(opened);
  return status;
}

RegResult Win32Registry::RegSetValueEx(RegKey key, const std::string& value_name,
                                       std::uint32_t type,
                                       const std::vector<std::uint8_t>& data) {
  return RegSetValueExA(Hkey(key), value_name.c_str(), 0, type, data.data(),
                        static_cast<DWORD>(data.size()));
}

RegResult Win32Registry::RegCloseKey(RegKey key) { return ::RegCloseKey(Hkey(key)); }

}  // namespace vcl
