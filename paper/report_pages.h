// How a configuration report falls into pages: its lines, its sections and where the pages
// break. Nothing here draws; the printed layout (paper_report.h) asks it where to break.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The lines of a report's text, each without its "\r\n" (or a lone "\n"). The line end after the
// last line starts no further line.
std::vector<std::string> ReportLines(std::string_view text);

// Where the report's sections begin, as line numbers, the first always 0: the heading block with
// the three names, the system section and each audio section. A section begins with the blank
// lines before its title (a line ending in " Information:" above a line of hyphens). A text
// without such titles is one section.
std::vector<std::size_t> ReportSectionStarts(const std::vector<std::string>& lines);

// The lines [m_nFirst, m_nEnd) that one page holds.
struct PageSpan {
    std::size_t m_nFirst = 0;
    std::size_t m_nEnd = 0;

    bool operator==(const PageSpan&) const = default;
};

// Pages of at most nLinesPerPage lines (at least one) for nLines lines in these sections. A page
// breaks only between sections when the next section does not fit on the rest of the page; a
// section longer than a whole page starts a new page and is split between lines. An empty text
// still takes one (empty) page.
std::vector<PageSpan> PaginateReport(std::size_t nLines,
                                     const std::vector<std::size_t>& sectionStarts,
                                     std::size_t nLinesPerPage);
