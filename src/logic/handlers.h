#pragma once

// The ten event handlers of the window. Each runs to completion on the user-interface thread,
// reads and writes the controls through Platform, decides with the rules of rules.h and keeps
// nothing between runs except what it stores in the window variables. None catches an error:
// a failing platform call or a 16-bit overflow ends the handler at that step, and the event
// dispatch of the window reports it.
//
// navigation.cpp: driveChanged, folderChanged, applyFilter, fileListLeft
// details.cpp:    fileClicked
// commands.cpp:   close, deleteFile, createFolder, runFile, removeFolder

#include "logic/windowvariables.h"

namespace quervelle {

class Platform;

class Handlers {
public:
    Handlers(Platform &platform, WindowVariables &variables)
        : m_platform(platform), m_vars(variables) {}

    void driveChanged();  // Change of Drive1
    void folderChanged(); // Change of Dir1
    void applyFilter();   // Click of Command2 ("OK")
    void fileListLeft();  // LostFocus of File1
    void fileClicked();   // Click of File1
    void close();         // Click of Command1 ("Fermer")
    void deleteFile();    // Click of Command3 ("Kill")
    void createFolder();  // Click of Command4 ("Créer dossier")
    void runFile();       // Click of Command5 ("Exécuter")
    void removeFolder();  // Click of Command6 ("RmDir")

private:
    Platform &m_platform;
    WindowVariables &m_vars;
};

} // namespace quervelle
