// The text of "vrx3km-cli list".
#pragma once

#include "library/site_library.h"

#include <functional>
#include <string>

// Circuits in natural order (CompareSiteNames), each followed by its theaters and their screens
// in library order (natural order after a scan), indented two spaces a level. hasSettings is
// asked with the screen current in the library; a screen for which it is true gets " *".
std::string RenderListing(SiteLibrary& library, const std::function<bool()>& hasSettings);
