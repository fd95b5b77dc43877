// SPDX-License-Identifier: MIT
#include "file_names.h"

namespace kestrix {

std::filesystem::path pathFromName(const std::string &name)
{
#if defined(_WIN32)
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
#else
    return std::filesystem::path(name);
#endif
}

std::string nameFromPath(const std::filesystem::path &path)
{
#if defined(_WIN32)
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

std::string absoluteName(const std::string &name)
{
    std::error_code ignored;
    const auto path = std::filesystem::absolute(pathFromName(name), ignored);
    return nameFromPath(path.empty() ? pathFromName(name) : path.lexically_normal());
}

} // namespace kestrix
