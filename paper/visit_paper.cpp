#include "paper/visit_paper.h"

std::vector<PaperReport> VisitPaperReports(const VisitRecord& record) {
    const std::string subheading = "Visit record of " + VisitScopeText(record) + " since " +
                                   PaperDateText(record.m_since, false);
    std::vector<PaperReport> reports;
    for (VisitPart& part : RenderVisitParts(record)) {
        PaperReport report;
        report.m_strText = std::move(part.m_strText);
        report.m_strHeading = std::move(part.m_strTitle);
        report.m_strSubheading = subheading;
        report.m_sectionStarts = std::move(part.m_sectionStarts);
        reports.push_back(std::move(report));
    }
    return reports;
}

std::string VisitPaperTitle(const VisitRecord& record) {
    return "Visit record: " + VisitScopeText(record) + " since " +
           PaperDateText(record.m_since, false);
}
