#pragma once

class QLocale;

namespace quervelle {

// Loads Qt's own translations (the texts of the standard buttons) for locale, from where Qt
// keeps them, else from the copy built into the program. Returns false when there is none for
// that language; Qt's English stays.
bool installQtTranslations(const QLocale &locale);

// Starts the program: the application object, Qt's own translations for the system's
// language (the buttons of the dialogs), the design font, the window icon; then shows the
// window and runs the event loop until the window is unloaded. Once the window has its start
// folder, the working folder moves away from it (pathtext::leaveStartFolder). Takes no option
// of its own.
int runApplication(int argc, char *argv[]);

} // namespace quervelle
