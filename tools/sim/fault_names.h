// Command-line names of the fault kinds and stages (kebab case), both ways.
#pragma once

#include "simulator.h"

#include <optional>
#include <string_view>
#include <vector>

namespace vrxsim {

std::optional<FaultKind> FaultKindFromName(std::string_view name);
std::optional<Stage> StageFromName(std::string_view name);
std::string_view NameOf(FaultKind kind);
std::string_view NameOf(Stage stage);
const std::vector<FaultKind>& AllFaultKinds();
const std::vector<Stage>& AllStages();
// "KIND" or "KIND:STAGE"; the stage defaults to any.
std::optional<Fault> ParseFault(std::string_view text);

} // namespace vrxsim
