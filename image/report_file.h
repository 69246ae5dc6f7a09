// The text-file writer for Notes.txt and Vrx.txt: 8-bit text, no byte-order mark, every line
// ended by "\r\n" on every platform. The text is collected in memory and replaces the file
// atomically on Close, so a report cut short by an error never leaves a partial file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class CReportFile {
public:
    CReportFile() = default;
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;
    ~CReportFile(); // a file never closed (an exception came first) leaves the old file untouched

    // Starts a new content for the file at path; nothing touches the disk before Close.
    void Create(const std::filesystem::path& path);
    void WriteText(std::string_view text);
    void WriteNewLine();
    void WriteLine(std::string_view text);
    void WriteRule(); // "==========" eight times, then "\r\n"
    // Replaces the file with the collected text; throws FileError. Without a Create it does
    // nothing.
    void Close();

    bool IsOpen() const { return m_bOpen; }
    // The text collected since Create, also after Close.
    const std::string& Content() const { return m_strContent; }

private:
    std::filesystem::path m_path;
    std::string m_strContent;
    bool m_bOpen = false;
};
