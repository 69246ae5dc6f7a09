#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/site_visit.h"
#include "library/user_settings.h"
#include "ui/conflict_dlg.h"
#include "ui/library_place.h"
#include "ui/notes_editor.h"
#include "ui/text_viewer.h"
#include "ui/visit_record.h"
#include "ui_fixture.h"

#include "dialogue.h"
#include "line_data.h"
#include "pdf_text.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTreeWidget>

#include <cstdlib>
#include <deque>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ChildTexts(const QTreeWidgetItem* item) {
    std::vector<std::string> texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts.push_back(item->child(i)->text(0).toStdString());
    return texts;
}

// Points HOME, the desktop's folders and the per-user settings at temporary folders for the
// life of one test, so nothing of the real user is read or written.
class TemporaryUser {
public:
    explicit TemporaryUser(const fs::path& home) : m_oldHome(qgetenv("HOME")) {
        m_bHadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        fs::create_directories(home / ".config");
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home / ".config").string()));
        UseSettings(home / ".config");
    }
    ~TemporaryUser() {
        qputenv("HOME", m_oldHome);
        if (m_bHadConfig)
            qputenv("XDG_CONFIG_HOME", m_oldConfig);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    // A fresh settings folder: nothing is remembered there yet.
    static void UseSettings(const fs::path& folder) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder.string()));
    }

private:
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
    bool m_bHadConfig = false;
};

} // namespace

TEST_F(MainDlgTest, RefreshShowsWhatChangedOnDiskAndKeepsTheSelection) {
    MakeFolders("Main/Plaza/2");
    MakeFolders("Main/Plaza/10");
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    EXPECT_FALSE(dlg.LibraryChangedOnDisk());

    // Another program (the command-line tool) adds a circuit, a screen, and removes one.
    MakeFolders("Annex");
    MakeFolders("Main/Plaza/1");
    fs::remove(m_root / "Main/Plaza/10");
    EXPECT_TRUE(dlg.LibraryChangedOnDisk());
    dlg.Refresh();
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Annex", "Main"}));
    QTreeWidgetItem* plaza = dlg.Tree()->topLevelItem(1)->child(0);
    EXPECT_EQ(ChildTexts(plaza), (std::vector<std::string>{"1", "2"}));
    ASSERT_NE(dlg.Tree()->currentItem(), nullptr);
    EXPECT_EQ(dlg.Tree()->currentItem(), plaza->child(1));
    EXPECT_EQ(Text(IDC_SCREEN), "2");
    EXPECT_EQ(dlg.Library().GetScreenName(), "2");
    EXPECT_FALSE(dlg.LibraryChangedOnDisk());

    // The selected entry itself gone: the first circuit is selected, as at start.
    fs::remove_all(m_root / "Main");
    dlg.RefreshAction()->trigger();
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"Annex"});
    EXPECT_EQ(Text(IDC_CIRCUIT), "Annex");
    EXPECT_EQ(Text(IDC_SCREEN), "---");
}

TEST_F(MainDlgTest, OpeningAnotherFolderAsksOnlyWhenItHoldsNoLibrary) {
    MakeFolders("One/Main/Plaza/2");
    WriteFile("One/Main/Plaza/2/Notes.txt", 10);
    MakeFolders("Home/Documents");
    MakeFolders("Home/Invoices/2024");
    MakeFolders("Empty");
    CMainDlg& dlg = Start();
    // The window names the open folder.
    const auto* label = qobject_cast<QLabel*>(dlg.Control(IDC_LIBRARY));
    EXPECT_TRUE(label->text().startsWith("Library: "));
    EXPECT_TRUE(label->toolTip().contains(QString::fromStdString(m_root.filename().string())));

    struct Row {
        const char* folder;
        PromptAnswer answer; // to the question, when one is asked
        bool asked;
        std::vector<std::string> circuits;
    };
    const Row rows[] = {
        {"One", PromptAnswer::Ok, false, {"Main"}},
        {"Home", PromptAnswer::Cancel, true, {"Main"}}, // kept the library that was open
        {"Home", PromptAnswer::Ok, true, {"Documents", "Invoices"}}, // chosen all the same
        {"Empty", PromptAnswer::Ok, false, {}},
    };
    const QString before = label->toolTip();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.folder) + (row.asked ? " asked" : ""));
        m_prompt.m_asked.clear();
        m_prompt.m_answers = {row.answer};
        dlg.OpenLibraryFolder(m_root / row.folder);
        EXPECT_EQ(m_prompt.m_asked.size(), row.asked ? 1u : 0u);
        EXPECT_EQ(TopLevelTexts(), row.circuits);
    }
    EXPECT_EQ(fs::current_path(), fs::canonical(m_root / "Empty"));
    EXPECT_NE(label->toolTip(), before);
    EXPECT_TRUE(label->toolTip().contains("Empty"));
}

