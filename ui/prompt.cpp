#include "ui/prompt.h"

#include <QApplication>
#include <QMessageBox>

PromptAnswer CMessageBoxPrompt::Ask(QWidget* owner, const PromptRequest& request) {
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(owner, request);
    switch (box->exec()) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Save:
        return PromptAnswer::Save;
    case QMessageBox::Discard:
        return PromptAnswer::Discard;
    default:
        return PromptAnswer::Cancel;
    }
}

PromptAnswer CPromptOver::Ask(const PromptRequest& request) {
    QWidget* owner = m_pWindow;
    if (m_nOwner == BoxOwner::ModalDialog) {
        if (QWidget* modal = QApplication::activeModalWidget())
            owner = modal;
    }
    return m_boxes.Ask(owner, request);
}

std::string CPromptOver::ProgramCaption() const {
    return QApplication::applicationName().toStdString();
}

QString BoxTitle(const std::string& caption) {
    // The desktop fills an empty title with the program's name; a single space is a title of
    // its own that shows as nothing.
    return caption.empty() ? QStringLiteral(" ") : QString::fromStdString(caption);
}

std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const PromptRequest& request) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setText(QString::fromStdString(request.m_strText));
    box->setWindowTitle(BoxTitle(request.m_strCaption));
    switch (request.m_nIcon) {
    case PromptIcon::None:
        box->setIcon(QMessageBox::NoIcon);
        break;
    case PromptIcon::Exclamation:
        box->setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Stop:
        box->setIcon(QMessageBox::Critical);
        break;
    }
    switch (request.m_nButtons) {
    case PromptButtons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::OkCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setDefaultButton(request.m_bCancelDefault ? QMessageBox::Cancel : QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case PromptButtons::SaveDiscardCancel:
        box->setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box->setDefaultButton(request.m_bCancelDefault ? QMessageBox::Cancel : QMessageBox::Save);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    }
    return box;
}
