// A simulated registry for host tests: keys as paths, every call recorded,
// and any one call made to fail.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/sim_faults.h"

namespace vcl {

class SimRegistry : public Registry {
 public:
  struct Call {
    std::string function;
    RegKey key = 0;
    std::string name;  // the sub-key or the value name
    std::uint32_t options = 0;
    std::uint32_t access = 0;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    RegKey result = 0;
    RegResult status = kErrorSuccess;
  };
  struct Value {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };

  explicit SimRegistry(const SimFaults& faults);

  // ----- What happened -----
  std::map<std::string, std::map<std::string, Value>> keys;  // path -> values
  std::vector<Call> calls;
  int open_handles() const { return static_cast<int>(handles_.size()); }

  // ----- Registry -----
  RegResult RegCreateKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                           std::uint32_t access, RegKey* result) override;
  RegResult RegOpenKeyEx(RegKey key, const std::string& sub_key, std::uint32_t options,
                         std::uint32_t access, RegKey* result) override;
  RegResult RegSetValueEx(RegKey key, const std::string& value_name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) override;
  RegResult RegCloseKey(RegKey key) override;

 private:
  bool NextCallFails();
  RegResult Record(Call call);
  std::string KeyPath(RegKey key) const;
  RegKey NewHandle(const std::string& path);

  const SimFaults* faults_;
  std::map<RegKey, std::string> handles_;
  RegKey next_handle_ = 0x1000;
  int call_count_ = 0;
};

}  // namespace vcl
