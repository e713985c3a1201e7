// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brantlow::platform {

// Private-profile files: one key read or written per call, the file opened and
// closed each time. Sections and keys match ignoring ASCII case; other
// sections, keys and unknown lines are kept as they stand. Values are read up
// to 2047 characters. Failures are never reported: a read yields the default,
// a write returns false.
std::string readProfileString(const std::string &file, const std::string &section, const std::string &key,
                              const std::string &defaultValue);
bool writeProfileString(const std::string &file, const std::string &section, const std::string &key,
                        const std::string &value);

} // namespace brantlow::platform
