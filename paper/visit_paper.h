// The record of a service visit on paper: its parts (library/site_visit.h) in the reports' own
// layout, each touched screen from a new page, then the screens not touched, with the visit's
// scope and day in every page's header. PaintReports prints them, WriteReportsPdf writes the PDF.
#pragma once

#include "library/site_visit.h"
#include "paper/paper_report.h"

#include <string>
#include <vector>

// The pages' contents of the record, in order.
std::vector<PaperReport> VisitPaperReports(const VisitRecord& record);

// The PDF's title: "Visit record: Odeon - Main since Monday, December 07, 2026".
std::string VisitPaperTitle(const VisitRecord& record);
