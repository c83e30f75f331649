#pragma once

#include <QString>

#include <string>

namespace lumikko {

// Registers the built-in pictures (":/res/...") of the static resource library. Call once at
// start-up, before the first picture is loaded; calling it again does no harm.
void init_resources();

// The bytes of a built-in file; empty when there is none.
std::string resource_bytes(const QString& path);

// The path of a button picture by its name ("close_normal"); its 2x picture
// sits beside it.
QString button_picture(const QString& name);

} // namespace lumikko
