// Input given to a window while a transfer runs is dropped, never replayed after it: clicks,
// keys, the wheel, touches and context menus, to the window and every control in it. The boxes a
// transfer asks in, which are windows of their own, take input as usual. The window looks busy
// meanwhile, so that the dead Exit and Delete do not surprise.
#pragma once

#include <QObject>

class QWidget;

class CInputGuard : public QObject {
    Q_OBJECT
public:
    explicit CInputGuard(QWidget* window);
    void Start();
    void Stop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pWindow;
};
