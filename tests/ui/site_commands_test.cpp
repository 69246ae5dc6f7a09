#include "ui_fixture.h"

#include "ui/notes_editor.h"
#include "ui/text_viewer.h"

#include "pdf_text.h"
#include "temp_folder.h"

#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <fstream>

namespace fs = std::filesystem;

TEST_F(MainDlgTest, NewCircuitIsInsertedAtItsAlphabeticalPlace) {
    MakeFolders("zeta");
    MakeFolders("alpha");
    MakeFolders("Beta");
    CMainDlg& dlg = Start();
    m_names = {"Gamma"};
    dlg.OnAddCircuit();
    EXPECT_EQ(m_captions.back(), "Add Theater Circuit Name");
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"alpha", "Beta", "Gamma", "zeta"}));
    EXPECT_EQ(dlg.Tree()->currentItem()->text(0).toStdString(), "Gamma");
    EXPECT_EQ(Text(IDC_CIRCUIT), "Gamma");
    EXPECT_TRUE(fs::is_directory(m_root / "Gamma"));
    EXPECT_TRUE(m_prompt.m_asked.empty());
}

TEST_F(MainDlgTest, TheaterAndScreenAreAppendedUnderTheSelectedEntry) {
    MakeFolders("Main/Plaza/2");
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    m_names = {"Annex", "1"};
    dlg.OnAddTheater();
    EXPECT_EQ(m_captions.back(), "Add Theater to Main");
    EXPECT_EQ(Text(IDC_THEATER), "Annex");
    EXPECT_TRUE(fs::is_directory(m_root / "Main/Annex"));
    Select({"Main", "Plaza", "2"});
    dlg.OnAddScreen();
    EXPECT_EQ(m_captions.back(), "Add Screen to Plaza");
    QTreeWidgetItem* plaza = dlg.Tree()->topLevelItem(0)->child(0);
    ASSERT_EQ(plaza->childCount(), 2);
    EXPECT_EQ(plaza->child(1)->text(0).toStdString(), "1"); // appended, not sorted
    EXPECT_EQ(dlg.Tree()->currentItem(), plaza->child(1));
    EXPECT_TRUE(fs::is_regular_file(m_root / "Main/Plaza/1/Notes.txt"));
    EXPECT_TRUE(Enabled(IDC_EDIT_NOTES));
    EXPECT_FALSE(Enabled(IDC_VIEW_CONFIGURATION));
}

TEST_F(MainDlgTest, RefusedNamesChangeNothingAndKeepTheSelection) {
    MakeFolders("Main/Plaza/2");
    MakeFolders("Main/Plaza/3");
    struct Row {
        const char* name;
        int command;         // 0 circuit, 1 theater, 2 screen
        const char* message; // null: a CheckSiteName refusal
    };
    const Row rows[] = {
        {"Main", 0, "That Circuit name already exists."},
        {"Plaza", 1, "That Theater name already exists."},
        {"3", 2, "That Screen name already exists."},
        {"main", 0, nullptr}, // one folder with Main on Windows and macOS
        {"PLAZA", 1, nullptr},
        {"2\xc2\x9b", 2, nullptr}, // a C1 control character
        {"a/b", 0, nullptr},
        {"..", 1, nullptr},
        {"end.", 2, nullptr},
    };
    CMainDlg& dlg = Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Select({"Main", "Plaza", "2"});
        m_prompt.m_asked.clear();
        m_names = {row.name};
        Add(row.command);
        ASSERT_EQ(m_prompt.m_asked.size(), 1u);
        if (row.message) {
            EXPECT_EQ(m_prompt.m_asked[0].m_strText, row.message);
            EXPECT_EQ(m_prompt.m_asked[0].m_strCaption, "");
            EXPECT_EQ(m_prompt.m_asked[0].m_nIcon, PromptIcon::Exclamation);
        } else {
            EXPECT_FALSE(m_prompt.m_asked[0].m_strText.empty());
        }
        EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"Main"});
        EXPECT_EQ(dlg.Tree()->topLevelItem(0)->childCount(), 1);
        EXPECT_EQ(dlg.Tree()->topLevelItem(0)->child(0)->childCount(), 2);
        // The library's selection is once more the screen the panel shows.
        EXPECT_EQ(dlg.Library().GetScreenName(), "2");
        EXPECT_EQ(Text(IDC_SCREEN), "2");
        m_launcher.m_opened.clear();
        dlg.OnEditNotes();
        EXPECT_EQ(m_launcher.m_opened, std::vector<std::string>{"./Main/Plaza/2/Notes.txt"});
    }
    EXPECT_FALSE(fs::exists(m_root / "a"));
    EXPECT_FALSE(fs::exists(m_root / "Main/Plaza/end."));
}

