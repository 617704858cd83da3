#include "logic/handlers.h"
#include "logic/rules.h"
#include "platform/platform.h"

#include <string>

namespace quervelle {

namespace {

constexpr const char *NoFilePrompt = "Aucun fichier n'a été sélectionné !";
constexpr const char *ConfirmDeletePrompt = "Effacer le fichier ?";
constexpr const char *ReadOnlyDrivePrompt =
    "Ecriture impossible, le CD-Rom n'est pas accessible en écriture !";
constexpr const char *NameRequiredPrompt = "Nom du nouveau dossier indispensable !";
constexpr const char *ConfirmRemovePrompt = "supprimer le dossier ?";
constexpr const char *NotEmptyPrompt = "Le répertoire désigné n'est pas vide !";
constexpr const char *NewFolderPrompt = "Entrez le nom du dossier que vous voulez créer.";

constexpr const char *ErrorTitle = "Erreur";
constexpr const char *AccessErrorTitle = "Erreur d'accès";
constexpr const char *ConfirmationTitle = "Confirmation";
constexpr const char *PrecisionTitle = "Précision";

bool holdsAnswer(const WindowValue &value, int answer) {
    const int *code = std::get_if<int>(&value);
    return code && *code == answer;
}

} // namespace

void Handlers::close() {
    m_platform.unloadWindow();
}

void Handlers::deleteFile() {
    if (m_platform.fileName() == "") {
        m_vars.Reply = m_platform.msgBox(NoFilePrompt, ButtonsExclamationOk, ErrorTitle);
        return;
    }
    m_vars.Entry =
        m_platform.msgBox(ConfirmDeletePrompt, ButtonsExclamationOkCancel, ConfirmationTitle);
    if (!holdsAnswer(m_vars.Entry, AnswerOk))
        return;

    const std::string path = composeSelectedFilePath(m_platform, WriteRootSet);
    if (isWriteProtectedDrive(m_platform)) {
        m_vars.Reply =
            m_platform.msgBox(ReadOnlyDrivePrompt, ButtonsExclamationOk, AccessErrorTitle);
        return;
    }
    m_platform.killFile(path);
    m_platform.fileRefresh();
}

void Handlers::createFolder() {
    for (;;) {
        m_vars.Entry = m_platform.inputBox(NewFolderPrompt, PrecisionTitle);
        const std::string name = std::get<std::string>(m_vars.Entry);
        if (name != "") {
            // The name exactly as typed: not trimmed, not checked, never cut at a NUL.
            const std::string path = composeFullPath(m_platform, WriteRootSet, name);
            if (isWriteProtectedDrive(m_platform)) {
                m_vars.Reply =
                    m_platform.msgBox(ReadOnlyDrivePrompt, ButtonsExclamationOk, AccessErrorTitle);
                return;
            }
            m_platform.makeDir(path);
            m_platform.dirRefresh();
            return;
        }
        m_vars.Reply =
            m_platform.msgBox(NameRequiredPrompt, ButtonsExclamationRetryCancel, AccessErrorTitle);
        if (!holdsAnswer(m_vars.Reply, AnswerRetry))
            return;
    }
}

void Handlers::runFile() {
    if (m_platform.fileName() == "") {
        m_vars.Reply = m_platform.msgBox(NoFilePrompt, ButtonsExclamationOk, ErrorTitle);
        return;
    }
    // No drive test: a program may be started from any drive, the last one included.
    const std::string path = composeSelectedFilePath(m_platform, RunRootSet);
    m_platform.shell(path, WindowStyleMinimizedFocus);
}

void Handlers::removeFolder() {
    m_vars.Entry =
        m_platform.msgBox(ConfirmRemovePrompt, ButtonsExclamationOkCancel, ConfirmationTitle);
    if (!holdsAnswer(m_vars.Entry, AnswerOk))
        return;

    const std::string folder = m_platform.dirPath();
    // Only the names the file list shows count; the system refuses a folder that is not empty.
    if (m_platform.fileListCount() != 0) {
        m_vars.Reply = m_platform.msgBox(NotEmptyPrompt, ButtonsExclamationOk, ErrorTitle);
        return;
    }
    if (isWriteProtectedDrive(m_platform)) {
        m_vars.Reply =
            m_platform.msgBox(ReadOnlyDrivePrompt, ButtonsExclamationOk, AccessErrorTitle);
        return;
    }
    m_platform.removeDir(folder);
    // Dir1 first: the removed folder gives way to its parent and Dir1's Change moves File1 there.
    // File1 alone would be re-reading a folder that no longer exists, which is an error.
    m_platform.dirRefresh();
    m_platform.fileRefresh();
}

} // namespace quervelle
