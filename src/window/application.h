#pragma once

namespace quervelle {

// Starts the program: the application object, Qt's own translations for the system's
// language (the buttons of the dialogs), the design font, the window icon; then shows the
// window and runs the event loop until the window is unloaded. Takes no option of its own.
int runApplication(int argc, char *argv[]);

} // namespace quervelle