TEST_F(MainDlgTest, ARefusedNameIsCorrectedInTheSameDialogAndCyrillicNamesCountLetters) {
    MakeFolders("Main/Plaza");
    CMainDlg& dlg = Start();
    std::string cyrillic;
    for (int i = 0; i < 28; ++i)
        cyrillic += "\xd0\x96"; // 28 letters, 56 bytes
    // The technician corrects a duplicate and then an unsafe name without opening the dialog
    // again: one Add, one caption, two refusals, one circuit.
    m_names = {"Main", "a:b", cyrillic};
    dlg.OnAddCircuit();
    EXPECT_EQ(m_captions.size(), 1u);
    ASSERT_EQ(m_prompt.m_asked.size(), 2u);
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"Main", cyrillic}));
    EXPECT_TRUE(fs::is_directory(m_root / cyrillic));
    EXPECT_FALSE(fs::exists(m_root / "a:b"));
    // A name too long for the panel is elided there and whole in the tooltip.
    const std::string wide(32, 'W');
    m_names = {wide};
    dlg.OnAddCircuit();
    const QString shown = QString::fromStdString(Text(IDC_CIRCUIT));
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_EQ(dlg.Control(IDC_CIRCUIT)->toolTip().toStdString(), wide);
}

TEST_F(MainDlgTest, AddWhoseFolderCannotBeMadeLeavesEverythingAsItWas) {
    MakeFolders("Main/Plaza");
    WriteFile("Taken", 4);
    WriteFile("Main/Busy", 4);
    WriteFile("Main/Plaza/Lot", 4);
    CMainDlg& dlg = Start();
    struct Row {
        const char* name;
        int command;
    };
    for (const Row& row : {Row{"Taken", 0}, Row{"Busy", 1}, Row{"Lot", 2}}) {
        SCOPED_TRACE(row.name);
        Select({"Main", "Plaza"});
        m_prompt.m_asked.clear();
        m_names = {row.name};
        Add(row.command);
        ASSERT_EQ(m_prompt.m_asked.size(), 1u);
        EXPECT_EQ(m_prompt.m_asked[0].m_nIcon, PromptIcon::Stop);
        EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"Main"});
        EXPECT_EQ(dlg.Tree()->topLevelItem(0)->childCount(), 1);
        EXPECT_EQ(dlg.Tree()->topLevelItem(0)->child(0)->childCount(), 0);
        EXPECT_EQ(Text(IDC_THEATER), "Plaza");
        EXPECT_EQ(dlg.Library().GetTheaterName(), "Plaza");
    }
    SiteLibrary& library = dlg.Library();
    EXPECT_FALSE(library.FindCircuit("Taken"));
    ASSERT_TRUE(library.FindCircuit("Main"));
    EXPECT_FALSE(library.FindTheater("Busy"));
    EXPECT_TRUE(fs::is_regular_file(m_root / "Taken"));
    EXPECT_TRUE(fs::is_regular_file(m_root / "Main/Plaza/Lot"));
}

TEST_F(MainDlgTest, CancelledNameDialogChangesNothing) {
    MakeFolders("Main/Plaza");
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza"});
    m_names = {std::nullopt, std::nullopt, std::nullopt};
    dlg.OnAddCircuit();
    dlg.OnAddTheater();
    dlg.OnAddScreen();
    EXPECT_EQ(m_captions.size(), 3u);
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"Main"});
    EXPECT_EQ(dlg.Tree()->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_root / "Main/Plaza"), {}), 0);
}

