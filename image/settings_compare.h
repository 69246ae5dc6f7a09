// Comparing two settings images the way a technician reads them: field by field, with the labels
// and value texts of the configuration report.
#pragma once

#include "image/report_fields.h"
#include "image/settings_image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One difference between two images. A field the report prints names its section, row and
// column and carries both values as the report prints them. A differing byte that no differing
// field accounts for (a byte the report does not show, or one whose two values print alike, such
// as "Yes" for any non-zero matrix byte) is named by its block and offset, its values in
// hexadecimal: row "Byte 0x07", values "0x00" and "0x21".
struct SettingsDifference {
    SettingsBlock m_block = SettingsBlock::System;
    std::string m_strSection; // SectionName(m_block)
    std::string m_strRow;     // ReportField::m_strRow, or "Byte 0xNN" for a raw byte
    std::string m_strColumn;  // ReportField::m_strColumn; empty for a raw byte
    std::string m_strFirst;   // the first image's value
    std::string m_strSecond;  // the second image's value
    bool m_bRawByte = false;
    std::size_t m_nOffset = 0; // a raw byte's offset in its block; 0 for a field

    // "Current Audio Setup, 1K, C" or "System Setup, Byte 0x07".
    std::string Label() const;
};

// Every difference, in report order: the system section's fields, then its raw bytes, then the
// same for each audio section. Empty exactly when the two images hold the same 800 bytes.
std::vector<SettingsDifference> CompareSettings(const SettingsImage& first,
                                                const SettingsImage& second);

// What a comparison that found no difference with the processor says.
inline constexpr const char* kVerifiedText = "The processor holds exactly the stored settings.";

// The differences as text, one line each: "LABEL: FIRST | SECOND", or "No differences.\n" for
// an empty list.
std::string FormatDifferences(const std::vector<SettingsDifference>& differences);
