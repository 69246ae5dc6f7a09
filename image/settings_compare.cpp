#include "image/settings_compare.h"

#include <array>
#include <cstdio>

namespace {

std::string Hex(std::size_t value) {
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%02zX", value);
    return buffer.data();
}

// Appends the differences of one block: first the fields whose printed values differ, then the
// differing bytes that none of those fields is printed from.
void CompareBlock(SettingsBlock block, const std::vector<ReportField>& first,
                  const std::vector<ReportField>& second, std::span<const std::uint8_t> a,
                  std::span<const std::uint8_t> b, std::vector<SettingsDifference>& out) {
    std::vector<bool> accounted(a.size(), false);
    // Both lists come from the same layout, so their fields pair up one for one.
    for (std::size_t i = 0; i < first.size() && i < second.size(); ++i) {
        if (first[i].m_strCell == second[i].m_strCell)
            continue;
        out.push_back(SettingsDifference{
            block, std::string(SectionName(block)), std::string(first[i].m_strRow),
            std::string(first[i].m_strColumn), std::string(first[i].Value()),
            std::string(second[i].Value()), false, 0});
        // A password switched on prints keys that the other side does not: both sides' bytes
        // are accounted for.
        for (const auto* field : {&first[i], &second[i]}) {
            for (std::size_t offset : field->m_offsets)
                accounted[offset] = true;
        }
    }
    for (std::size_t offset = 0; offset < a.size(); ++offset) {
        if (a[offset] == b[offset] || accounted[offset])
            continue;
        out.push_back(SettingsDifference{block, std::string(SectionName(block)),
                                         "Byte " + Hex(offset), "", Hex(a[offset]), Hex(b[offset]),
                                         true, offset});
    }
}

} // namespace

std::string SettingsDifference::Label() const {
    std::string label = m_strSection + ", " + m_strRow;
    if (!m_strColumn.empty())
        label += ", " + m_strColumn;
    return label;
}

std::vector<SettingsDifference> CompareSettings(const SettingsImage& first,
                                                const SettingsImage& second) {
    std::vector<SettingsDifference> out;
    CompareBlock(SettingsBlock::System, SystemSectionFields(first.system),
                 SystemSectionFields(second.system), first.system, second.system, out);
    for (const SettingsBlock block : kAudioBlocks) {
        CompareBlock(block, AudioSectionFields(*AudioBlockOf(first, block), block),
                     AudioSectionFields(*AudioBlockOf(second, block), block),
                     BlockBytes(first, block), BlockBytes(second, block), out);
    }
    return out;
}

std::string FormatDifferences(const std::vector<SettingsDifference>& differences) {
    if (differences.empty())
        return "No differences.\n";
    std::string text;
    for (const SettingsDifference& d : differences)
        text += d.Label() + ": " + d.m_strFirst + " | " + d.m_strSecond + "\n";
    return text;
}