TEST_F(MainDlgTest, StartUpOpensALibraryNeverAForeignFolder) {
    const fs::path home = m_root / "home";
    fs::create_directories(home / ".cache/fonts");
    fs::create_directories(home / "Invoices/2024");
    WriteFile("home/Invoices/2024/Notes.txt", 4); // two levels down: not a screen
    MakeFolders("library/Main/Plaza/2");
    WriteFile("library/Main/Plaza/2/Vrx.cfg", 800);
    MakeFolders("profiled/Odeon");
    WriteFile("profiled/VRX3KM.CFG", 0);
    TemporaryUser user(home);

    struct Row {
        const char* start;      // working directory
        const char* given;      // on the command line, or null
        const char* remembered; // the library used last, or null
        const char* expected;   // the folder opened
        LibrarySource source;
        std::vector<std::string> circuits;
    };
    const Row rows[] = {
        {"home", nullptr, nullptr, "home/Documents/VRX-3KM", LibrarySource::Default, {}},
        {"home", nullptr, "library", "library", LibrarySource::LastUsed, {"Main"}},
        {"profiled", nullptr, "library", "profiled", LibrarySource::WorkingDirectory, {"Odeon"}},
        {"home", "profiled", "library", "profiled", LibrarySource::Given, {"Odeon"}},
    };
    int settings = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.start) + " -> " + row.expected);
        TemporaryUser::UseSettings(m_root / ("settings" + std::to_string(++settings)));
        if (row.remembered)
            RememberLibraryFolder(m_root / row.remembered);
        fs::current_path(m_root / row.start);
        std::optional<fs::path> given;
        if (row.given)
            given = m_root / row.given;
        const StartLibrary start = OpenStartLibrary(GatherLibraryFacts(given));
        EXPECT_EQ(start.m_source, row.source);
        ASSERT_TRUE(start.m_strError.empty()) << start.m_strError;
        EXPECT_EQ(start.m_folder, fs::canonical(m_root / row.expected));
        EXPECT_EQ(fs::current_path(), start.m_folder);
        Start();
        EXPECT_EQ(TopLevelTexts(), row.circuits);
    }
    EXPECT_FALSE(fs::exists(home / "VRX3KM.CFG"));
}

// A home folder is opened only when named, even empty or holding only hidden files; an empty
// folder the program started in is remembered as the library used last only once it holds
// something, so the next start from the menu does not open an empty tree.
TEST_F(MainDlgTest, StartUpTakesNoHomeAndRemembersAnEmptyFolderOnlyOnceFilled) {
    const fs::path home = m_root / "home";
    MakeFolders("fresh");
    TemporaryUser user(home); // a home holding only the hidden .config
    for (const bool bEmptyHome : {false, true}) {
        SCOPED_TRACE(bEmptyHome ? "empty home" : "home with hidden files only");
        if (bEmptyHome)
            fs::remove_all(home / ".config");
        TemporaryUser::UseSettings(m_root / (bEmptyHome ? "settings1" : "settings2"));
        fs::current_path(home);
        const StartLibrary start = OpenStartLibrary(GatherLibraryFacts(std::nullopt));
        EXPECT_EQ(start.m_source, LibrarySource::Default);
        EXPECT_EQ(start.m_folder, fs::canonical(home / "Documents/VRX-3KM"));
        fs::remove_all(home / "Documents");
    }

    TemporaryUser::UseSettings(m_root / "settings3");
    fs::current_path(m_root / "fresh");
    const StartLibrary start = OpenStartLibrary(GatherLibraryFacts(std::nullopt));
    ASSERT_EQ(start.m_source, LibrarySource::WorkingDirectory);
    RememberStartLibrary(start);
    RememberStartLibraryOnceFilled(start);
    EXPECT_EQ(LastLibraryFolder(), std::nullopt) << "nothing was added";
    MakeFolders("fresh/Odeon");
    RememberStartLibraryOnceFilled(start);
    EXPECT_EQ(LastLibraryFolder(), fs::canonical(m_root / "fresh"));
}

