#include "support/handlerprobe.h"

#include "window/quervelle.h"

namespace quervelle::test {

HandlerProbe::HandlerProbe(Quervelle &window) : m_window(window) {
    m_window.m_handlerStarting = [this](std::string_view handler) {
        m_started << QString::fromLatin1(handler.data(), qsizetype(handler.size()));
    };
}

HandlerProbe::~HandlerProbe() {
    m_window.m_handlerStarting = nullptr;
}

int HandlerProbe::handlersRun(const Quervelle &window) {
    return window.m_handlersRun;
}

} // namespace quervelle::test
