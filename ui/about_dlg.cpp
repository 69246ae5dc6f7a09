#include "ui/about_dlg.h"

#include "ui/dialog_units.h"
#include "ui/help.h"

#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

QIcon ApplicationIcon() {
    QIcon icon;
    icon.addFile(":/images/ICON32.xpm", QSize(32, 32));
    icon.addFile(":/images/ICON16.xpm", QSize(16, 16));
    return icon;
}

CAboutDlg::CAboutDlg(WindowPrompt& boxes, Launcher& launcher, QWidget* parent) : QDialog(parent) {
    const DialogUnits du(fontMetrics());
    setWindowTitle("About 3km");
    setFixedSize(du.X(235), du.Y(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    du.Place(icon, 11, 17, 20, 20);
    icon->resize(icon->size().expandedTo(QSize(32, 32)));
    auto* text = new QLabel("3km Version 1.2", this);
    du.Place(text, 40, 10, 119, 8);
    auto* ok = new QPushButton("OK", this);
    du.Place(ok, 178, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this, &boxes, &launcher] { OpenHelp(this, boxes, launcher); });
}
