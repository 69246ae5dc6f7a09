#include "ui/input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

CInputGuard::CInputGuard(QWidget* window) : QObject(window), m_pWindow(window) {}

void CInputGuard::Start() {
    m_pWindow->setCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

void CInputGuard::Stop() {
    qApp->removeEventFilter(this);
    m_pWindow->unsetCursor();
}

bool CInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (IsUserInput(event->type())) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == m_pWindow)
            return true;
    }
    return QObject::eventFilter(watched, event);
}
