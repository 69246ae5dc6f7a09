// The name dialog of the Add commands: one field of at most 32 characters, OK enabled only while
// the field holds text.
#pragma once

#include "ui/bitmap_button.h"

#include <QDialog>
#include <QString>

class QLineEdit;

class CNameDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNameDlg(QWidget* parent = nullptr);

    QString m_strCaption;
    QString m_strName;

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
    QLineEdit* m_pEdit;
    CBitmapButton* m_pOk;
    CBitmapButton* m_pCancel;
};