// The technician's name is asked once per account, offered as the account's name, kept in the
// user's settings, and a name that cannot be kept is said and asked again.
TEST_F(MainDlgTest, TechnicianNameIsAskedOnceAndKept) {
    const fs::path home = m_root / "home";
    TemporaryUser user(home);
    Start();
    std::vector<std::string> offered;
    std::deque<std::optional<std::string>> answers = {"   ", "  A. Tech "};
    m_pDlg->SetTechnicianAsker([&](const std::string& suggested) {
        offered.push_back(suggested);
        auto answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    });
    m_pDlg->Team().AskTechnicianName(false);
    ASSERT_EQ(offered.size(), 2u); // the empty name was refused and asked again
    EXPECT_EQ(offered[0], AccountFullName());
    EXPECT_EQ(m_prompt.m_asked.size(), 1u);
    EXPECT_EQ(TechnicianName(), "A. Tech");
    m_pDlg->Team().AskTechnicianName(false); // stored: not asked again
    EXPECT_EQ(offered.size(), 2u);
}

// A conflicting copy of the stored settings is marked in the panel; keeping the other version
// stores its bytes, keeps the replaced settings in History and leaves no copy behind.
TEST_F(MainDlgTest, ConflictingSettingsAreMarkedAndSettled) {
    const std::string screen = "Odeon/Main/1";
    MakeFolders(screen);
    const auto bytes = [](const std::array<std::uint8_t, 800>& settings) {
        return std::string(settings.begin(), settings.end());
    };
    const std::string current = bytes(vrxsim::ExampleSettings());
    const std::string other = bytes(testsupport::ChangedSettings(true));
    const std::string copyName = "Vrx.sync-conflict-20261208-101112-ABCDEFG.cfg";
    std::ofstream(m_root / screen / "Vrx.cfg", std::ios::binary) << current;
    std::ofstream(m_root / screen / copyName, std::ios::binary) << other;
    Start();
    Select({"Odeon", "Main", "1"});
    EXPECT_NE(Text(IDC_SCREEN).find(kConflictMark), std::string::npos);
    EXPECT_NE(m_pDlg->Control(IDC_SCREEN)->toolTip().toStdString().find(copyName),
              std::string::npos);

    CConflictDlg dialog(m_pDlg.get(), m_prompt, m_root / screen, {"Odeon", "Main", "1"});
    dialog.SelectCopy(copyName);
    ASSERT_TRUE(dialog.Settle(KeepVersion::Other));
    const auto read = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read(m_root / screen / "Vrx.cfg"), other);
    EXPECT_FALSE(fs::exists(m_root / screen / copyName));
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    bool bKept = false;
    for (const KeptSettings& kept : ListHistory(m_root / screen))
        bKept = bKept || read(m_root / screen / "History" / kept.m_strName) == current;
    EXPECT_TRUE(bKept);
    m_pDlg->UpdateSelectionPanel(false);
    EXPECT_EQ(Text(IDC_SCREEN).find(kConflictMark), std::string::npos);
}

