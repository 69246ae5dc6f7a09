#include "ui/port_buttons.h"

#include "control/port_line.h"
#include "library/screen_store.h"
#include "ui/main_view.h"
#include "ui/port_dlg.h"
#include "ui/screen_port_box.h"

CPortButtons::CPortButtons(QWidget* window, CMainView& view, CPortLine& line,
                           PortSettings& settings, WindowPrompt& boxes)
    : m_pWindow(window), m_view(view), m_line(line), m_settings(settings), m_boxes(boxes) {}

void CPortButtons::Select(int index) {
    m_line.Select(index);
    m_view.CheckPort(index);
    Show();
    m_view.ShowPortProblem(m_line.Problem());
}

void CPortButtons::OpenSaved() {
    m_line.Open();
    m_view.CheckPort(m_line.Index());
    Show();
}

void CPortButtons::Probe() {
    m_line.ReopenIfGone();
    Show();
}

void CPortButtons::OnPorts(const std::optional<ScreenTarget>& screen,
                           const std::filesystem::path& root) {
    CPortDlg dialog(m_pWindow, m_boxes, m_settings.ProfilePath);
    if (screen)
        dialog.AddBox(new CScreenPortBox(&dialog, ScreenFolderPath(root, *screen), *screen));
    dialog.Load();
    dialog.SetTrace(m_line.IsTracing(), m_line.TracePath());
    dialog.SetFinder([this](const std::vector<std::string>& candidates,
                            const std::function<void(const std::string&)>& progress) {
        return m_line.FindProcessor(candidates, progress);
    });
    if (dialog.exec() == QDialog::Accepted) {
        m_line.SetTrace(dialog.TraceEnabled(), dialog.TracePath());
        m_line.Open();
        Show();
        m_view.ShowPortProblem(m_line.Problem());
        return;
    }
    Show();
}

void CPortButtons::Show() {
    m_view.ShowPortLine(m_line.Check());
}
