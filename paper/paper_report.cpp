#include "paper/paper_report.h"

#include "image/atomic_file.h"
#include "image/report.h"
#include "library/screen_store.h"
#include "library/site_status.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"
#include "library/user_settings.h"
#include "paper/report_pages.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The report's text size; smaller only when its widest line would not fit the page.
constexpr qreal kTextPoints = 9.0;
// Every report line is at most 80 columns wide; the size is chosen for at least that.
constexpr qsizetype kReportColumns = 80;
// Between the header and the text, and between the text and the footer, in lines.
constexpr qreal kGapLines = 0.6;

// A fixed-pitch font for the report, whose columns line up only in one: DejaVu Sans Mono where
// it is installed (the package depends on it), else the system's fixed-pitch font.
std::optional<QFont> FixedPitchFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(system).fixedPitch())
        return system;
    return std::nullopt;
}

// The report's lines as text, decoded as UTF-8 when the whole report is valid UTF-8.
std::vector<QString> DecodedLines(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString whole =
        utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    const bool bUtf8 = !utf8.hasError();
    std::vector<QString> lines;
    for (const std::string& line : ReportLines(text)) {
        const QByteArrayView bytes(line.data(), static_cast<qsizetype>(line.size()));
        lines.push_back(bUtf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
    }
    return lines;
}

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct LaidOutReport {
    const PaperReport* m_pReport;
    std::vector<QString> m_lines;
    std::vector<PageSpan> m_pages;
};

// Draws text with its left end (or, bRight, its right end) at x on the baseline y, in a smaller
// size of the painter's font when it would be wider than maxWidth, so that nothing of it is cut.
void DrawFitted(QPainter& painter, const QString& text, qreal x, qreal y, qreal maxWidth,
                bool bRight) {
    const QFont font = painter.font();
    QFontMetricsF metrics(font, painter.device());
    qreal width = metrics.horizontalAdvance(text);
    if (width > maxWidth && width > 0) {
        QFont smaller = font;
        smaller.setPointSizeF(font.pointSizeF() * maxWidth / width);
        painter.setFont(smaller);
        width = QFontMetricsF(smaller, painter.device()).horizontalAdvance(text);
    }
    painter.drawText(QPointF(bRight ? x - width : x, y), text);
    painter.setFont(font);
}

} // namespace

std::string PaperDateText(std::time_t when, bool bWithTime) {
    return LongDateText(when, bWithTime);
}

PaperFooter FooterForNow(std::optional<std::string> technician) {
    if (!technician)
        technician = KnownTechnicianName();
    return PaperFooter{PaperDateText(std::time(nullptr), false), technician.value_or("")};
}

PaperReport ReadPaperReport(const fs::path& root, const ScreenTarget& target) {
    const fs::path settings =
        LibraryDiskPath(root, BuildLibraryPath(PathKind::SettingsFile, target.m_strCircuit,
                                               target.m_strTheater, target.m_strScreen));
    const SettingsImage image = ReadSettingsFile(settings);
    PaperReport report{target.m_strCircuit,
                       target.m_strTheater,
                       target.m_strScreen,
                       {},
                       RenderConfigurationReport(image, target.m_strCircuit, target.m_strTheater,
                                                 target.m_strScreen)};
    std::error_code ec;
    const fs::file_time_type written = fs::last_write_time(settings, ec);
    if (!ec)
        report.m_strSettingsDate = PaperDateText(ToCalendarTime(written), true);
    return report;
}

QPageLayout DefaultPaperLayout() {
    const bool bInches = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(bInches ? QPageSize::Letter : QPageSize::A4),
                       QPageLayout::Portrait, QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
}

