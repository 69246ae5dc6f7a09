#include "image/report.h"

#include "image/report_fields.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A row label as the audio sections write it: "Volume ", "Bass   ", "   40H   ".
std::string LeftAligned(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width)
        out.append(width - out.size(), ' ');
    return out;
}

std::string RightAligned(std::string_view text, std::size_t width) {
    std::string out(text.size() < width ? width - text.size() : 0, ' ');
    out += text;
    return out;
}

constexpr std::array<std::string_view, 5> kEqColumnNames = {"L", "C", "R", "LS", "RS"};

} // namespace

void CConfigurationReport::WriteReport(std::string_view circuit, std::string_view theater,
                                       std::string_view screen) {
    m_file.WriteRule();
    m_file.WriteLine("    Configuration File -- Do not edit");
    m_file.WriteRule();
    m_file.WriteText("    Circuit Name:  ");
    m_file.WriteLine(circuit);
    m_file.WriteText("    Theater Name:  ");
    m_file.WriteLine(theater);
    m_file.WriteText("    Screen:        ");
    m_file.WriteLine(screen);
    m_file.WriteRule();
    WriteSystemSection();
}

void CConfigurationReport::WriteSystemSection() {
    const std::vector<ReportField> fields = SystemSectionFields(m_image.system);
    std::size_t next = 0;
    const auto line = [&] {
        const ReportField& field = fields[next++];
        m_file.WriteLine(std::string(field.m_strLead) + field.m_strCell);
    };

    m_file.WriteNewLine();
    m_file.WriteText(SectionName(SettingsBlock::System));
    m_file.WriteLine(" Information:");
    m_file.WriteLine("-------------------------");
    line(); // reader delay
    m_file.WriteNewLine();
    line(); // F1 key
    line(); // matrix
    line(); // default format
    line(); // nonsync mode
    m_file.WriteNewLine();
    line(); // surround delay
    m_file.WriteNewLine();
    line(); // password
    m_file.WriteNewLine();
    line(); // nonsync trim
    m_file.WriteNewLine();
    m_file.WriteLine("Automation Trim:");
    while (next < fields.size())
        line();
    for (const SettingsBlock which : kAudioBlocks)
        WriteAudioSection(which);
}

void CConfigurationReport::WriteAudioSection(SettingsBlock which) {
    const AudioSetup* audio = AudioBlockOf(m_image, which);
    if (audio == nullptr)
        return;
    const AudioSetup& block = *audio;
    const std::vector<ReportField> fields = AudioSectionFields(block, which);

    m_file.WriteNewLine();
    m_file.WriteNewLine();
    m_file.WriteText(SectionName(which));
    m_file.WriteLine(" Information:");
    m_file.WriteLine("--------------------------------");
    WriteDateLine(block);
    m_file.WriteNewLine();
    m_file.WriteLine("               L        C        R       LS       RS       SW");
    m_file.WriteLine("------------------------------------------------------------------");

    auto field = fields.begin() + 1;    // after the date line
    for (int row = 0; row < 3; ++row) { // Volume, Bass, Treble: every column
        m_file.WriteText(LeftAligned(field->m_strRow, 7));
        for (std::size_t col = 0; col < kChannelCount; ++col)
            m_file.WriteText((field++)->m_strCell);
        m_file.WriteNewLine();
    }
    // The equaliser rows: a column without a value on a row (a surround channel between its
    // octave bands) is left blank.
    while (field != fields.end()) {
        const std::string_view row = field->m_strRow;
        m_file.WriteText(RightAligned(row, 6) + "   ");
        for (std::string_view column : kEqColumnNames) {
            if (field != fields.end() && field->m_strRow == row && field->m_strColumn == column)
                m_file.WriteText((field++)->m_strCell);
            else
                m_file.WriteText("     ");
            m_file.WriteText("  ");
        }
        m_file.WriteNewLine();
    }
}

void CConfigurationReport::WriteDateLine(const AudioSetup& block) {
    m_file.WriteLine(DateLineText(block));
}

void WriteConfigurationReport(const std::filesystem::path& reportPath, const SettingsImage& image,
                              std::string_view circuit, std::string_view theater,
                              std::string_view screen) {
    CReportFile file;
    file.Create(reportPath);
    CConfigurationReport(file, image).WriteReport(circuit, theater, screen);
    file.Close();
}

std::string RenderConfigurationReport(const SettingsImage& image, std::string_view circuit,
                                      std::string_view theater, std::string_view screen) {
    CReportFile file;
    file.Create({});
    CConfigurationReport(file, image).WriteReport(circuit, theater, screen);
    return file.Content();
}
