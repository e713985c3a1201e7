// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace brantlow::cli {

// File names are bytes; these make them printable without losing them.

bool isValidUtf8(std::string_view text);

// For text output, one name on one line: control characters, backslashes
// and bytes that are not UTF-8 become C-style escapes ("\n", "\\", "\351"),
// as `ls -b` shows them.
std::string shownPath(std::string_view path);

// For JSON: the name as a string when it is UTF-8, else {"bytes": "<base64>"}.
nlohmann::ordered_json pathAsJson(std::string_view path);

std::string base64(std::string_view bytes);

} // namespace brantlow::cli
