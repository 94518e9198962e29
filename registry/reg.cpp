#include "registry/reg.h"

#include <cstdint>
#include <vector>

#include "platform/exception.h"
#include "platform/registry.h"

using vcl::RegKey;

namespace {

// Closes a key handle however the scope is left.
class KeyCloser {
 public:
  KeyCloser(vcl::Registry& registry, RegKey key) : registry_(registry), key_(key) {}
  ~KeyCloser() {
    if (key_ != 0) registry_.RegCloseKey(key_);
  }
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;

 private:
  vcl::Registry& registry_;
  RegKey key_;
};

// The text's bytes, one appended zero and the text's own terminating zero.
std::vector<std::uint8_t> StringData(const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  data.push_back(0);
  return data;
}

}  // namespace

void WriteRegString(vcl::Registry& registry, const std::string& KeyPath,
                    const std::string& ValueName, const std::string& ValueText) {
  RegKey key = 0;
  if (registry.RegCreateKeyEx(vcl::kHKeyCurrentUser, KeyPath, vcl::kRegOptionNonVolatile,
                              vcl::kKeyAllAccess, &key) != vcl::kErrorSuccess ||
      key == 0) {
    // Going on without the key would only write into nothing: say which key.
    throw vcl::Exception("Failed to create key " + KeyPath);
  }
  KeyCloser close_key(registry, key);

  RegKey place = 0;
  if (registry.RegCreateKeyEx(key, "", vcl::kRegOptionNonVolatile, vcl::kKeyAllAccess,
                              &place) != vcl::kErrorSuccess) {
    throw vcl::Exception("Failed to create key ");
  }
  if (place != 0) registry.RegCloseKey(place);

  RegKey value_key = 0;
  registry.RegOpenKeyEx(key, "", 0, vcl::kKeyAllAccess, &value_key);
  if (value_key == 0) return;
  KeyCloser close_value(registry, value_key);
  if (registry.RegSetValueEx(value_key, ValueName, vcl::kRegSz, StringData(ValueText)) !=
      vcl::kErrorSuccess) {
    throw vcl::Exception("Failed to set data for '" + ValueName + "'");
  }
}