PaperResult PaintReports(QPagedPaintDevice& device, const std::vector<PaperReport>& reports,
                         const PaperFooter& footer) {
    PaperResult result;
    if (reports.empty()) {
        result.m_strProblem = "There is no report to print.";
        return result;
    }
    std::optional<QFont> font = FixedPitchFont();
    if (!font) {
        result.m_strProblem = "No fixed-pitch font is installed, so the report's columns would "
                              "not line up; nothing was printed. Install one (on Debian, the "
                              "package fonts-dejavu-core) and print again.";
        return result;
    }

    std::vector<LaidOutReport> laidOut;
    qsizetype nColumns = kReportColumns;
    for (const PaperReport& report : reports) {
        laidOut.push_back({&report, DecodedLines(report.m_strText), {}});
        for (const QString& line : laidOut.back().m_lines)
            nColumns = std::max(nColumns, line.size());
    }

    const QRectF area(0, 0, device.width(), device.height());
    font->setPointSizeF(kTextPoints);
    {
        const qreal needed =
            QFontMetricsF(*font, &device).horizontalAdvance(QString(nColumns, QLatin1Char('0')));
        if (needed > area.width())
            font->setPointSizeF(kTextPoints * area.width() / needed);
    }
    const QFontMetricsF metrics(*font, &device);
    const qreal lineHeight = metrics.lineSpacing();
    const qreal headerHeight = (2 + kGapLines) * lineHeight;
    const qreal footerHeight = (1 + kGapLines) * lineHeight;
    const qreal textHeight = area.height() - headerHeight - footerHeight;
    if (textHeight < lineHeight) {
        result.m_strProblem = "The page is too small for the report; choose a larger paper size.";
        return result;
    }
    const auto nLinesPerPage = static_cast<std::size_t>(std::floor(textHeight / lineHeight));

    int nPages = 0;
    for (LaidOutReport& report : laidOut) {
        std::vector<std::string> byteLines = ReportLines(report.m_pReport->m_strText);
        const PaperReport& paper = *report.m_pReport;
        report.m_pages = PaginateReport(
            report.m_lines.size(),
            paper.m_sectionStarts.empty() ? ReportSectionStarts(byteLines) : paper.m_sectionStarts,
            nLinesPerPage);
        nPages += static_cast<int>(report.m_pages.size());
    }

    QPainter painter;
    if (!painter.begin(&device)) {
        result.m_strProblem = "The printer could not be started; nothing was printed.";
        return result;
    }
    painter.setFont(*font);
    QPen rule(Qt::black);
    rule.setWidthF(device.logicalDpiY() / 144.0); // half a point
    const QString printedOn =
        "Printed on " + ToQt(footer.m_strPrintedOn) +
        (footer.m_strTechnician.empty() ? QString() : " by " + ToQt(footer.m_strTechnician));
    const qreal gap = kGapLines * lineHeight;

    for (const LaidOutReport& report : laidOut) {
        const PaperReport& screen = *report.m_pReport;
        const QString title =
            ToQt(!screen.m_strHeading.empty()
                     ? screen.m_strHeading
                     : ScreenText(ScreenTarget{screen.m_strCircuit, screen.m_strTheater,
                                               screen.m_strScreen}));
        const QString settingsDate = !screen.m_strSubheading.empty() ? ToQt(screen.m_strSubheading)
                                     : screen.m_strSettingsDate.empty()
                                         ? QString()
                                         : "Settings read on " + ToQt(screen.m_strSettingsDate);
        for (const PageSpan& page : report.m_pages) {
            if (result.m_nPages > 0 && !device.newPage()) {
                result.m_strProblem = "The printer did not take page " +
                                      std::to_string(result.m_nPages + 1) + " of " +
                                      std::to_string(nPages) + ".";
                painter.end();
                return result;
            }
            ++result.m_nPages;
            // Header: the screen and when its settings were read, above a rule.
            DrawFitted(painter, title, 0, metrics.ascent(), area.width(), false);
            if (!settingsDate.isEmpty())
                DrawFitted(painter, settingsDate, 0, lineHeight + metrics.ascent(), area.width(),
                           false);
            painter.setPen(rule);
            painter.drawLine(QPointF(0, headerHeight - gap / 2),
                             QPointF(area.width(), headerHeight - gap / 2));
            // The report's own lines.
            qreal top = headerHeight;
            for (std::size_t line = page.m_nFirst; line < page.m_nEnd; ++line) {
                painter.drawText(QPointF(0, top + metrics.ascent()), report.m_lines[line]);
                top += lineHeight;
            }
            // Footer: who printed it and when, and the page number, below a rule.
            const qreal footerTop = area.height() - lineHeight;
            painter.drawLine(QPointF(0, footerTop - gap / 2),
                             QPointF(area.width(), footerTop - gap / 2));
            const QString number = QString("Page %1 of %2").arg(result.m_nPages).arg(nPages);
            const qreal numberWidth = metrics.horizontalAdvance(number);
            painter.drawText(QPointF(area.width() - numberWidth, footerTop + metrics.ascent()),
                             number);
            DrawFitted(painter, printedOn, 0, footerTop + metrics.ascent(),
                       area.width() - numberWidth - metrics.horizontalAdvance(QStringLiteral("  ")),
                       false);
        }
    }
    if (!painter.end())
        result.m_strProblem = "The printer could not finish the document.";
    return result;
}

PaperResult WriteReportsPdf(const fs::path& file, const std::vector<PaperReport>& reports,
                            const PaperFooter& footer, const std::string& strTitle) {
    QByteArray bytes;
    PaperResult result;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(DefaultPaperLayout());
        writer.setTitle(ToQt(strTitle));
        writer.setCreator(QStringLiteral("VRX-3KM Download/Upload"));
        result = PaintReports(writer, reports, footer);
    }
    if (result.m_strProblem.empty())
        WriteFileAtomically(
            file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return result;
}
