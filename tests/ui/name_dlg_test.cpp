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

TEST(NameDlgTest, OkFollowsTheFieldAndTheFieldTakes32Characters) {
    CNameDlg dialog;
    dialog.m_strCaption = "Add Screen to Plaza";
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
    EXPECT_EQ(dialog.m_strName, QString(32, 'x'));
}

TEST(NameDlgTest, TheLimitCountsLettersNotBytes) {
    ScriptedPrompt prompt;
    SetPrompt(&prompt);
    CNameDlg dialog;
    dialog.InitDialog();
    const QString name(28, QChar(0x0416)); // 28 Cyrillic letters, 56 bytes of UTF-8
    dialog.NameEdit()->insert(name);
    dialog.accept();
    SetPrompt(nullptr);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_strName, name);
    EXPECT_TRUE(prompt.m_asked.empty());
}

TEST(NameDlgTest, ARefusedNameStaysInTheFieldWithTheFocus) {
    CNameDlg dialog;
    std::vector<std::string> checked;
    dialog.m_check = [&checked](const std::string& name) {
        checked.push_back(name);
        return name != "Plaza";
    };
    dialog.InitDialog();
    dialog.show();
    dialog.NameEdit()->insert("Plaza");
    dialog.OkButton()->setFocus();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.NameEdit()->text(), "Plaza");
    EXPECT_EQ(dialog.focusWidget(), dialog.NameEdit());
    EXPECT_TRUE(dialog.m_strName.isEmpty());
    dialog.NameEdit()->insert("Plaza 2"); // replaces the selected text
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_strName, "Plaza 2");
    EXPECT_EQ(checked, (std::vector<std::string>{"Plaza", "Plaza 2"}));
}

TEST(NameDlgTest, CancelKeepsTheName) {
    CNameDlg dialog;
    dialog.InitDialog();
    dialog.NameEdit()->insert("Plaza");
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.m_strName.isEmpty());
}

TEST(BitmapButtonTest, ButtonsTakeTheSizeOfTheirNormalImage) {
    CNameDlg dialog;
    dialog.InitDialog();
    for (CBitmapButton* button : {dialog.OkButton(), dialog.CancelButton()}) {
        EXPECT_EQ(button->size(), QSize(72, 40));
        EXPECT_TRUE(button->HasImage(CBitmapButton::Up));
        EXPECT_TRUE(button->HasImage(CBitmapButton::Down));
    }
    EXPECT_TRUE(dialog.OkButton()->HasImage(CBitmapButton::Focus));
    EXPECT_TRUE(dialog.OkButton()->HasImage(CBitmapButton::Disabled));
    EXPECT_FALSE(dialog.CancelButton()->HasImage(CBitmapButton::Focus));
    EXPECT_FALSE(dialog.CancelButton()->HasImage(CBitmapButton::Disabled));
    // OK starts disabled with an empty field: it shows its disabled image.
    EXPECT_EQ(dialog.OkButton()->CurrentImage(), CBitmapButton::Disabled);
}

TEST(BitmapButtonTest, ImageChoiceOrder) {
    using B = CBitmapButton;
    struct Row {
        bool pressed, focus, disabled, hasDown, hasFocus, hasDisabled;
        B::Image expected;
    };
    const Row rows[] = {
        {false, false, false, true, true, true, B::Up},
        {true, true, true, true, true, true, B::Down},
        {true, true, false, false, true, true, B::Focus},
        {false, true, true, true, true, true, B::Focus},
        {false, true, true, true, false, true, B::Disabled},
        {false, false, true, true, true, false, B::Up},
        {true, false, false, false, false, false, B::Up},
    };
    for (const Row& r : rows)
        EXPECT_EQ(
            B::ChooseImage(r.pressed, r.focus, r.disabled, r.hasDown, r.hasFocus, r.hasDisabled),
            r.expected);
}

TEST(AboutDlgTest, ShowsTheVersionAndClosesWithOk) {
    CAboutDlg about;
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
