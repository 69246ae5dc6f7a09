#include "ui/about_dlg.h"
#include "ui/bitmap_button.h"
#include "ui/name_dlg.h"
#include "ui_fixture.h"

#include <QApplication>

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// A name dialog with scripted boxes and a recorder for the help document.
struct NameDialog {
    ScriptedPrompt m_prompt;
    RecordingLauncher m_launcher;
    CNameDlg m_dialog{m_prompt, m_launcher};
};

} // namespace

TEST(NameDlgTest, OkFollowsTheFieldAndTheFieldTakes32Characters) {
    NameDialog name;
    CNameDlg& dialog = name.m_dialog;
    dialog.SetCaption("Add Screen to Plaza");
    dialog.InitDialog();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Add Screen to Plaza");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.NameEdit()->insert("A");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    dialog.NameEdit()->clear();
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    // A paste beyond 32 characters is refused whole, never cut short.
    dialog.NameEdit()->insert(QString(40, 'x'));
    EXPECT_TRUE(dialog.NameEdit()->text().isEmpty());
    dialog.NameEdit()->insert(QString(32, 'x'));
    dialog.NameEdit()->insert("y");
    EXPECT_EQ(dialog.NameEdit()->text(), QString(32, 'x'));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Name(), QString(32, 'x'));
}

TEST(NameDlgTest, TheLimitCountsLettersNotBytes) {
    NameDialog names;
    CNameDlg& dialog = names.m_dialog;
    dialog.InitDialog();
    const QString name(28, QChar(0x0416)); // 28 Cyrillic letters, 56 bytes of UTF-8
    dialog.NameEdit()->insert(name);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Name(), name);
    EXPECT_TRUE(names.m_prompt.m_asked.empty());
}

TEST(NameDlgTest, ARefusedNameStaysInTheFieldWithTheFocus) {
    NameDialog name;
    CNameDlg& dialog = name.m_dialog;
    std::vector<std::string> checked;
    dialog.SetCheck([&checked](const std::string& typed) {
        checked.push_back(typed);
        return typed != "Plaza";
    });
    dialog.InitDialog();
    dialog.show();
    dialog.NameEdit()->insert("Plaza");
    dialog.OkButton()->setFocus();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.NameEdit()->text(), "Plaza");
    EXPECT_EQ(dialog.focusWidget(), dialog.NameEdit());
    EXPECT_TRUE(dialog.Name().isEmpty());
    dialog.NameEdit()->insert("Plaza 2"); // replaces the selected text
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Name(), "Plaza 2");
    EXPECT_EQ(checked, (std::vector<std::string>{"Plaza", "Plaza 2"}));
}

TEST(NameDlgTest, CancelKeepsTheName) {
    NameDialog name;
    CNameDlg& dialog = name.m_dialog;
    dialog.InitDialog();
    dialog.NameEdit()->insert("Plaza");
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.Name().isEmpty());
}

TEST(BitmapButtonTest, ButtonsTakeTheSizeOfTheirNormalImage) {
    NameDialog name;
    CNameDlg& dialog = name.m_dialog;
    dialog.InitDialog();
    for (CBitmapButton* button : {dialog.OkButton(), dialog.CancelButton()}) {
        EXPECT_EQ(button->size(), QSize(72, 40));
        EXPECT_TRUE(button->HasImage(ButtonImage::Up));
        EXPECT_TRUE(button->HasImage(ButtonImage::Down));
    }
    EXPECT_TRUE(dialog.OkButton()->HasImage(ButtonImage::Focus));
    EXPECT_TRUE(dialog.OkButton()->HasImage(ButtonImage::Disabled));
    EXPECT_FALSE(dialog.CancelButton()->HasImage(ButtonImage::Focus));
    EXPECT_FALSE(dialog.CancelButton()->HasImage(ButtonImage::Disabled));
    // OK starts disabled with an empty field: it shows its disabled image.
    EXPECT_EQ(dialog.OkButton()->CurrentImage(), ButtonImage::Disabled);
}

TEST(AboutDlgTest, ShowsTheVersionAndClosesWithOk) {
    ScriptedPrompt prompt;
    RecordingLauncher launcher;
    CAboutDlg about(prompt, launcher);
    EXPECT_EQ(about.windowTitle().toStdString(), "About 3km");
    bool bVersion = false;
    for (const QLabel* label : about.findChildren<QLabel*>())
        bVersion |= label->text() == "3km Version 1.2";
    EXPECT_TRUE(bVersion);
    auto buttons = about.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_TRUE(buttons[0]->isDefault());
    buttons[0]->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(ApplicationIcon().pixmap(32, 32).isNull());
}
