#include "ui/prompt.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

namespace {

class MessageBoxPrompt : public Prompt {
public:
    int Ask(QWidget* owner, const PromptRequest& request) override {
        const std::unique_ptr<QMessageBox> box = BuildMessageBox(owner, request);
        switch (box->exec()) {
        case QMessageBox::Ok:
            return kAnswerOk;
        case QMessageBox::Save:
            return kAnswerSave;
        case QMessageBox::Discard:
            return kAnswerDiscard;
        default:
            return kAnswerCancel;
        }
    }
};

MessageBoxPrompt g_messageBoxPrompt;
Prompt* g_pPrompt = &g_messageBoxPrompt;

} // namespace

Prompt& CurrentPrompt() {
    return *g_pPrompt;
}

void SetPrompt(Prompt* prompt) {
    g_pPrompt = prompt ? prompt : &g_messageBoxPrompt;
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

int AskPrompt(QWidget* owner, const PromptRequest& request) {
    return CurrentPrompt().Ask(owner, request);
}

void ShowFileError(QWidget* owner, const std::string& message) {
    PromptRequest request;
    request.m_strText = message;
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nIcon = PromptIcon::Stop;
    AskPrompt(owner, request);
}
