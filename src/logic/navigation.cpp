#include "logic/handlers.h"
#include "logic/rules.h"
#include "platform/platform.h"

namespace quervelle {

namespace {

constexpr const char *EmptyPatternPrompt =
    "Sélectionnez 'extension' ou 'Nom complet' et renseigner la case 'fichier'";
constexpr const char *ErrorTitle = "Erreur";

} // namespace

void Handlers::driveChanged() {
    // Dir1 shows the folder it holds for that drive and raises its own Change, which moves File1.
    m_platform.setDirPath(m_platform.driveDrive());
}

void Handlers::folderChanged() {
    // A folder path given through FileName becomes File1's folder; its pattern is kept.
    m_platform.setFileName(m_platform.dirPath());
}

void Handlers::applyFilter() {
    if (m_platform.text(TextBox::Text1) != "") {
        // Setting the pattern re-reads the folder; no refresh is needed.
        m_platform.setFilePattern(filterPattern(m_platform.text(TextBox::Text1)));
    } else {
        m_vars.Reply = m_platform.msgBox(EmptyPatternPrompt, ButtonsExclamationOk, ErrorTitle);
    }
}

void Handlers::fileListLeft() {
    m_platform.setText(TextBox::Text2, "");
    m_platform.setText(TextBox::Text3, "");
}

} // namespace quervelle
