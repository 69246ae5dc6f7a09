// The ports dialog's box for the selected screen's own port: the port its Load, Send, comparison
// and backup use instead of the checked COM button's (its Port.txt), set or removed at once.
#pragma once

#include "image/settings_store.h"

#include <QGroupBox>

#include <filesystem>
#include <string>

class QLabel;
class QLineEdit;

class CScreenPortBox : public QGroupBox {
    Q_OBJECT
public:
    CScreenPortBox(QWidget* parent, std::filesystem::path screenFolder, const ScreenTarget& target);

    // Keeps the typed port as the screen's own (an empty one removes it); the outcome, or why
    // not, is shown in the box. True when kept.
    bool UseForScreen();
    void SetPortText(const std::string& name);
    QLineEdit* PortEdit() const { return m_pEdit; }
    QLabel* Outcome() const { return m_pOutcome; }

private:
    void ShowCurrent();

    std::filesystem::path m_screenFolder;
    QLineEdit* m_pEdit = nullptr;
    QLabel* m_pOutcome = nullptr;
};
