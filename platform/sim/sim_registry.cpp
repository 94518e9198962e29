// The simulated registry: keys as paths, every call recorded, and any one
// call made to fail.
#include "platform/sim/sim_window_system.h"

namespace vcl {

namespace {
SimWindowSystem::RegCall Call(const char* function, RegKey key, const std::string& name,
                              std::uint32_t options = 0, std::uint32_t access = 0) {
  SimWindowSystem::RegCall call;
  call.function = function;
  call.key = key;
  call.name = name;
  call.options = options;
  call.access = access;
  return call;
}
}  // namespace

RegKey SimWindowSystem::NewRegHandle(const std::string& path) {
  const RegKey h = next_reg_++;
  reg_handles_[h] = path;
  return h;
}

std::string SimWindowSystem::KeyPath(RegKey key) const {
  if (key == kHKeyCurrentUser) return "HKCU";
  auto it = reg_handles_.find(key);
  return it == reg_handles_.end() ? std::string() : it->second;
}

bool SimWindowSystem::NextRegCallFails() { return ++reg_call_count_ == fail_registry_call; }

RegResult SimWindowSystem::RecordReg(RegCall call) {
  reg_calls.push_back(std::move(call));
  return reg_calls.back().status;
}

RegResult SimWindowSystem::RegCreateKeyEx(RegKey key, const std::string& sub_key,
                                          std::uint32_t options, std::uint32_t access,
                                          RegKey* result) {
  RegCall call = Call("RegCreateKeyExA", key, sub_key, options, access);
  const std::string parent = KeyPath(key);
  if (NextRegCallFails() || parent.empty()) {
    call.status = 5;  // access denied
    return RecordReg(call);
  }
  std::string path = parent;
  std::size_t start = 0;
  while (start < sub_key.size()) {
    const std::size_t end = std::min(sub_key.find('\\', start), sub_key.size());
    path += "\\" + sub_key.substr(start, end - start);
    registry[path];
    start = end + 1;
  }
  *result = call.result = NewRegHandle(path);
  return RecordReg(call);
}

RegResult SimWindowSystem::RegOpenKeyEx(RegKey key, const std::string& sub_key,
                                        std::uint32_t options, std::uint32_t access,
                                        RegKey* result) {
  RegCall call = Call("RegOpenKeyExA", key, sub_key, options, access);
  const std::string parent = KeyPath(key);
  const std::string path = sub_key.empty() ? parent : parent + "\\" + sub_key;
  if (NextRegCallFails() || parent.empty() || registry.count(path) == 0) {
    call.status = 2;  // not found
    return RecordReg(call);
  }
  *result = call.result = NewRegHandle(path);
  return RecordReg(call);
}

RegResult SimWindowSystem::RegSetValueEx(RegKey key, const std::string& value_name,
                                         std::uint32_t type,
                                         const std::vector<std::uint8_t>& data) {
  RegCall call = Call("RegSetValueExA", key, value_name);
  call.type = type;
  call.data = data;
  const std::string path = KeyPath(key);
  if (NextRegCallFails() || path.empty()) {
    call.status = 5;
    return RecordReg(call);
  }
  registry[path][value_name] = RegValue{type, data};
  return RecordReg(call);
}

RegResult SimWindowSystem::RegCloseKey(RegKey key) {
  RegCall call = Call("RegCloseKey", key, "");
  const bool known = reg_handles_.erase(key) != 0;
  if (NextRegCallFails() || !known) call.status = 6;  // invalid handle
  return RecordReg(call);
}

}  // namespace vcl
