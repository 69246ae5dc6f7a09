#include "cli_paper.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "library/screen_store.h"
#include "library/site_status.h"
#include "library/site_storage.h"
#include "paper/paper_report.h"
#include "paper/visit_paper.h"

#include <QGuiApplication>

#include <iostream>
#include <ostream>

namespace {

// Qt's notes on its own set-up (a missing runtime folder and the like) are no concern of the
// technician's; its errors still show.
void QtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "vrx3km-cli: " << message.toStdString() << "\n";
}

// Qt's painting needs an application object. Its platform is set here, not taken from the
// environment: the PDF is the same with or without a display, on a desktop or a server.
class OffscreenApplication {
public:
    OffscreenApplication() : m_app(m_argc, m_argv) {}
    ~OffscreenApplication() { qInstallMessageHandler(m_previousHandler); }
    OffscreenApplication(const OffscreenApplication&) = delete;
    OffscreenApplication& operator=(const OffscreenApplication&) = delete;

private:
    QtMessageHandler m_previousHandler = qInstallMessageHandler(QtErrorsOnly);
    char m_name[11] = "vrx3km-cli";
    char m_option[10] = "-platform";
    char m_platform[10] = "offscreen";
    char* m_argv[4] = {m_name, m_option, m_platform, nullptr};
    int m_argc = 3;
    QGuiApplication m_app;
};

} // namespace

ExitStatus PdfReportCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                            const SiteSelect& select) {
    select(request.m_names);
    OffscreenApplication application;
    const std::vector<std::string>& names = request.m_names;
    std::vector<PaperReport> reports;
    if (names.size() == 3) {
        // One screen: its report, or the file error of its Vrx.cfg, as "report" has it.
        reports.push_back(ReadPaperReport(storage.Root(), {names[0], names[1], names[2]}));
    } else {
        for (const ScreenTarget& target : LibraryScreens(storage.Library(), names)) {
            try {
                reports.push_back(ReadPaperReport(storage.Root(), target));
            } catch (const FileError& error) {
                io.m_err << ScreenText(target) << " is left out: "
                         << (error.GetCause() == FileError::Cause::NotFound
                                 ? "it has no stored settings"
                                 : error.Message())
                         << "\n";
            }
        }
    }
    std::string scope = names[0];
    for (std::size_t i = 1; i < names.size(); ++i)
        scope += " - " + names[i];
    if (reports.empty()) {
        io.m_err << "vrx3km-cli: no screen of " << scope
                 << " has stored settings, so no PDF was written. Load the screens first.\n";
        return kExitFileError;
    }
    const std::string title =
        (reports.size() == 1 ? "Configuration report: " : "Configuration reports: ") + scope;
    const PaperResult result = WriteReportsPdf(PathFromUtf8(request.m_strPdf), reports,
                                               FooterForNow(request.m_strWho), title);
    if (!result.m_strProblem.empty()) {
        io.m_err << "vrx3km-cli: " << result.m_strProblem << "\n";
        return kExitFileError;
    }
    io.m_err << "Wrote " << request.m_strPdf << ": " << reports.size()
             << (reports.size() == 1 ? " screen on " : " screens on ") << result.m_nPages
             << (result.m_nPages == 1 ? " page.\n" : " pages.\n");
    return kExitSuccess;
}

ExitStatus PdfVisitCommand(const CliRequest& request, const VisitRecord& record, CliStreams& io) {
    OffscreenApplication application;
    const PaperResult result =
        WriteReportsPdf(PathFromUtf8(request.m_strPdf), VisitPaperReports(record),
                        FooterForNow(request.m_strWho), VisitPaperTitle(record));
    if (!result.m_strProblem.empty()) {
        io.m_err << "vrx3km-cli: " << result.m_strProblem << "\n";
        return kExitFileError;
    }
    io.m_err << "Wrote " << request.m_strPdf << ": " << result.m_nPages
             << (result.m_nPages == 1 ? " page.\n" : " pages.\n");
    return kExitSuccess;
}
