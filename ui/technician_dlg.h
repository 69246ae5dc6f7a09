// The question for the technician's name, which the log of every screen records with each Load,
// Send, Restore, Delete and backup.
#pragma once

#include <QWidget>

#include <optional>
#include <string>

// Asks for the name, offering suggested; nullopt when the technician cancelled.
std::optional<std::string> AskTechnicianName(QWidget* parent, const std::string& suggested);
