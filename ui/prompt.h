// The window's message boxes. The requests and answers are the Qt-free ones of control/prompt.h;
// here they are shown over the window that asks. app/ makes the real boxes and hands them to the
// main dialog, which hands them on to the dialogs it opens; tests hand in scripted answers, so no
// test ever waits on a real box.
#pragma once

#include "control/prompt.h"

#include <memory>
#include <string>

class QMessageBox;
class QString;
class QWidget;

class WindowPrompt {
public:
    virtual ~WindowPrompt() = default;
    // Shows the request owned by owner (may be null) and returns the answer.
    virtual PromptAnswer Ask(QWidget* owner, const PromptRequest& request) = 0;
};

// The boxes themselves: a QMessageBox for each request.
class CMessageBoxPrompt : public WindowPrompt {
public:
    PromptAnswer Ask(QWidget* owner, const PromptRequest& request) override;
};

// Which window owns the boxes a CPromptOver shows.
enum class BoxOwner {
    Window,      // the window it was made for
    ModalDialog, // the modal dialog open above the window (the name dialog while it checks a
                 // name), else the window
};

// The boxes of one window as its controllers ask them, captioned with the application's name
// where they speak for the program.
class CPromptOver : public Prompt {
public:
    CPromptOver(WindowPrompt& boxes, QWidget* window, BoxOwner owner = BoxOwner::Window)
        : m_boxes(boxes), m_pWindow(window), m_nOwner(owner) {}
    PromptAnswer Ask(const PromptRequest& request) override;
    std::string ProgramCaption() const override;
    // The boxes, for a dialog the window opens.
    WindowPrompt& Boxes() const { return m_boxes; }

private:
    WindowPrompt& m_boxes;
    QWidget* m_pWindow;
    BoxOwner m_nOwner;
};

// The window title of a box with this caption. An empty caption gives a title that shows no
// text, not the program's name that the desktop puts in an empty title.
QString BoxTitle(const std::string& caption);
// The message box that shows the request, not yet shown.
std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const PromptRequest& request);
