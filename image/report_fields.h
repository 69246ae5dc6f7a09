// The values the configuration report prints, one record per printed value, with the labels the
// report gives it. The report writes its lines from these records and a comparison of two images
// names its differences by them, so a value always reads the same in both.
#pragma once

#include "image/settings_image.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The block's section heading without " Information:": "System Setup", "Current Audio Setup",
// "Alternate Audio Setup #1", "Alternate Audio Setup #2".
std::string_view SectionName(SettingsBlock block);

struct ReportField {
    SettingsBlock m_block = SettingsBlock::System;
    // The row as the report labels it: "Reader Delay Setting", "F1 key assignment", ...,
    // "Automation Trim"; in an audio section "Date" (the date line has no label of its own),
    // "Volume", "Bass", "Treble" and the band labels "40H" to "16K".
    std::string_view m_strRow;
    // The column: "L", "C", "R", "LS", "RS", "SW" in the audio sections, "Mono", "A", "SR",
    // "External", "Digital" for the automation trims; empty for the other system lines and the
    // date line.
    std::string_view m_strColumn;
    // What the report writes before the value on its line: a system line's label with its
    // padding; empty for the date line and the audio cells, whose rows the report labels once.
    std::string_view m_strLead;
    // The value exactly as the report writes it, padding included.
    std::string m_strCell;
    // The offsets in the block of the bytes the value is printed from.
    std::vector<std::size_t> m_offsets;

    // The value as a technician reads it: the cell without its leading spaces.
    std::string_view Value() const;
};

// The system section's values in the order of its lines.
std::vector<ReportField> SystemSectionFields(const SystemSetup& block);
// One audio section's values in report order: the date line; the Volume, Bass and Treble rows
// with the columns L, C, R, LS, RS, SW; then the 27 equaliser rows with L, C and R, and LS and
// RS only on the rows where the surround channels have a band. Only the audio blocks have one;
// SettingsBlock::System gives nothing.
std::vector<ReportField> AudioSectionFields(const AudioSetup& block, SettingsBlock which);
// All values of the report: the system section, then the three audio sections.
std::vector<ReportField> ReportFields(const SettingsImage& image);

// The date line of an audio block, e.g. "SUN  7:08 PM MAY  3, 2050".
std::string DateLineText(const AudioSetup& block);
