#include "image/report_file.h"

#include "image/atomic_file.h"

CReportFile::~CReportFile() = default;

void CReportFile::Create(const std::filesystem::path& path) {
    m_path = path;
    m_strContent.clear();
    m_bOpen = true;
}

void CReportFile::WriteText(std::string_view text) {
    m_strContent.append(text);
}

void CReportFile::WriteNewLine() {
    m_strContent.append("\r\n");
}

void CReportFile::WriteLine(std::string_view text) {
    WriteText(text);
    WriteNewLine();
}

void CReportFile::WriteRule() {
    for (int i = 0; i < 8; ++i) {
        WriteText("==========");
    }
    WriteNewLine();
}

void CReportFile::Close() {
    if (!m_bOpen) {
        return;
    }
    // Closed first: a failed replacement is reported once, and the destructor does not retry.
    m_bOpen = false;
    WriteFileAtomically(m_path, m_strContent);
}
