#include "app/config_app.h"

#include "image/settings_image.h"
#include "library/site_library.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"

#include "ui/about_dlg.h"
#include "ui/launcher.h"
#include "ui/library_place.h"
#include "ui/main_dlg.h"
#include "ui/prompt.h"

#include <QFileDialog>
#include <QIcon>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage = "Usage: vrx3km [LIBRARY]\n"
                               "Opens the library folder LIBRARY; without it the working "
                               "directory when it is a library, else the library used last, else "
                               "VRX-3KM in the documents folder.\n";

} // namespace

CConfigApp::CConfigApp(int& argc, char** argv) : QApplication(argc, argv) {
    setWindowIcon(ApplicationIcon());
    // The installed desktop entry: the desktop shows its icon and name for the window.
    setDesktopFileName("org.vrx3km.Vrx3km");
}

int CConfigApp::InitInstance() {
    const QStringList args = arguments();
    std::optional<fs::path> given;
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith("-"))) {
        std::fputs(kUsage,
                   args.size() == 2 && (args[1] == "--help" || args[1] == "-h") ? stdout : stderr);
        return args.size() == 2 && (args[1] == "--help" || args[1] == "-h") ? 0 : 2;
    }
    if (args.size() == 2)
        given = fs::path(args[1].toStdU16String());

    // The message boxes and the desktop's programs of the whole run.
    CMessageBoxPrompt boxes;
    CDesktopLauncher launcher;
    StartLibrary start = OpenStartLibrary(GatherLibraryFacts(given));
    if (start.m_folder.empty()) {
        // Nothing is opened that the technician did not choose: say why, and let them choose.
        CPromptOver prompt(boxes, nullptr);
        Tell(prompt, start.m_strError + "\nPlease choose the library folder.",
             prompt.ProgramCaption(), PromptIcon::Exclamation);
        const QString chosen =
            QFileDialog::getExistingDirectory(nullptr, "Open Library Folder", QString());
        if (chosen.isEmpty())
            return 1;
        std::string error;
        if (!EnterLibraryFolder(fs::path(chosen.toStdU16String()), error)) {
            Tell(prompt, error, prompt.ProgramCaption(), PromptIcon::Stop);
            return 1;
        }
        start.m_folder = fs::current_path();
    }
    RememberStartLibrary(start);
    // The objects of the whole run, handed to the window that uses them.
    CSerialPort port;
    FrameCodec codec;
    SettingsImage image;
    PortSettings portSettings;
    SiteLibrary library;
    CMainDlg dialog(port, codec, image, portSettings, library, boxes, launcher);
    dialog.exec();
    RememberStartLibraryOnceFilled(start);
    return 0;
}
