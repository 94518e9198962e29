#include "platform/sim/sim_registry.h"

#include <algorithm>

namespace vcl {

namespace {
SimRegistry::Call NewCall(const char* function, RegKey key, const std::string& name,
                          std::uint32_t options = 0, std::uint32_t access = 0) {
  SimRegistry::Call call;
  call.function = function;
  call.key = key;
  call.name = name;
  call.options = options;
  call.access = access;
  return call;
}
}  // namespace

SimRegistry::SimRegistry(const SimFaults& faults) : faults_(&faults) { keys["HKCU"]; }

RegKey SimRegistry::NewHandle(const std::string& path) {
  const RegKey h = next_handle_++;
  handles_[h] = path;
  return h;
}

std::string SimRegistry::KeyPath(RegKey key) const {
  if (key == kHKeyCurrentUser) return "HKCU";
  auto it = handles_.find(key);
  return it == handles_.end() ? std::string() : it->second;
}

bool SimRegistry::NextCallFails() { return ++call_count_ == faults_->failing_registry_call; }

RegResult SimRegistry::Record(Call call) {
  calls.push_back(std::move(call));
  return calls.back().status;
}

RegResult SimRegistry::RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                      std::uint32_t options, std::uint32_t access,
                                      RegKey* result) {
  Call call = NewCall("RegCreateKeyExA", key, sub_key, options, access);
  const std::string parent = KeyPath(key);
  if (NextCallFails() || parent.empty()) {
    call.status = 5;  // access denied
    return Record(call);
  }
  std::string path = parent;
  std::size_t start = 0;
  while (start < sub_key.size()) {
    const std::size_t end = std::min(sub_key.find('\\', start), sub_key.size());
    path += "\\" + sub_key.substr(start, end - start);
    keys[path];
    start = end + 1;
  }
  *result = call.result = NewHandle(path);
  return Record(call);
}

RegResult SimRegistry::RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                    std::uint32_t options, std::uint32_t access,
                                    RegKey* result) {
  Call call = NewCall("RegOpenKeyExA", key, sub_key, options, access);
  const std::string parent = KeyPath(key);
  const std::string path = sub_key.empty() ? parent : parent + "\\" + sub_key;
  if (NextCallFails() || parent.empty() || keys.count(path) == 0) {
    call.status = 2;  // not found
    return Record(call);
  }
  *result = call.result = NewHandle(path);
  return Record(call);
}

RegResult SimRegistry::RegSetValueEx(RegKey key, const std::string& value_name,
                                     std::uint32_t type,
                                     const std::vector<std::uint8_t>& data) {
  Call call = NewCall("RegSetValueExA", key, value_name);
  call.type = type;
  call.data = data;
  const std::string path = KeyPath(key);
  if (NextCallFails() || path.empty()) {
    call.status = 5;
    return Record(call);
  }
  keys[path][value_name] = Value{type, data};
  return Record(call);
}

RegResult SimRegistry::RegCloseKey(RegKey key) {
  Call call = NewCall("RegCloseKey", key, "");
  const bool known = handles_.erase(key) != 0;
  if (NextCallFails() || !known) call.status = 6;  // invalid handle
  return Record(call);
}

}  // namespace vcl
