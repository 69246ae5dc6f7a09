// The configuration report Vrx.txt: a plain-text rendering of the settings image.
#pragma once

#include "image/report_file.h"
#include "image/settings_image.h"

#include <filesystem>
#include <string>
#include <string_view>

// The report's own operations over a CReportFile. The image is only read.
class CConfigurationReport {
public:
    CConfigurationReport(CReportFile& file, const SettingsImage& image)
        : m_file(file), m_image(image) {}

    // The heading with the three names, then the system section and the three audio sections.
    void WriteReport(std::string_view circuit, std::string_view theater, std::string_view screen);
    // The system section, then the audio sections 0, 1 and 2.
    void WriteSystemSection();
    // One audio section; SettingsBlock::System, which has none, writes nothing.
    void WriteAudioSection(SettingsBlock which);
    // The date line of an audio block.
    void WriteDateLine(const AudioSetup& block);

private:
    CReportFile& m_file;
    const SettingsImage& m_image;
};

// Writes the whole report to reportPath, replacing any old file; throws FileError.
void WriteConfigurationReport(const std::filesystem::path& reportPath, const SettingsImage& image,
                              std::string_view circuit, std::string_view theater,
                              std::string_view screen);

// The same bytes as WriteConfigurationReport writes, for printing.
std::string RenderConfigurationReport(const SettingsImage& image, std::string_view circuit,
                                      std::string_view theater, std::string_view screen);
