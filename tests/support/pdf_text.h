// What poppler's tools (pdftotext and pdffonts, Debian's poppler-utils) read back from a PDF of
// configuration reports: each page's header, body lines and footer, and whether the fonts are
// embedded. The reports are checked through their extracted text, never by the PDF's bytes.
// POSIX only.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// The standard output of a shell command; nullopt when it cannot run or fails.
inline std::optional<std::string> CommandOutput(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return ::pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

inline std::string ShellQuoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : path.string())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string WithoutTrailingSpaces(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The lines of a text, trailing spaces removed, blank lines left out.
inline std::vector<std::string> NonBlankLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line = WithoutTrailingSpaces(line);
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

struct PdfReportPage {
    std::string m_strTitle;          // the header's first line: the screen
    std::string m_strSettings;       // its second: when the settings were read
    std::vector<std::string> m_body; // the report's lines on the page, blank ones left out
    std::string m_strFooter;         // the last line: printed on, by, page N of M
};

// The pages of a PDF of reports. pdftotext's layout mode finds the columns of a fixed-pitch text
// exactly when told its pitch, which the report's first line (a rule of "=") gives. The left
// margin is taken off every line. Empty when pdftotext is missing or fails.
inline std::vector<PdfReportPage> ReadPdfReportPages(const std::filesystem::path& pdf) {
    const auto boxes = CommandOutput("pdftotext -bbox " + ShellQuoted(pdf) + " -");
    if (!boxes)
        return {};
    std::smatch rule;
    const std::regex ruleWord("<word xMin=\"([0-9.]+)\"[^>]*xMax=\"([0-9.]+)\"[^>]*>(=+)</word>");
    if (!std::regex_search(*boxes, rule, ruleWord))
        return {};
    const double pitch =
        (std::stod(rule[2]) - std::stod(rule[1])) / static_cast<double>(rule[3].length());
    const auto text = CommandOutput("pdftotext -layout -fixed " + std::to_string(pitch) + " " +
                                    ShellQuoted(pdf) + " -");
    if (!text)
        return {};
    std::vector<PdfReportPage> pages;
    std::istringstream in(*text);
    for (std::string page; std::getline(in, page, '\f');) {
        std::vector<std::string> lines = NonBlankLines(page);
        if (lines.size() < 3)
            continue;
        std::size_t margin = std::string::npos;
        for (const std::string& line : lines)
            margin = std::min(margin, line.find_first_not_of(' '));
        for (std::string& line : lines)
            line.erase(0, margin);
        PdfReportPage result{lines[0], lines[1], {}, lines.back()};
        result.m_body.assign(lines.begin() + 2, lines.end() - 1);
        pages.push_back(std::move(result));
    }
    return pages;
}

// True when pdffonts lists fonts and every one of them is embedded.
inline bool PdfFontsEmbedded(const std::filesystem::path& pdf) {
    const auto fonts = CommandOutput("pdffonts " + ShellQuoted(pdf));
    if (!fonts)
        return false;
    std::istringstream in(*fonts);
    std::string line;
    int nFonts = 0;
    for (int header = 0; header < 2 && std::getline(in, line); ++header) {
    }
    while (std::getline(in, line)) {
        // name, type (may hold spaces), encoding, emb, sub, uni, object, ID
        std::istringstream words(line);
        std::vector<std::string> columns;
        for (std::string word; words >> word;)
            columns.push_back(word);
        if (columns.size() < 8 || columns[columns.size() - 5] != "yes")
            return false;
        ++nFonts;
    }
    return nFonts > 0;
}