// A conflicting copy of the notes is merged in the notes editor: the other version shows below
// the notes, Cancel leaves both files, Save keeps the merge and settles the copy without losing
// a line of it.
TEST_F(MainDlgTest, ConflictingNotesAreMergedInTheNotesEditor) {
    const std::string screen = "Odeon/Main/1";
    MakeFolders(screen);
    const std::string copyName = "Notes.sync-conflict-20261208-101112-ABCDEFG.txt";
    std::ofstream(m_root / screen / "Notes.txt", std::ios::binary) << "amp swapped\r\nshared\r\n";
    std::ofstream(m_root / screen / copyName, std::ios::binary) << "shared\r\nnew fuse\r\nEQ\r\n";
    Start();
    const auto read = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (const bool bSave : {false, true}) {
        CConflictDlg list(m_pDlg.get(), m_prompt, m_root / screen, {"Odeon", "Main", "1"});
        list.SelectCopy(copyName);
        list.OnMergeNotes();
        const auto editors = m_pDlg->findChildren<CNotesEditDlg*>();
        ASSERT_EQ(editors.size(), 1);
        CNotesEditDlg* editor = editors.front();
        ASSERT_TRUE(editor->OtherText());
        EXPECT_EQ(editor->OtherText()->toPlainText().toStdString(), "shared\nnew fuse\nEQ\n");
        EXPECT_TRUE(editor->OtherText()->isReadOnly());
        EXPECT_NE(editor->ConflictLine()->text().toStdString().find(copyName), std::string::npos);
        if (!bSave) {
            editor->close();
            delete editor;
            EXPECT_EQ(read(m_root / screen / "Notes.txt"), "amp swapped\r\nshared\r\n");
            EXPECT_TRUE(fs::exists(m_root / screen / copyName));
            continue;
        }
        editor->AddMissingLines();
        EXPECT_EQ(editor->TextEdit()->toPlainText().toStdString(),
                  "amp swapped\nshared\n\nnew fuse\nEQ");
        // The technician drops a line of the other version: it comes back below the mark.
        editor->TextEdit()->setPlainText("amp swapped\nshared\nnew fuse");
        ASSERT_TRUE(editor->Save());
        const std::string notes = read(m_root / screen / "Notes.txt");
        EXPECT_EQ(notes.rfind("amp swapped\r\nshared\r\nnew fuse\r\n=", 0), 0u) << notes;
        EXPECT_NE(notes.find("\r\nEQ\r\n"), std::string::npos) << notes;
        EXPECT_FALSE(fs::exists(m_root / screen / copyName));
        delete editor;
    }
}

// The visit record of a theater from its menu item: the screen touched today and the one left
// alone, shown as text and saved as a PDF whose text names both.
TEST_F(MainDlgTest, VisitRecordIsShownAndSavedAsPdf) {
    MakeFolders("Odeon/Main/1");
    MakeFolders("Odeon/Main/2");
    std::ofstream(m_root / "Odeon/Main/1/Notes.txt", std::ios::binary) << "fan replaced\r\n";
    ASSERT_EQ(LogScreenCommand(m_root / "Odeon/Main/1", CurrentAuthor(), "Load", "success"), "");
    Start();
    Select({"Odeon", "Main"});
    m_pDlg->HistoryMenu()->aboutToShow();
    EXPECT_TRUE(m_pDlg->Team().VisitAction()->isEnabled());
    CTextViewDlg* viewer = ShowVisitRecord(m_pDlg.get(), m_prompt, m_pDlg->Library(), m_root,
                                           {"Odeon", "Main"}, StartOfToday(std::time(nullptr)));
    const std::string text = viewer->TextEdit()->toPlainText().toStdString();
    EXPECT_NE(text.find("1 of 2 screens"), std::string::npos) << text;
    EXPECT_NE(text.find("fan replaced"), std::string::npos) << text;
    const fs::path pdf = m_root / "visit.pdf";
    ASSERT_TRUE(viewer->SaveAsPdf(pdf));
    const std::optional<std::string> pages =
        CommandOutput("pdftotext -layout " + ShellQuoted(pdf) + " -");
    ASSERT_TRUE(pages);
    EXPECT_NE(pages->find("fan replaced"), std::string::npos) << *pages;
    EXPECT_NE(pages->find("Screens not touched"), std::string::npos) << *pages;
    viewer->close();
}
