#include "paper/report_pages.h"

#include <algorithm>

namespace {

constexpr std::string_view kTitleEnd = " Information:";

bool IsSectionTitle(const std::vector<std::string>& lines, std::size_t i) {
    const std::string& title = lines[i];
    if (title.size() <= kTitleEnd.size() ||
        title.compare(title.size() - kTitleEnd.size(), kTitleEnd.size(), kTitleEnd) != 0)
        return false;
    if (i + 1 >= lines.size() || lines[i + 1].empty())
        return false;
    const std::string& rule = lines[i + 1];
    return std::all_of(rule.begin(), rule.end(), [](char c) { return c == '-'; });
}

} // namespace

std::vector<std::string> ReportLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::size_t> ReportSectionStarts(const std::vector<std::string>& lines) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsSectionTitle(lines, i))
            continue;
        std::size_t start = i;
        while (start > starts.back() && lines[start - 1].empty())
            --start;
        if (start > starts.back())
            starts.push_back(start);
    }
    return starts;
}

std::vector<PageSpan> PaginateReport(std::size_t nLines,
                                     const std::vector<std::size_t>& sectionStarts,
                                     std::size_t nLinesPerPage) {
    const std::size_t perPage = std::max<std::size_t>(nLinesPerPage, 1);
    std::vector<PageSpan> pages;
    PageSpan page;
    const auto breakAt = [&](std::size_t line) {
        page.m_nEnd = line;
        pages.push_back(page);
        page = PageSpan{line, line};
    };
    for (std::size_t s = 0; s < sectionStarts.size(); ++s) {
        const std::size_t first = std::min(sectionStarts[s], nLines);
        const std::size_t end =
            s + 1 < sectionStarts.size() ? std::min(sectionStarts[s + 1], nLines) : nLines;
        if (end <= first)
            continue;
        const std::size_t used = first - page.m_nFirst;
        if (used > 0 && used + (end - first) > perPage)
            breakAt(first);
        for (std::size_t line = first; line < end; ++line) {
            if (line - page.m_nFirst == perPage)
                breakAt(line);
        }
    }
    page.m_nEnd = nLines;
    if (page.m_nEnd > page.m_nFirst || pages.empty())
        pages.push_back(page);
    return pages;
}
