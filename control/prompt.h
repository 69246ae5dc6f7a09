// The one way a command asks or tells the technician something in a message box, without a
// toolkit: each window binds it to its own message boxes, and tests put scripted answers in
// their place, so no test ever waits on a real box.
#pragma once

#include <string>

// SaveDiscardCancel: the question before unsaved text is closed (Save, Don't Save, Cancel).
enum class PromptButtons { Ok, OkCancel, SaveDiscardCancel };
enum class PromptIcon { None, Exclamation, Stop };
// The answers, numbered as the dialog results: OK 1, Cancel 2 (also Escape and the close box),
// Save 6 and Discard 7 (the Yes and No of a Yes/No/Cancel box).
enum class PromptAnswer { Ok = 1, Cancel = 2, Save = 6, Discard = 7 };

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
    // Shows the request over the window that asks and returns the technician's answer.
    virtual PromptAnswer Ask(const PromptRequest& request) = 0;
    // The caption of the boxes that speak for the program as a whole (a file error, the delete
    // question): the application's name. The main window's own notices have an empty caption.
    virtual std::string ProgramCaption() const = 0;
};

// A box with the OK button alone.
void Tell(Prompt& prompt, const std::string& strText, const std::string& strCaption,
          PromptIcon icon);
// An OK/Cancel question; true for OK.
bool Confirm(Prompt& prompt, const std::string& strText, const std::string& strCaption,
             PromptIcon icon, bool bCancelDefault);
// A file error: the standard text, the stop icon, the program's caption.
void ShowFileError(Prompt& prompt, const std::string& strMessage);
