#pragma once
#include <string>

namespace lumikko {

// Scheme and host of the avatar site and of the update forum. Set from the build
// (LUMIKKO_SITE_ORIGIN, LUMIKKO_FORUM_ORIGIN); tests point them elsewhere.
extern std::string site_origin;
extern std::string forum_origin;

} // namespace lumikko
