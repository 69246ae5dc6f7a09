// The Qt side of the port line (control/port_line.h): the four port buttons, the line beside them
// that names the chosen port's device and whether it is open, the status text when a port does
// not open, and the serial ports dialog.
#pragma once

#include "image/settings_store.h"

#include <filesystem>
#include <optional>

class CMainView;
class CPortLine;
class QWidget;
class WindowPrompt;
struct PortSettings;

class CPortButtons {
public:
    CPortButtons(QWidget* window, CMainView& view, CPortLine& line, PortSettings& settings,
                 WindowPrompt& boxes);

    // A port button: the port chosen, opened and saved; one that did not open says why at once.
    void Select(int index);
    // The chosen port opened, its button checked.
    void OpenSaved();
    // The window became the active one: a port shown open whose device has gone is opened again.
    void Probe();
    // The serial ports dialog; after OK the chosen port is opened again on its device. With a
    // screen selected, the dialog also sets or removes its own port (below root).
    void OnPorts(const std::optional<ScreenTarget>& screen = std::nullopt,
                 const std::filesystem::path& root = ".");
    // Shows what the port line says now.
    void Show();

private:
    QWidget* m_pWindow;
    CMainView& m_view;
    CPortLine& m_line;
    PortSettings& m_settings;
    WindowPrompt& m_boxes;
};
