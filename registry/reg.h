// Writing one string value under the current user's registry.
#pragma once

#include <string>

namespace vcl {
class Registry;
}

// Sets `ValueName` in the key `KeyPath` of the current user, creating the key
// when it is missing. Raises vcl::Exception when the key or the value cannot
// be written.
void WriteRegString(vcl::Registry& registry, const std::string& KeyPath,
                    const std::string& ValueName, const std::string& ValueText);