TEST_F(MainDlgTest, DeleteWorksBottomUpAndKeepsAFolderWithAStrayFile) {
    MakeFolders("Main/Plaza/2");
    WriteFile("Main/Plaza/2/Vrx.cfg", 800);
    WriteFile("Main/Plaza/2/Notes.txt", 10);
    WriteFile("Main/Plaza/2/mine.txt", 10);
    CMainDlg& dlg = Start();

    // Cancel touches nothing.
    Select({"Main", "Plaza", "2"});
    m_prompt.m_answers = {PromptAnswer::Cancel};
    dlg.OnDelete();
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    const PromptRequest& question = m_prompt.m_asked[0];
    EXPECT_EQ(question.m_strText, "You are about to delete the Screen entry Main--Plaza--2\nand "
                                  "its configuration and notes files.\n\nPress OK to delete\nor "
                                  "CANCEL to keep it.");
    EXPECT_EQ(question.m_strCaption, "vrx3km");
    EXPECT_EQ(question.m_nButtons, PromptButtons::OkCancel);
    EXPECT_TRUE(question.m_bCancelDefault);
    EXPECT_EQ(question.m_nIcon, PromptIcon::Exclamation);
    EXPECT_TRUE(fs::exists(m_root / "Main/Plaza/2/Vrx.cfg"));

    // The technician's own file keeps the whole screen, and the message names it; the status
    // text and the bar stay.
    m_prompt.m_asked.clear();
    qobject_cast<QLabel*>(dlg.Control(IDC_STATUS))->setText("Send Cancelled");
    static_cast<QProgressBar*>(dlg.Control(IDC_PROGRESS))->setValue(20);
    ASSERT_TRUE(Enabled(IDC_SEND));
    dlg.OnDelete();
    ASSERT_EQ(m_prompt.m_asked.size(), 2u);
    EXPECT_NE(m_prompt.m_asked[1].m_strText.find("./Main/Plaza/2"), std::string::npos);
    EXPECT_NE(m_prompt.m_asked[1].m_strText.find("\"mine.txt\""), std::string::npos);
    EXPECT_EQ(m_prompt.m_asked[1].m_nIcon, PromptIcon::Exclamation);
    EXPECT_TRUE(fs::exists(m_root / "Main/Plaza/2/Vrx.cfg"));
    EXPECT_TRUE(fs::exists(m_root / "Main/Plaza/2/Notes.txt"));
    EXPECT_TRUE(fs::exists(m_root / "Main/Plaza/2/mine.txt"));
    EXPECT_EQ(Text(IDC_SCREEN), "2");
    EXPECT_EQ(dlg.Tree()->topLevelItem(0)->child(0)->childCount(), 1);
    EXPECT_EQ(Text(IDC_STATUS), "Send Cancelled");
    EXPECT_EQ(static_cast<QProgressBar*>(dlg.Control(IDC_PROGRESS))->value(), 20);
    EXPECT_TRUE(Enabled(IDC_SEND));

    // Without it the screen goes and its theater is selected, then the theater, then the circuit.
    fs::remove(m_root / "Main/Plaza/2/mine.txt");
    dlg.OnDelete();
    EXPECT_FALSE(fs::exists(m_root / "Main/Plaza/2"));
    EXPECT_EQ(dlg.Tree()->topLevelItem(0)->child(0)->childCount(), 0);
    EXPECT_EQ(Text(IDC_THEATER), "Plaza");
    EXPECT_EQ(Text(IDC_SCREEN), "---");
    EXPECT_TRUE(Enabled(IDC_DELETE));
    dlg.OnDelete();
    EXPECT_FALSE(fs::exists(m_root / "Main/Plaza"));
    EXPECT_EQ(Text(IDC_CIRCUIT), "Main");
    EXPECT_EQ(Text(IDC_THEATER), "---");
    dlg.OnDelete();
    EXPECT_FALSE(fs::exists(m_root / "Main"));
    EXPECT_EQ(dlg.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(dlg.GetSelectedLevel(), SiteLevel::None);
    EXPECT_EQ(Text(IDC_CIRCUIT), "---");
    EXPECT_FALSE(Enabled(IDC_DELETE));
    EXPECT_FALSE(Enabled(IDC_ADD_THEATER));
}

TEST_F(MainDlgTest, DeletingACircuitSelectsAnotherOne) {
    MakeFolders("A");
    MakeFolders("B");
    CMainDlg& dlg = Start();
    dlg.OnDelete(); // A, the first one, is selected at start
    EXPECT_EQ(TopLevelTexts(), std::vector<std::string>{"B"});
    EXPECT_EQ(dlg.Tree()->currentItem()->text(0).toStdString(), "B");
    EXPECT_EQ(Text(IDC_CIRCUIT), "B");
    EXPECT_EQ(dlg.Library().GetCircuitName(), "B");
}

TEST_F(MainDlgTest, NotesReportAndHelpOpenThroughTheLauncher) {
    MakeFolders("Main/Plaza/2");
    WriteFile("Main/Plaza/2/Vrx.cfg", 800);
    WriteFile("Help.doc", 10);
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    dlg.OnDblClkTree();
    dlg.OnViewConfiguration();
    dlg.OnHelp();
    EXPECT_EQ(m_launcher.m_opened,
              (std::vector<std::string>{"./Main/Plaza/2/Notes.txt", "./Main/Plaza/2/Vrx.txt",
                                        "Help.doc"}));
    EXPECT_EQ(m_launcher.m_programs,
              (std::vector<LaunchProgram>{LaunchProgram::TextEditor, LaunchProgram::TextEditor,
                                          LaunchProgram::WordProcessor}));
    EXPECT_TRUE(fs::is_regular_file(m_root / "Main/Plaza/2/Vrx.txt"));
    EXPECT_TRUE(m_prompt.m_asked.empty());

    // Double click on a theater opens nothing.
    Select({"Main", "Plaza"});
    dlg.OnDblClkTree();
    EXPECT_EQ(m_launcher.m_opened.size(), 3u);
}

TEST_F(MainDlgTest, ViewConfigurationOfAVanishedFileShowsTheFileError) {
    MakeFolders("Main/Plaza/2");
    WriteFile("Main/Plaza/2/Vrx.cfg", 800);
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    fs::remove(m_root / "Main/Plaza/2/Vrx.cfg");
    dlg.OnViewConfiguration();
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    EXPECT_EQ(m_prompt.m_asked[0].m_nIcon, PromptIcon::Stop);
    EXPECT_NE(m_prompt.m_asked[0].m_strText.find("Vrx.cfg"), std::string::npos);
    EXPECT_TRUE(m_launcher.m_opened.empty());
    EXPECT_FALSE(fs::exists(m_root / "Main/Plaza/2/Vrx.txt"));
}

TEST_F(MainDlgTest, DoubleClickOnEmptyTreeSpaceOpensTheSelectedScreensNotes) {
    MakeFolders("Main/Plaza/2");
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    QWidget* viewport = dlg.Tree()->viewport();
    const QPoint empty(viewport->width() - 2, viewport->height() - 2);
    ASSERT_EQ(dlg.Tree()->itemAt(empty), nullptr);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, empty);
    EXPECT_EQ(m_launcher.m_opened, std::vector<std::string>{"./Main/Plaza/2/Notes.txt"});
}

