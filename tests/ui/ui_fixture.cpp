#include "ui_fixture.h"

#include "link/profile.h"
#include "ui/status_area.h"

#include <QDir>
#include <QLabel>
#include <QTreeWidget>

#include <fstream>
#include <random>

namespace fs = std::filesystem;

PromptAnswer ScriptedPrompt::Ask(QWidget*, const PromptRequest& request) {
    m_asked.push_back(request);
    if (m_answers.empty())
        return m_bPressEnter && request.m_bCancelDefault ? PromptAnswer::Cancel : PromptAnswer::Ok;
    const PromptAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void MainDlgTest::SetUp() {
    m_oldCurrent = fs::current_path();
    std::random_device seed;
    m_root = fs::temp_directory_path() / ("vrx_ui_" + std::to_string(seed()));
    fs::create_directories(m_root);
    fs::current_path(m_root);
    QDir::setCurrent(QString::fromStdString(m_root.string()));
}

void MainDlgTest::TearDown() {
    m_pDlg.reset();
    fs::current_path(m_oldCurrent);
    QDir::setCurrent(QString::fromStdString(m_oldCurrent.string()));
    std::error_code ec;
    fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_root, ec);
}

void MainDlgTest::MakeFolders(const std::string& path) {
    fs::create_directories(m_root / path);
}

void MainDlgTest::WriteFile(const std::string& path, std::size_t size) {
    std::ofstream out(m_root / path, std::ios::binary);
    out << std::string(size, '\x01');
}

CMainDlg& MainDlgTest::Start() {
    m_pDlg.reset();
    m_pLibrary = std::make_unique<SiteLibrary>();
    m_pDlg = std::make_unique<CMainDlg>(m_port, m_codec, m_image, m_portSettings, *m_pLibrary,
                                        m_prompt, m_launcher);
    // Like the name dialog: each scripted name is offered to the check in turn, a refused one
    // is corrected by the next; the end of the script, or nullopt, cancels.
    m_pDlg->SetNameSource([this](const std::string& caption,
                                 const CMainDlg::NameCheck& check) -> std::optional<std::string> {
        m_captions.push_back(caption);
        while (!m_names.empty()) {
            const auto name = m_names.front();
            m_names.pop_front();
            if (!name)
                return std::nullopt;
            if (check(*name))
                return name;
        }
        return std::nullopt;
    });
    m_pDlg->SetPortOpener([this](const std::string& name) {
        m_opened.push_back(name);
        return std::string();
    });
    m_pDlg->InitDialog();
    return *m_pDlg;
}

void MainDlgTest::Select(const std::vector<std::string>& names) {
    QStringList path;
    for (const std::string& name : names)
        path << QString::fromStdString(name);
    QTreeWidgetItem* item = CSiteTree::Find(m_pDlg->Tree(), path);
    ASSERT_NE(item, nullptr) << "no tree item " << path.join('/').toStdString();
    m_pDlg->Tree()->setCurrentItem(item);
}

bool MainDlgTest::Enabled(int id) const {
    return m_pDlg->Control(id)->isEnabled();
}

std::string MainDlgTest::Text(int id) const {
    const std::string text = qobject_cast<QLabel*>(m_pDlg->Control(id))->text().toStdString();
    // The status control shows the status text, then the reason on lines of its own.
    return id == IDC_STATUS ? text.substr(0, text.find('\n')) : text;
}

std::string MainDlgTest::Reason() const {
    return m_pDlg->StatusArea()->Reason().toStdString();
}

std::vector<std::string> MainDlgTest::TopLevelTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < m_pDlg->Tree()->topLevelItemCount(); ++i)
        texts.push_back(m_pDlg->Tree()->topLevelItem(i)->text(0).toStdString());
    return texts;
}

void MainDlgTest::Add(int command) {
    if (command == 0)
        m_pDlg->OnAddCircuit();
    else if (command == 1)
        m_pDlg->OnAddTheater();
    else
        m_pDlg->OnAddScreen();
}
