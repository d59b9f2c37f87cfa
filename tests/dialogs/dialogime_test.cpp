#include "dialogs/dialogime.h"
#include "dialogs/frmconfirm.h"

#include "controls/xxcombobox.h"
#include "controls/xxstringgrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(DialogIme, TextAndListControlsGetTheInputMethodOthersKeepTheirs)
{
    QWidget dialog;
    auto *edit = new QLineEdit(&dialog);
    auto *memo = new QPlainTextEdit(&dialog);
    auto *list = new QListWidget(&dialog);
    auto *combo = new TxxComboBox(&dialog);
    auto *button = new QPushButton(&dialog);
    auto *grid = new TxxStringGrid(&dialog);
    for (QWidget *w : std::initializer_list<QWidget *>{edit, memo, list, combo, button, grid})
        w->setAttribute(Qt::WA_InputMethodEnabled, false);

    SetDialogIme(&dialog);
    EXPECT_TRUE(edit->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(memo->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(list->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(combo->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(button->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(grid->testAttribute(Qt::WA_InputMethodEnabled)) << "a grid is no list box";
}

TEST(DialogIme, ConfirmButtonsUseTheProgramsHandCursor)
{
    TfrmConfirm box;
    EXPECT_EQ(box.Button2->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(box.Button3->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(box.Button2->cursor().hotSpot(), QPoint(6, 1));
    EXPECT_EQ(box.lblMsg->cursor().shape(), Qt::ArrowCursor);
}
