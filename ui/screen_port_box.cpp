#include "ui/screen_port_box.h"

#include "control/site_overview.h"
#include "library/screen_port.h"
#include "library/screen_store.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CScreenPortBox::CScreenPortBox(QWidget* parent, std::filesystem::path screenFolder,
                               const ScreenTarget& target)
    : QGroupBox(QString::fromUtf8("Port of the screen " + ScreenText(target)), parent),
      m_screenFolder(std::move(screenFolder)) {
    auto* grid = new QGridLayout(this);
    auto* intro = new QLabel("A screen reached through a port of its own (another adapter, or a "
                             "serial device server: rfc2217://HOST:PORT, tcp://HOST:PORT) keeps "
                             "it here; its Load, Send and comparison then use it, not the "
                             "checked COM button. Leave it empty to use the COM button.",
                             this);
    intro->setWordWrap(true);
    grid->addWidget(intro, 0, 0, 1, 2);
    m_pEdit = new QLineEdit(this);
    m_pEdit->setPlaceholderText("COM1 to COM4, a device or a network port");
    grid->addWidget(m_pEdit, 1, 0);
    auto* use = new QPushButton("&Use for this screen", this);
    use->setAutoDefault(false);
    grid->addWidget(use, 1, 1);
    m_pOutcome = new QLabel(this);
    m_pOutcome->setWordWrap(true);
    grid->addWidget(m_pOutcome, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    connect(use, &QPushButton::clicked, this, [this] { UseForScreen(); });
    ShowCurrent();
}

void CScreenPortBox::ShowCurrent() {
    const ScreenPort own = ReadScreenPort(m_screenFolder);
    m_pEdit->setText(QString::fromUtf8(own.m_strName));
    if (!own.m_strProblem.empty())
        m_pOutcome->setText(QString::fromUtf8("Its Port.txt cannot be used: " + own.m_strProblem));
    else
        m_pOutcome->setText(own.m_strName.empty() ? "It has no port of its own."
                                                  : "It uses this port.");
}

void CScreenPortBox::SetPortText(const std::string& name) {
    m_pEdit->setText(QString::fromUtf8(name));
}

bool CScreenPortBox::UseForScreen() {
    const std::string problem = SetScreenPort(m_screenFolder, m_pEdit->text().toStdString());
    if (!problem.empty()) {
        m_pOutcome->setText(QString::fromUtf8("Not kept: " + problem));
        return false;
    }
    ShowCurrent();
    return true;
}
