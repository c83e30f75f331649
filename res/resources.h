#pragma once

namespace lumikko {

// Registers the built-in pictures (":/res/...") of the static resource library. Call once at
// start-up, before the first picture is loaded; calling it again does no harm.
void init_resources();

} // namespace lumikko
