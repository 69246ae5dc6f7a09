// The name dialog of the Add commands: one field of at most 32 characters, OK enabled only while
// the field holds text.
#pragma once

#include "ui/bitmap_button.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class Launcher;
class QLineEdit;
class WindowPrompt;

class CNameDlg : public QDialog {
    Q_OBJECT
public:
    // boxes shows the length check's message; F1 opens the help document through launcher.
    CNameDlg(WindowPrompt& boxes, Launcher& launcher, QWidget* parent = nullptr);

    // Called with the typed name (UTF-8) when OK is pressed and the name is not too long; true
    // accepts it and ends the dialog. A check that refuses has told the technician why: the
    // dialog stays open with the text, and the keyboard focus returns to the field.
    using NameCheck = std::function<bool(const std::string& name)>;

    // The caption, set before the dialog runs.
    void SetCaption(const QString& strCaption) { m_strCaption = strCaption; }
    void SetCheck(NameCheck check) { m_check = std::move(check); }
    // The name taken by OK; empty until then.
    const QString& Name() const { return m_strName; }

    // Sets the caption and the empty field, as the dialog's initialisation does; exec() calls it.
    void InitDialog();
    int exec() override;
    void accept() override;

    QLineEdit* NameEdit() const { return m_pEdit; }
    CBitmapButton* OkButton() const { return m_pOk; }
    CBitmapButton* CancelButton() const { return m_pCancel; }

private slots:
    void OnChangeName();

private:
    // After a refusal: the field keeps the text, selected, with the keyboard focus.
    void KeepTextForCorrection();

    WindowPrompt& m_boxes;
    QString m_strCaption;
    QString m_strName;
    NameCheck m_check;
    QLineEdit* m_pEdit;
    CBitmapButton* m_pOk;
    CBitmapButton* m_pCancel;
};

// Asks for a name under this caption in a CNameDlg of no parent until check accepts one, and
// returns it; nullopt when the technician cancelled. The Add commands' name source.
std::optional<std::string> AskName(WindowPrompt& boxes, Launcher& launcher,
                                   const std::string& caption, const CNameDlg::NameCheck& check);
