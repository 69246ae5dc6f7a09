// Pictures of the program's windows for review. Builds one window with fixed content in a
// temporary library, shows it, waits until it is painted and framed, and saves the whole screen
// (the window manager's frame and title included) as a PNG; beside it, OUT.txt holds the title
// and frame hints the window gave the desktop (xprop). Not installed; scripts/dialog-shots runs it.
//   vrx3km-shots NAME OUT.png
//   vrx3km-shots --list
#include "control/site_overview.h"
#include "image/file_error.h"
#include "image/report.h"
#include "image/settings_compare.h"
#include "library/screen_port.h"
#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/site_library.h"
#include "library/site_log.h"
#include "library/site_visit.h"
#include "library/stored_settings.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"
#include "paper/paper_report.h"
#include "ui/about_dlg.h"
#include "ui/backup_dlg.h"
#include "ui/diff_dlg.h"
#include "ui/history_dlg.h"
#include "ui/launcher.h"
#include "ui/main_dlg.h"
#include "ui/name_dlg.h"
#include "ui/notes_editor.h"
#include "ui/port_dlg.h"
#include "ui/prompt.h"
#include "ui/screen_port_box.h"
#include "ui/site_status_dlg.h"
#include "ui/status_area.h"
#include "ui/text_viewer.h"
#include "ui/transfer_binding.h"
#include "ui/visit_record.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kGolden = VRX_IMAGE_GOLDEN_DIR;

// The message boxes of the pictures: while capturing, keeps the request of each box a command
// raises and answers Cancel; otherwise shows the boxes.
class ShotPrompt : public WindowPrompt {
public:
    PromptAnswer Ask(QWidget* owner, const PromptRequest& request) override {
        if (!m_bCapturing)
            return m_boxes.Ask(owner, request);
        m_requests.push_back(request);
        return PromptAnswer::Cancel;
    }
    // The requests that command raises, captured.
    std::vector<PromptRequest> Capture(const std::function<void()>& command) {
        m_requests.clear();
        m_bCapturing = true;
        command();
        m_bCapturing = false;
        return m_requests;
    }

private:
    CMessageBoxPrompt m_boxes;
    std::vector<PromptRequest> m_requests;
    bool m_bCapturing = false;
};

// The library every picture starts from: two circuits, a screen with stored settings and one
// kept version of them.
void MakeLibrary(const fs::path& root) {
    for (const char* path : {"Grand Circuit/Palace/1", "Grand Circuit/Palace/2",
                             "Grand Circuit/Odeon/Main", "Northern Cinemas/Plaza/1"})
        fs::create_directories(root / path);
    const fs::path screen = root / "Grand Circuit/Palace/1";
    fs::copy_file(kGolden / "full.cfg", screen / "Vrx.cfg");
    KeepSettingsInHistory(screen);
    fs::copy_file(kGolden / "second.cfg", screen / "Vrx.cfg", fs::copy_options::overwrite_existing);
    // Two technicians' lines, on two laptops, in the screen's log; a screen reached through a
    // serial device server.
    const std::time_t now = std::time(nullptr);
    AppendLog(ScreenLogFolder(screen), {"A. Tech", "laptop-a", ""}, "Load", "success",
              now - 86400 * 40);
    AppendLog(ScreenLogFolder(screen), {"B. Smith", "laptop-b", "new screen speaker"}, "Send",
              "success", now - 86400 * 2);
    AppendLog(ScreenLogFolder(screen), {"A. Tech", "laptop-a", ""}, "Restore", "success",
              now - 3600);
    WriteScreenPort(root / "Grand Circuit/Palace/2", "rfc2217://10.0.4.12:7002");
    fs::copy_file(kGolden / "full.cfg", root / "Grand Circuit/Odeon/Main/Vrx.cfg");
    fs::last_write_time(root / "Grand Circuit/Odeon/Main/Vrx.cfg",
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
    const fs::path plaza = root / "Northern Cinemas/Plaza/1";
    std::ofstream(plaza / "Notes.txt") << "Left surround replaced.\r\n";
    std::ofstream(plaza / "Notes.sync-conflict-20261208-101112-ABCDEFG.txt")
        << "Left surround replaced.\r\nSubwoofer level checked.\r\n";
}

struct Scene {
    // The objects of the program's run.
    CSerialPort m_port;
    FrameCodec m_codec;
    SettingsImage m_image;
    PortSettings m_portSettings;
    SiteLibrary m_library;
    ShotPrompt m_boxes;
    CDesktopLauncher m_launcher;
    std::unique_ptr<CMainDlg> m_pMain;
    std::unique_ptr<QWidget> m_pShown; // the window of the picture when it is not the main one
    fs::path m_root;
};

// The main dialog, initialised on the library and shown.
CMainDlg& ShowMain(Scene& scene) {
    scene.m_pMain =
        std::make_unique<CMainDlg>(scene.m_port, scene.m_codec, scene.m_image, scene.m_portSettings,
                                   scene.m_library, scene.m_boxes, scene.m_launcher);
    scene.m_pMain->SetPortOpener([](const std::string&) { return std::string(); });
    scene.m_pMain->SetPortState([] { return false; });
    scene.m_pMain->InitDialog();
    scene.m_pMain->show();
    return *scene.m_pMain;
}

// The box the command raises, shown over the main dialog as it would be.
void ShowBoxOf(Scene& scene, const std::function<void(CMainDlg&)>& command) {
    CMainDlg& main = ShowMain(scene);
    const std::vector<PromptRequest> requests = scene.m_boxes.Capture([&] { command(main); });
    if (requests.empty()) {
        std::fprintf(stderr, "the command raised no box\n");
        std::exit(2);
    }
    scene.m_pShown = BuildMessageBox(&main, requests.front());
    scene.m_pShown->show();
}

std::vector<SerialDevice> Adapters() {
    return {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "FT232R USB UART", "A9XK3L2Q", true},
            {"/dev/ttyS0", "16550A", "", "", "", false}};
}

