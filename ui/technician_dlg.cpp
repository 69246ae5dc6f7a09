#include "ui/technician_dlg.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

std::optional<std::string> AskTechnicianName(QWidget* parent, const std::string& suggested) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Technician's Name");
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(
        "The log of each screen records who loaded, sent, restored or deleted its settings. Type "
        "your name as colleagues should read it there. It is asked once and kept for this "
        "account; right-click the main window to change it.",
        &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* edit = new QLineEdit(QString::fromUtf8(suggested), &dialog);
    edit->setMaxLength(80);
    edit->selectAll();
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(dialog.fontMetrics().averageCharWidth() * 60, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text().toStdString();
}
