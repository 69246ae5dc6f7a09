// Interim: the stored settings of a screen found by its names, on a one-screen library of its
// own so that the window's selection is never moved from the transfer's thread.
#pragma once

#include "image/settings_image.h"
#include "image/settings_store.h"
#include "library/site_storage.h"

#include <filesystem>

class ScreenSettingsStore : public SettingsStore {
public:
    explicit ScreenSettingsStore(std::filesystem::path root) : m_root(std::move(root)) {}
    bool HasSettings(const ScreenTarget& target) override {
        SettingsImage image;
        Scope scope(m_root, target, image);
        return scope.m_storage.IsSettingsFileValid(PathKind::SettingsFile);
    }
    void SaveSettings(const ScreenTarget& target, const SettingsImage& image) override {
        SettingsImage copy = image;
        Scope scope(m_root, target, copy);
        scope.m_storage.SaveSite(PathKind::SettingsFile);
    }
    void LoadSettings(const ScreenTarget& target, SettingsImage& image) override {
        Scope scope(m_root, target, image);
        scope.m_storage.LoadSite();
    }

private:
    struct Scope {
        Scope(const std::filesystem::path& root, const ScreenTarget& target, SettingsImage& image)
            : m_storage(m_library, root, &image) {
            m_library.AddCircuit(target.m_strCircuit);
            m_library.AddTheater(target.m_strTheater);
            m_library.AddScreen(target.m_strScreen);
        }
        SiteLibrary m_library;
        CSiteStorage m_storage;
    };
    std::filesystem::path m_root;
};