struct Shot {
    const char* m_szName;
    std::function<void(Scene&)> m_build;
};

// Every window of the program that is reviewed. Another window: one more row.
const std::vector<Shot>& Shots() {
    static const std::vector<Shot> shots = {
        {"main", [](Scene& scene) { ShowMain(scene); }},
        {"name",
         [](Scene& scene) {
             auto dialog = std::make_unique<CNameDlg>(scene.m_boxes, scene.m_launcher);
             dialog->SetCaption("Add Theater to Grand Circuit");
             dialog->InitDialog();
             dialog->show();
             scene.m_pShown = std::move(dialog);
         }},
        {"about",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             scene.m_pShown = std::make_unique<CAboutDlg>(scene.m_boxes, scene.m_launcher, &main);
             scene.m_pShown->show();
         }},
        {"box-delete",
         [](Scene& scene) {
             ShowBoxOf(scene, [](CMainDlg& main) { main.ConfirmDelete(SiteLevel::Circuit); });
         }},
        {"box-duplicate",
         [](Scene& scene) {
             ShowBoxOf(scene, [](CMainDlg& main) {
                 // The name dialog's check of a name the library holds shows the duplicate box.
                 main.SetNameSource(
                     [](const std::string&,
                        const CMainDlg::NameCheck& check) -> std::optional<std::string> {
                         check("Grand Circuit");
                         return std::nullopt;
                     });
                 main.OnAddCircuit();
             });
         }},
        {"box-overwrite",
         [](Scene& scene) {
             ShowBoxOf(scene, [&scene](CMainDlg& main) {
                 CPromptOver prompt(scene.m_boxes, &main);
                 WindowTransferReport(&main, prompt, nullptr, nullptr, {})
                     .ConfirmOverwrite(OverwriteQuestion("Grand Circuit", "Palace", "1"));
             });
         }},
        {"box-send",
         [](Scene& scene) {
             ShowBoxOf(scene, [&scene](CMainDlg& main) {
                 CPromptOver prompt(scene.m_boxes, &main);
                 WindowTransferReport(&main, prompt, nullptr, nullptr, {})
                     .ConfirmSend(SendWarning() + "\n\nTo: Grand Circuit - Palace - 1");
             });
         }},
        {"box-file-error",
         [](Scene& scene) {
             ShowBoxOf(scene, [&scene](CMainDlg& main) {
                 CPromptOver prompt(scene.m_boxes, &main);
                 ShowFileError(prompt,
                               FileError(FileError::Cause::NotFound,
                                         (scene.m_root / "Grand Circuit/Palace/2/Vrx.cfg").string())
                                   .Message());
             });
         }},
        {"ports",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             auto dialog = std::make_unique<CPortDlg>(&main, scene.m_boxes,
                                                      scene.m_portSettings.ProfilePath, Adapters);
             dialog->Load();
             dialog->SetMapping(0, "/dev/ttyUSB0");
             const ScreenTarget screen{"Grand Circuit", "Palace", "2"};
             dialog->AddBox(
                 new CScreenPortBox(dialog.get(), ScreenFolderPath(scene.m_root, screen), screen));
             dialog->show();
             scene.m_pShown = std::move(dialog);
         }},
        {"history",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             auto dialog = std::make_unique<CHistoryDlg>(
                 &main, scene.m_boxes, scene.m_root / "Grand Circuit/Palace/1",
                 std::vector<std::string>{"Grand Circuit", "Palace", "1"});
             if (dialog->List()->topLevelItemCount() > 0)
                 dialog->List()->setCurrentItem(dialog->List()->topLevelItem(0));
             dialog->show();
             scene.m_pShown = std::move(dialog);
         }},
        {"site-status",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             auto dialog = std::make_unique<CSiteStatusDlg>(
                 &main, "the whole library",
                 SiteStatusRows(scene.m_library, ".", {}, std::time(nullptr), kDefaultOverdueDays),
                 kDefaultOverdueDays);
             dialog->show();
             scene.m_pShown = std::move(dialog);
         }},
        {"backup",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             WriteScreenPort(scene.m_root / "Grand Circuit/Palace/1",
                             (scene.m_root / "ttyUSB7").string());
             auto dialog = std::make_unique<CBackupDlg>(
                 &main, "Grand Circuit", BackupScreensOf(scene.m_library, ".", {"Grand Circuit"}),
                 ".", scene.m_portSettings.ProfilePath);
             dialog->show();
             dialog->Start();
             scene.m_pShown = std::move(dialog);
         }},
        {"status-reason",
         [](Scene& scene) {
             // A failed Load: the status text, then as much of its reason as fits at the
             // dialog's font, and Details... for the whole; the port line with a long device name.
             std::ofstream(scene.m_root / "VRX3KM.CFG")
                 << "[Ports]\nCOM1=/dev/serial/by-id/"
                    "usb-FTDI_FT232R_USB_UART_A9XK3L2Q-if00-port0\n";
             CMainDlg& main = ShowMain(scene);
             CPromptOver prompt(scene.m_boxes, &main);
             WindowTransferReport observer(&main, prompt,
                                           static_cast<QProgressBar*>(main.Control(IDC_PROGRESS)),
                                           main.StatusArea(), {});
             observer.OnProgress(20);
             observer.OnStatus(transfer_text::kDownloadError);
             observer.OnReason(std::string("No answer to the link check. Check the cable, the "
                                           "port and that the VRX-3KM is switched on."));
         }},
        {"library-question",
         [](Scene& scene) {
             // Opening a folder that holds no library asks first.
             const fs::path foreign = scene.m_root.parent_path() / "Documents";
             fs::create_directories(foreign / "Invoices" / "2024");
             ShowBoxOf(scene, [foreign](CMainDlg& main) { main.OpenLibraryFolder(foreign); });
         }},
        {"report-viewer",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             SettingsImage image = ReadSettingsFile(kGolden / "full.cfg");
             scene.m_pShown =
                 std::make_unique<CTextViewDlg>(&main, scene.m_boxes, "Vrx.txt",
                                                QString::fromStdString(RenderConfigurationReport(
                                                    image, "Grand Circuit", "Palace", "1")),
                                                true);
             scene.m_pShown->show();
         }},
        {"print-preview",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             const SettingsImage image = ReadSettingsFile(kGolden / "full.cfg");
             const std::string text =
                 RenderConfigurationReport(image, "Grand Circuit", "Palace", "1");
             auto viewer = std::make_unique<CTextViewDlg>(
                 &main, scene.m_boxes, "Vrx.txt",
                 QString::fromStdString(text).replace("\r\n", "\n"), true);
             viewer->SetPaperReport(
                 PaperReport{"Grand Circuit", "Palace", "1", "Wednesday, December 09, 2026", text});
             viewer->show();
             // The preview is the viewer's own, opened as its button opens it.
             QPushButton* button = nullptr;
             for (QPushButton* candidate : viewer->findChildren<QPushButton*>())
                 if (candidate->text() == "Print Pre&view...")
                     button = candidate;
             if (button != nullptr)
                 QTimer::singleShot(0, button, &QPushButton::click);
             scene.m_pShown = std::move(viewer);
         }},
        {"notes-editor",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             const fs::path notes = fs::absolute(scene.m_root / "Grand Circuit/Palace/1/Notes.txt");
             std::ofstream(notes, std::ios::binary)
                 << "Theater Setup Notes\r\n\r\nCircuit Name:  Grand Circuit\r\n";
             auto editor = std::make_unique<CNotesEditDlg>(&main, scene.m_boxes, notes);
             editor->Load();
             editor->show();
             scene.m_pShown = std::move(editor);
         }},
        {"notes-conflict",
         [](Scene& scene) {
             // A conflicting copy of the notes, shown below them to merge.
             CMainDlg& main = ShowMain(scene);
             auto editor = std::make_unique<CNotesEditDlg>(
                 &main, scene.m_boxes,
                 fs::absolute(scene.m_root / "Northern Cinemas/Plaza/1/Notes.txt"));
             editor->Load();
             editor->show();
             scene.m_pShown = std::move(editor);
         }},
        {"visit-record",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             ShowVisitRecord(&main, scene.m_boxes, scene.m_library, ".", {"Grand Circuit"},
                             StartOfToday(std::time(nullptr)) - 86400 * 7);
         }},
        {"visit-since",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             QTimer::singleShot(0, &main, [&main] { AskVisitStart(&main, "Grand Circuit"); });
         }},
        {"notes-question",
         [](Scene& scene) {
             // Typed notes, then Escape: the editor asks before it drops them.
             CMainDlg& main = ShowMain(scene);
             const fs::path notes = fs::absolute(scene.m_root / "Grand Circuit/Palace/1/Notes.txt");
             std::ofstream(notes, std::ios::binary)
                 << "Theater Setup Notes\r\n\r\nCircuit Name:  Grand Circuit\r\n";
             auto* editor = new CNotesEditDlg(&main, scene.m_boxes, notes);
             editor->Load();
             editor->show();
             editor->TextEdit()->appendPlainText("Amplifier 2 replaced, levels set again.");
             const std::vector<PromptRequest> requests =
                 scene.m_boxes.Capture([editor] { editor->close(); });
             if (requests.empty()) {
                 std::fprintf(stderr, "the editor asked nothing\n");
                 std::exit(2);
             }
             scene.m_pShown = BuildMessageBox(editor, requests.front());
             scene.m_pShown->show();
         }},
        {"differences",
         [](Scene& scene) {
             CMainDlg& main = ShowMain(scene);
             scene.m_pShown = std::make_unique<CDiffDlg>(
                 &main, "Grand Circuit / Palace / 1", "the VRX-3KM",
                 CompareSettings(ReadSettingsFile(kGolden / "full.cfg"),
                                 ReadSettingsFile(kGolden / "second.cfg")));
             scene.m_pShown->show();
         }},
    };
    return shots;
}

