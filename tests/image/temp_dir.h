// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

class TempDir {
public:
    TempDir() {
        // A folder that did not exist before is this object's alone.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("vrx-image-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                m_path = candidate;
            }
        }
        if (m_path.empty()) {
            throw std::runtime_error("cannot create a temporary folder");
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Why taking a folder's write permission away does not stop writes into it here, or "" when it
// does. Windows keeps no write permission on folders (their read-only attribute is not
// enforced); the superuser passes every permission check.
inline std::string WhyFolderPermissionsDoNotBind() {
#ifdef _WIN32
    return "Windows does not enforce a folder's read-only attribute";
#else
    return ::geteuid() == 0 ? "folder permissions do not bind the superuser" : "";
#endif
}