TEST_F(MainDlgTest, FilesTheDesktopCannotOpenAreShownByTheProgram) {
    MakeFolders("Main/Plaza/2");
    WriteFile("Main/Plaza/2/Vrx.cfg", 800);
    m_launcher.m_bOpens = false;
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    // The library holds no Help.doc: the one installed or built in is offered instead. Each
    // opens in the program's own window at once, without a box first.
    dlg.OnEditNotes();
    dlg.OnViewConfiguration();
    dlg.OnHelp();
    ASSERT_EQ(m_launcher.m_opened.size(), 3u);
    EXPECT_EQ(fs::path(m_launcher.m_opened[2]).filename(), "Help.doc");
    EXPECT_TRUE(m_prompt.m_asked.empty());
    const auto viewers = dlg.findChildren<CTextViewDlg*>();
    ASSERT_EQ(viewers.size(), 2);
    // The report: read-only, fixed-pitch, its 80 columns whole without scrolling.
    QPlainTextEdit* report = viewers[0]->TextEdit();
    EXPECT_TRUE(report->isReadOnly());
    EXPECT_TRUE(report->toPlainText().contains("Circuit"));
    EXPECT_TRUE(QFontInfo(report->font()).fixedPitch());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewers[0]));
    EXPECT_EQ(report->horizontalScrollBar()->maximum(), 0);
    // On paper: the report's lines under the screen's names, saved as PDF and printed.
    TempFolder paper;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((paper.Path() / "printed.pdf").string()));
    ASSERT_TRUE(viewers[0]->Print(printer));
    ASSERT_TRUE(viewers[0]->SaveAsPdf(paper.Path() / "saved.pdf"));
    for (const char* pdf : {"printed.pdf", "saved.pdf"}) {
        std::vector<std::string> lines;
        for (const PdfReportPage& page : ReadPdfReportPages(paper.Path() / pdf)) {
            EXPECT_EQ(page.m_strTitle, "Main - Plaza - 2");
            lines.insert(lines.end(), page.m_body.begin(), page.m_body.end());
        }
        EXPECT_EQ(lines, NonBlankLines(ReadBytes(m_root / "Main/Plaza/2/Vrx.txt"))) << pdf;
    }
    // The help document's text without its markup.
    const QString help = viewers[1]->TextEdit()->toPlainText();
    EXPECT_TRUE(help.contains("VRX-3KM Download/Upload")) << help.toStdString();
    EXPECT_FALSE(help.contains("\\par") || help.contains("fonttbl") || help.contains('{'));

    // The program's own notes editor: fixed-pitch; Edit Notes again brings the same one forward.
    auto editors = dlg.findChildren<CNotesEditDlg*>();
    ASSERT_EQ(editors.size(), 1);
    EXPECT_TRUE(QFontInfo(editors[0]->TextEdit()->font()).fixedPitch());
    dlg.OnEditNotes();
    EXPECT_EQ(dlg.findChildren<CNotesEditDlg*>().size(), 1);
    editors[0]->close();

    // A notes file that is no plain file, or too large to be notes, is not opened.
    const fs::path notes = m_root / "Main/Plaza/2/Notes.txt";
    for (const bool bFolder : {true, false}) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        fs::remove_all(notes);
        if (bFolder)
            fs::create_directory(notes);
        else
            WriteFile("Main/Plaza/2/Notes.txt", 4 * 1024 * 1024 + 1);
        m_prompt.m_asked.clear();
        dlg.OnEditNotes();
        EXPECT_TRUE(dlg.findChildren<CNotesEditDlg*>().isEmpty());
        ASSERT_EQ(m_prompt.m_asked.size(), 1u);
        EXPECT_NE(m_prompt.m_asked[0].m_strText.find("Notes.txt"), std::string::npos);
    }
}

