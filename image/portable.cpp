#include "image/portable.h"

bool ToLocalTime(std::time_t when, std::tm& local) {
#if defined(_WIN32)
    return localtime_s(&local, &when) == 0;
#else
    return localtime_r(&when, &local) != nullptr;
#endif
}

std::filesystem::path PathFromUtf8(std::string_view text) {
#if defined(_WIN32)
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::path(std::string(text));
#endif
}

std::string PathToUtf8(const std::filesystem::path& path) {
#if defined(_WIN32)
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}
