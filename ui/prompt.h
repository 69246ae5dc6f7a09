// The one way the window asks or tells the technician something in a message box. Tests put a
// scripted Prompt in place of the message boxes, so no test ever waits on a real box.
#pragma once

#include <memory>
#include <string>

class QMessageBox;
class QString;
class QWidget;

// SaveDiscardCancel: the question before unsaved text is closed (Save, Don't Save, Cancel).
enum class PromptButtons { Ok, OkCancel, SaveDiscardCancel };
enum class PromptIcon { None, Exclamation, Stop };
// The answers, numbered as the dialog results: OK 1, Cancel 2 (also Escape and the close box),
// Save 6 and Discard 7 (the Yes and No of a Yes/No/Cancel box).
enum PromptAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerSave = 6, kAnswerDiscard = 7 };

struct PromptRequest {
    std::string m_strText;
    std::string m_strCaption;
    PromptButtons m_nButtons = PromptButtons::Ok;
    // Cancel instead of OK or Save as the button Enter presses.
    bool m_bCancelDefault = false;
    PromptIcon m_nIcon = PromptIcon::None;
};

class Prompt {
public:
    virtual ~Prompt() = default;
    // Shows the request owned by owner (may be null) and returns the answer.
    virtual int Ask(QWidget* owner, const PromptRequest& request) = 0;
};

// The prompt in use; a QMessageBox prompt unless SetPrompt installed another.
Prompt& CurrentPrompt();
// Installs prompt (kept by the caller, must outlive its use); null restores the message boxes.
void SetPrompt(Prompt* prompt);

// The window title of a box with this caption. An empty caption gives a title that shows no
// text, not the program's name that the desktop puts in an empty title.
QString BoxTitle(const std::string& caption);
// The message box that shows the request, not yet shown.
std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const PromptRequest& request);

// Shorthands for the boxes the commands show.
int AskPrompt(QWidget* owner, const PromptRequest& request);
// A file error: stop icon, the standard text, the application name as caption.
void ShowFileError(QWidget* owner, const std::string& message);
