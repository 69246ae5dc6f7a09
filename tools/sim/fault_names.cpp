#include "fault_names.h"

#include <utility>

namespace vrxsim {
namespace {

const std::vector<std::pair<FaultKind, std::string_view>> kKinds = {
    {FaultKind::Silent, "silent"},
    {FaultKind::WrongCode, "wrong-code"},
    {FaultKind::WrongLength, "wrong-length"},
    {FaultKind::BadBlock, "bad-block"},
    {FaultKind::WrongBlock, "wrong-block"},
    {FaultKind::BadBlockNumber, "bad-block-number"},
    {FaultKind::Noise, "noise"},
    {FaultKind::CutFrame, "cut-frame"},
    {FaultKind::Oversize, "oversize"},
    {FaultKind::BadEscape, "bad-escape"},
    {FaultKind::Chatter, "chatter"},
    {FaultKind::NoConfirm, "no-confirm"},
    {FaultKind::BadConfirm, "bad-confirm"},
};

const std::vector<std::pair<Stage, std::string_view>> kStages = {
    {Stage::Any, "any"},
    {Stage::ReadSystem, "read-system"},
    {Stage::ReadAudio0, "read-audio0"},
    {Stage::ReadAudio1, "read-audio1"},
    {Stage::ReadAudio2, "read-audio2"},
    {Stage::WriteSystem, "write-system"},
    {Stage::WriteAudio0, "write-audio0"},
    {Stage::WriteAudio1, "write-audio1"},
    {Stage::WriteAudio2, "write-audio2"},
    {Stage::Confirm, "confirm"},
};

template <typename T>
std::optional<T> Find(const std::vector<std::pair<T, std::string_view>>& table,
                      std::string_view name) {
    for (const auto& [value, text] : table) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

template <typename T>
std::string_view Name(const std::vector<std::pair<T, std::string_view>>& table, T value) {
    for (const auto& [v, text] : table) {
        if (v == value) {
            return text;
        }
    }
    return "?";
}

template <typename T> std::vector<T> Values(const std::vector<std::pair<T, std::string_view>>& t) {
    std::vector<T> out;
    for (const auto& entry : t) {
        out.push_back(entry.first);
    }
    return out;
}

} // namespace

std::optional<FaultKind> FaultKindFromName(std::string_view name) {
    return Find(kKinds, name);
}
std::optional<Stage> StageFromName(std::string_view name) {
    return Find(kStages, name);
}
std::string_view NameOf(FaultKind kind) {
    return Name(kKinds, kind);
}
std::string_view NameOf(Stage stage) {
    return Name(kStages, stage);
}

const std::vector<FaultKind>& AllFaultKinds() {
    static const std::vector<FaultKind> all = Values(kKinds);
    return all;
}

const std::vector<Stage>& AllStages() {
    static const std::vector<Stage> all = Values(kStages);
    return all;
}

std::optional<Fault> ParseFault(std::string_view text) {
    const auto colon = text.find(':');
    const auto kind = FaultKindFromName(text.substr(0, colon));
    if (!kind) {
        return std::nullopt;
    }
    if (colon == std::string_view::npos) {
        return Fault{*kind, Stage::Any};
    }
    const auto stage = StageFromName(text.substr(colon + 1));
    if (!stage) {
        return std::nullopt;
    }
    return Fault{*kind, *stage};
}

} // namespace vrxsim
