#include "net/origins.h"

namespace lumikko {

std::string site_origin = LUMIKKO_SITE_ORIGIN;
std::string forum_origin = LUMIKKO_FORUM_ORIGIN;

} // namespace lumikko
