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
    dialog.NameEdit()->insert(QString(40, 'x'));
    EXPECT_EQ(dialog.NameEdit()->text().size(), 32);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_strName, QString(32, 'x'));
}

TEST(NameDlgTest, AnOverlongNameIsRefusedInABoxCaptionedWithTheApplicationName) {
    ScriptedPrompt prompt;
    SetPrompt(&prompt);
    CNameDlg dialog;
    dialog.InitDialog();
    dialog.NameEdit()->insert(QString(17, QChar(0xE9))); // 17 letters, 34 bytes
    dialog.accept();
    SetPrompt(nullptr);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.m_strName.isEmpty());
    ASSERT_EQ(prompt.m_asked.size(), 1u);
    EXPECT_EQ(prompt.m_asked[0].m_strText, "Please enter no more than 32 characters.");
    EXPECT_EQ(prompt.m_asked[0].m_strCaption, QApplication::applicationName().toStdString());
    EXPECT_EQ(prompt.m_asked[0].m_nButtons, PromptButtons::Ok);
    EXPECT_EQ(prompt.m_asked[0].m_nIcon, PromptIcon::Exclamation);
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
