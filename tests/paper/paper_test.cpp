#include "paper/paper_report.h"
#include "paper/report_pages.h"

#include "image/report.h"
#include "library/stored_settings.h"
#include "pdf_text.h"
#include "temp_folder.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const fs::path kGolden = VRX_IMAGE_GOLDEN_DIR;

TEST(ReportPages, BreakOnlyBetweenSectionsThatFitAPage) {
    const std::vector<std::string> lines = ReportLines(ReadBytes(kGolden / "full.txt"));
    ASSERT_EQ(lines.size(), 143u);
    // The heading with the names, the system section, the three audio sections (each with the
    // blank lines above its title).
    const std::vector<std::size_t> starts = ReportSectionStarts(lines);
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 7, 29, 67, 105}));

    struct Case {
        std::size_t nPerPage;
        std::vector<PageSpan> pages;
    };
    const Case cases[] = {
        {143, {{0, 143}}},
        {76, {{0, 67}, {67, 143}}},
        {75, {{0, 67}, {67, 105}, {105, 143}}},
        {40, {{0, 29}, {29, 67}, {67, 105}, {105, 143}}},
        // A section longer than a page starts a page of its own and is split between lines.
        {30, {{0, 29}, {29, 59}, {59, 67}, {67, 97}, {97, 105}, {105, 135}, {135, 143}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaginateReport(lines.size(), starts, c.nPerPage), c.pages) << c.nPerPage;

    // Any other text is one section; an empty one still takes a page.
    const std::vector<std::string> plain = ReportLines("a\r\nb\nc");
    EXPECT_EQ(plain, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(PaginateReport(plain.size(), ReportSectionStarts(plain), 2),
              (std::vector<PageSpan>{{0, 2}, {2, 3}}));
    EXPECT_EQ(PaginateReport(0, {0}, 5), (std::vector<PageSpan>{{0, 0}}));
}

TEST(PaperPdf, EveryPageHoldsItsReportsOwnLinesUnderAHeaderAndAboveAFooter) {
    const SettingsImage full = ReadSettingsFile(kGolden / "full.cfg");
    const SettingsImage second = ReadSettingsFile(kGolden / "second.cfg");
    const std::string screen2 = "\xc3\x89"
                                "cran 2";
    const std::vector<PaperReport> reports = {
        {"Riverside Circuit", "Park Theater", "Screen 3", "Monday, December 07, 2026",
         RenderConfigurationReport(full, "Riverside Circuit", "Park Theater", "Screen 3")},
        {"Odeon", "Grand", screen2, "Friday, March 06, 2026",
         RenderConfigurationReport(second, "Odeon", "Grand", screen2)},
    };
    ASSERT_EQ(reports[0].m_strText, ReadBytes(kGolden / "full.txt"));
    TempFolder folder;
    const fs::path pdf = folder.Path() / "reports.pdf";
    const PaperFooter footer{"Tuesday, December 08, 2026", "Dana Reyes"};
    const PaperResult result = WriteReportsPdf(pdf, reports, footer, "Reports");
    ASSERT_EQ(result.m_strProblem, "");
    EXPECT_TRUE(PdfFontsEmbedded(pdf));

    const std::vector<PdfReportPage> pages = ReadPdfReportPages(pdf);
    ASSERT_FALSE(pages.empty()) << "pdftotext (poppler-utils) is needed: scripts/setup test";
    ASSERT_EQ(pages.size(), static_cast<std::size_t>(result.m_nPages));
    std::size_t page = 0;
    for (const PaperReport& report : reports) {
        const std::string title =
            report.m_strCircuit + " - " + report.m_strTheater + " - " + report.m_strScreen;
        ASSERT_LT(page, pages.size());
        ASSERT_EQ(pages[page].m_strTitle, title);
        std::vector<std::string> body;
        for (; page < pages.size() && pages[page].m_strTitle == title; ++page) {
            const PdfReportPage& paper = pages[page];
            EXPECT_EQ(paper.m_strSettings, "Settings read on " + report.m_strSettingsDate);
            // Each screen from a new page, and later pages only at a section's title.
            ASSERT_FALSE(paper.m_body.empty());
            if (body.empty())
                EXPECT_EQ(paper.m_body.front(), std::string(80, '='));
            else
                EXPECT_TRUE(paper.m_body.front().ends_with(" Information:"))
                    << paper.m_body.front();
            const std::string number =
                "Page " + std::to_string(page + 1) + " of " + std::to_string(pages.size());
            EXPECT_EQ(paper.m_strFooter.substr(0, paper.m_strFooter.find("  ")),
                      "Printed on Tuesday, December 08, 2026 by Dana Reyes");
            EXPECT_TRUE(paper.m_strFooter.ends_with(number)) << paper.m_strFooter;
            body.insert(body.end(), paper.m_body.begin(), paper.m_body.end());
        }
        EXPECT_EQ(body, NonBlankLines(report.m_strText)) << title;
    }
    EXPECT_EQ(page, pages.size());
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
