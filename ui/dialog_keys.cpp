#include "ui/dialog_keys.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPushButton>
#include <QTreeWidget>

namespace {

class EnterHandling : public QObject {
public:
    explicit EnterHandling(QDialog* dialog) : QObject(dialog), m_pDialog(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_pDialog)
            return false;
        if (event->type() == QEvent::Show) {
            SuppressFirstDefault();
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // A push button with the focus took its Enter itself; this Enter came from the tree, a
        // radio button or another control.
        if (auto* tree = qobject_cast<QTreeWidget*>(m_pDialog->focusWidget())) {
            QTreeWidgetItem* item = tree->currentItem();
            if (item && item->childCount() > 0)
                item->setExpanded(!item->isExpanded());
        }
        return true;
    }

private:
    // On showing, a dialog makes the first auto-default button after the focused control its
    // default button, drawn as the one Enter would press. Enter presses only the focused button
    // here, so no button is marked while the tree has the focus: auto-default is off while the
    // dialog picks, and on again right after.
    void SuppressFirstDefault() {
        const auto buttons = m_pDialog->findChildren<QPushButton*>();
        for (QPushButton* button : buttons) {
            if (button->autoDefault() && !button->hasFocus()) {
                button->setAutoDefault(false);
                QMetaObject::invokeMethod(
                    button, [button] { button->setAutoDefault(true); }, Qt::QueuedConnection);
            }
        }
    }

    QDialog* m_pDialog;
};

} // namespace

void InstallEnterHandling(QDialog* dialog) {
    dialog->installEventFilter(new EnterHandling(dialog));
}
