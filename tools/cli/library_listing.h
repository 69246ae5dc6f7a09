// The text of "vrx3km-cli list".
#pragma once

#include "library/site_library.h"
#include "library/stored_settings.h"

#include <functional>
#include <string>

// Circuits in natural order (CompareSiteNames), each followed by its theaters and their screens
// in library order (natural order after a scan), indented two spaces a level, with the state of
// each screen's stored settings as settingsState tells it for the screen: " *" for valid ones,
// " !" (kFailsChecksMark) for settings of a valid length that fail their checks; then " ?"
// (kConflictMark) for a screen where hasConflict finds copies a sync engine left.
std::string
RenderListing(SiteLibrary& library,
              const std::function<StoredSettingsState(const SiteSelection&)>& settingsState,
              const std::function<bool(const SiteSelection&)>& hasConflict = {});

inline constexpr const char* kFailsChecksMark = " !";
inline constexpr const char* kConflictMark = " ?";
// Said on standard error below a listing that holds a " ?".
inline constexpr const char* kConflictLegend =
    "?: a sync engine left conflicting copies of the screen's files; vrx3km-cli conflicts lists "
    "them and vrx3km-cli resolve settles them.";
// Said on standard error below a listing that holds a " !".
inline constexpr const char* kFailsChecksLegend =
    "!: the stored settings fail their checks and a Send would refuse them; load the screen "
    "again, or restore a version that passes (vrx3km-cli history).";
