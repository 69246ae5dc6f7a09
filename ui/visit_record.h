// The record of a service visit in the window: the question for the day the visit began, and the
// record shown as text in the report viewer, which prints it and saves it as a PDF in the
// layout "vrx3km-cli visit --pdf" writes (paper/visit_paper.h).
#pragma once

#include "ui/prompt.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class CTextViewDlg;
class QWidget;
class SiteLibrary;

// Asks from which day on the visit of the site named scopeText counts, offering today; the start
// of that local day, or nullopt when the technician cancelled.
std::optional<std::time_t> AskVisitStart(QWidget* parent, const std::string& scopeText);

// Gathers the record of the screens under scope since the time given and shows it in a viewer
// owned by owner's window.
CTextViewDlg* ShowVisitRecord(QWidget* owner, WindowPrompt& boxes, SiteLibrary& library,
                              const std::filesystem::path& root,
                              const std::vector<std::string>& scope, std::time_t since);
