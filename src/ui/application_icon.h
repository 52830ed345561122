#pragma once
// The program's icon (the one the desktop entry installs), for the window
// and the About box.

#include <QIcon>

namespace talvir {

// Drawn from the SVG built into the program, at the sizes window managers
// and the About box ask for. Null only if the resource is missing.
QIcon ApplicationIcon();

}  // namespace talvir
