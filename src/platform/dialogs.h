#pragma once

#include <string>

class QWidget;

namespace quervelle {

// The modal dialogs of the platform, and the handling of uncaught errors. Tests replace them
// with a scripted answerer so that no test ever blocks on a real dialog.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns the button pressed: 1 OK, 2 Cancel, 4 Retry.
    virtual int msgBox(const std::string &prompt, int buttons, const std::string &title) = 0;
    // Returns the typed text; the empty text on Cancel.
    virtual std::string inputBox(const std::string &prompt, const std::string &title) = 0;
    // Shows an error that ended a handler; the program then goes on.
    virtual void uncaughtError(const std::string &message) = 0;
};

// The real dialogs: QMessageBox and QInputDialog over the window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent) : m_parent(parent) {}
    int msgBox(const std::string &prompt, int buttons, const std::string &title) override;
    std::string inputBox(const std::string &prompt, const std::string &title) override;
    void uncaughtError(const std::string &message) override;

private:
    QWidget *m_parent;
};

} // namespace quervelle
