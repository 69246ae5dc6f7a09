// The one way the Windows window asks or tells the technician something in a message box. It
// takes the requests of control/prompt.h, as the Qt window does, so that both windows show the
// same boxes.
#pragma once

#include "control/prompt.h"

#include <functional>
#include <string>

#include "win32/text.h"

// The caption of the boxes that speak for the program as a whole (file errors, the name
// dialog's length check); the boxes of the main dialog's own commands have an empty caption.
inline constexpr const char* kApplicationName = "vrx3km";

// Shows the request in a message box owned by owner (may be null) and returns the answer: Ok,
// Cancel (also Escape and the close box), Save or Discard.
// OK: the OK button. OkCancel: OK and Cancel, OK the default unless m_bCancelDefault.
// SaveDiscardCancel: "Save", "Don't Save" and "Cancel". The icon is the exclamation mark, the
// stop sign or none; an empty caption is a box whose title shows nothing.
PromptAnswer AskBox(HWND owner, const PromptRequest& request);

// The controllers' Prompt as message boxes, owned by the program's active window (the main
// dialog, or the name dialog over it).
class CBoxPrompt : public Prompt {
public:
    PromptAnswer Ask(const PromptRequest& request) override;
    std::string ProgramCaption() const override { return kApplicationName; }
};

// Who answers the boxes that a part of the window asks in: AskBox, or in a test a scripted
// answerer, so that nothing waits for a person.
using BoxAnswerer = std::function<PromptAnswer(HWND owner, const PromptRequest& request)>;

// A file error: the standard text, the stop icon, the application's name as caption.
PromptRequest FileErrorRequest(const std::string& message);
void ShowFileError(HWND owner, const std::string& message);