TEST_F(MainDlgTest, TheNotesEditorKeepsTheBytesAndAsksBeforeDroppingTypedNotes) {
    MakeFolders("Main/Plaza/2");
    CMainDlg& dlg = Start();
    const fs::path notes = m_root / "Main/Plaza/2/Notes.txt";
    const auto stored = [&] {
        std::ifstream in(notes, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    // 8-bit text and "\r\n" line ends are kept as they were.
    std::ofstream(notes, std::ios::binary) << "Caf\xe9\r\n";
    {
        CNotesEditDlg editor(&dlg, m_prompt, notes);
        ASSERT_TRUE(editor.Load());
        EXPECT_EQ(editor.TextEdit()->toPlainText(), QString::fromUtf8("Caf\u00e9\n"));
        editor.TextEdit()->appendPlainText("Amp 2 replaced");
        ASSERT_TRUE(editor.Save());
        EXPECT_EQ(stored(), "Caf\xe9\r\n\r\nAmp 2 replaced");
    }

    // Escape, the close box and Alt+F4 (a close), and Exit of the main window, with typed notes.
    struct Row {
        const char* how;
        PromptAnswer answer;
        bool bStaysOpen;
        const char* file;
    };
    const Row rows[] = {
        {"Escape", PromptAnswer::Cancel, true, "Old\r\n"},
        {"close", PromptAnswer::Save, false, "Old\r\n\r\nNew"},
        {"close", PromptAnswer::Discard, false, "Old\r\n"},
        {"Exit", PromptAnswer::Cancel, true, "Old\r\n"},
    };
    dlg.show();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.how) + " " + std::to_string(static_cast<int>(row.answer)));
        std::ofstream(notes, std::ios::binary) << "Old\r\n";
        auto* editor = new CNotesEditDlg(&dlg, m_prompt, notes);
        ASSERT_TRUE(editor->Load());
        editor->show();
        editor->TextEdit()->appendPlainText("New");
        m_prompt.m_asked.clear();
        m_prompt.m_answers = {row.answer};
        if (std::string(row.how) == "Escape")
            QTest::keyClick(editor, Qt::Key_Escape);
        else if (std::string(row.how) == "close")
            editor->close();
        else
            dlg.reject();
        ASSERT_EQ(m_prompt.m_asked.size(), 1u);
        EXPECT_EQ(m_prompt.m_asked[0].m_nButtons, PromptButtons::SaveDiscardCancel);
        EXPECT_FALSE(m_prompt.m_asked[0].m_bCancelDefault); // Save is the default
        EXPECT_EQ(editor->isVisible(), row.bStaysOpen);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(stored(), row.file);
        // Unchanged text closes without a question.
        editor->TextEdit()->document()->setModified(false);
        EXPECT_TRUE(editor->close());
        EXPECT_EQ(m_prompt.m_asked.size(), 1u);
        delete editor;
    }
}