// The title and frame hints of the window as the desktop got them.
void WriteWindowProperties(QWidget* window, const QString& path) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "WM_NAME", "_NET_WM_NAME",
                          "_MOTIF_WM_HINTS", "_NET_WM_WINDOW_TYPE", "_NET_WM_ALLOWED_ACTIONS",
                          "WM_NORMAL_HINTS"});
    if (!xprop.waitForFinished(5000))
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(xprop.readAllStandardOutput());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("vrx3km");
    const QStringList args = QApplication::arguments();
    if (args.size() == 2 && args[1] == "--list") {
        for (const Shot& shot : Shots())
            std::printf("%s\n", shot.m_szName);
        return 0;
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: vrx3km-shots NAME OUT.png | --list\n");
        return 2;
    }
    const Shot* chosen = nullptr;
    for (const Shot& shot : Shots())
        if (args[1] == shot.m_szName)
            chosen = &shot;
    if (!chosen) {
        std::fprintf(stderr, "no window named %s\n", qPrintable(args[1]));
        return 2;
    }

    Scene scene;
    scene.m_root = fs::temp_directory_path() / ("vrx-shots-" + std::to_string(getpid()));
    fs::remove_all(scene.m_root);
    fs::create_directories(scene.m_root);
    fs::current_path(scene.m_root);
    QDir::setCurrent(QString::fromStdString(scene.m_root.string()));
    MakeLibrary(scene.m_root);
    chosen->m_build(scene);
    QWidget* window = scene.m_pShown ? scene.m_pShown.get() : scene.m_pMain.get();
    window->activateWindow();
    window->raise();

    const QString out = args[2];
    int status = 1;
    // The window manager frames and activates the window in its own time after the window is
    // mapped: the picture is taken once it has had that time.
    QTimer::singleShot(1500, [&] {
        WriteWindowProperties(window, QString(out).replace(".png", ".txt"));
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        status = screen.save(out) ? 0 : 1;
        // exit, not quit: quit closes every window first, and an editor with typed notes asks.
        QApplication::exit(status);
    });
    QApplication::exec();
    scene.m_pShown.reset();
    scene.m_pMain.reset();
    fs::current_path(fs::temp_directory_path());
    std::error_code ec;
    fs::remove_all(scene.m_root, ec);
    return status;
}
