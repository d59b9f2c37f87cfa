#include "dialogs/frmconfirm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString shortMessage = QStringLiteral("よろしいですか？");

// A window for the box to centre on.
std::unique_ptr<QWidget> ownerAt(const QRect &geometry)
{
    auto owner = std::make_unique<QWidget>();
    owner->setGeometry(geometry);
    return owner;
}

// Shows a prepared box without blocking, so that keys can be sent to it.
struct ShownBox
{
    TfrmConfirm box;

    ShownBox(int kind, const QString &message = shortMessage)
    {
        box.prepare(nullptr, QStringLiteral("確認"), kind, message);
        box.show();
        QApplication::processEvents();
    }

    int result() const { return box.Tag; }
};

} // namespace

TEST(ConfirmLayout, ShortMessageGivesTheLeastSizeAndPanelTop)
{
    TfrmConfirm box;
    box.prepare(nullptr, QStringLiteral("確認"), TfrmConfirm::KindQuestion, shortMessage);
    // The offscreen platform draws no frame: outer and client sizes agree.
    EXPECT_EQ(box.width(), 330);
    EXPECT_EQ(box.height(), 64 + 54);
    EXPECT_EQ(box.pnlSw->geometry(), QRect(0, 118 - 42, 330, 42));
    EXPECT_EQ(box.Button3->x(), 330 - 95);
    EXPECT_EQ(box.Button2->x(), 330 - 95 - 79);
    EXPECT_EQ(box.Button2->text(), QStringLiteral("はい"));
    EXPECT_EQ(box.Button3->text(), QStringLiteral("いいえ"));
    EXPECT_EQ(box.Tag, TfrmConfirm::KindQuestion);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("確認"));
}

TEST(ConfirmLayout, LongAndMultiLineMessagesGrowTheBox)
{
    TfrmConfirm box;
    const QString longLine(60, QChar(0x3042));
    box.prepare(nullptr, QStringLiteral("お気に入り"), TfrmConfirm::KindNotice,
                longLine + QStringLiteral("\r\r") + QStringLiteral("終了してもよろしいですか？"));
    const QRect label = box.lblMsg->geometry();
    EXPECT_GT(box.width(), 330);
    EXPECT_EQ(box.width(), label.x() + label.width() + 30);
    EXPECT_GT(box.height(), 64 + 54);
    EXPECT_EQ(box.height(), label.y() + label.height() + 28 + 54);
    EXPECT_EQ(box.pnlSw->y() + box.pnlSw->height(), box.height());
    // Three lines: the message, the blank line from CR CR, the second part.
    EXPECT_EQ(box.lblMsg->text().count(QLatin1Char('\n')), 2);
    EXPECT_EQ(box.lblMsg->text().count(QLatin1Char('\r')), 0);
    EXPECT_EQ(box.Button2->x(), box.width() - 95);
    EXPECT_EQ(box.Button2->text(), QStringLiteral("ＯＫ"));
    EXPECT_TRUE(box.Button3->isHidden());
}

TEST(ConfirmLayout, ReuseAfterANoticeShowsBothButtonsAgain)
{
    TfrmConfirm box;
    box.prepare(nullptr, QString(), TfrmConfirm::KindNotice, QString(80, QChar('x')));
    box.prepare(nullptr, QString(), TfrmConfirm::KindQuestion, shortMessage);
    EXPECT_FALSE(box.Button3->isHidden());
    EXPECT_EQ(box.width(), 330);
}

TEST(ConfirmLayout, TheSizesAreTheOuterWindowsAndTheFrameTakesItsShareOfThem)
{
    const QMargins frame(4, 24, 4, 4);
    const QRect shortLabel(63, 18, 100, 12);
    const ConfirmGeometry question = ConfirmGeometryFor(shortLabel, frame, TfrmConfirm::KindQuestion);
    EXPECT_EQ(question.outer, QSize(330, 64 + 54));
    EXPECT_EQ(question.client, QSize(330 - 8, 118 - 28));
    // The buttons stay inside the client area, on the panel along its bottom edge.
    EXPECT_EQ(question.panel, QRect(0, 90 - 42, 322, 42));
    EXPECT_EQ(question.button3Left, 330 - 95);
    EXPECT_EQ(question.button2Left, 330 - 95 - 79);
    EXPECT_LE(question.button3Left + 75, question.client.width());

    const ConfirmGeometry notice = ConfirmGeometryFor(QRect(63, 18, 400, 60), frame, TfrmConfirm::KindNotice);
    EXPECT_EQ(notice.outer, QSize(63 + 400 + 30, 18 + 60 + 28 + 54));
    EXPECT_EQ(notice.client, notice.outer - QSize(8, 28));
    EXPECT_EQ(notice.button2Left, notice.outer.width() - 95);
}

TEST(ConfirmLayout, CentringUsesOuterSizesOnBothSides)
{
    EXPECT_EQ(CentredOn(QRect(101, 53, 641, 513), QSize(330, 118)), QPoint(101 + 155, 53 + 197));
    // Negative odd differences truncate toward zero: -3 / 2 is -1.
    EXPECT_EQ(CentredOn(QRect(400, 300, 327, 115), QSize(330, 118)), QPoint(399, 299));
}

TEST(ConfirmLayout, CentresOnTheOwnerWithHalvesTruncated)
{
    TfrmConfirm box;
    const auto owner = ownerAt(QRect(101, 53, 641, 513));
    box.prepare(owner.get(), QString(), TfrmConfirm::KindQuestion, shortMessage);
    EXPECT_EQ(box.x(), 101 + (641 - 330) / 2);
    EXPECT_EQ(box.y(), 53 + (513 - 118) / 2);

    // An owner smaller than the box: odd differences are negative and truncate toward
    // zero (-1 for -3 / 2), so the box starts before the owner's edges.
    const auto small = ownerAt(QRect(400, 300, 146 + 181, 115));
    box.prepare(small.get(), QString(), TfrmConfirm::KindQuestion, shortMessage);
    EXPECT_EQ(box.x(), 400 + (327 - 330) / 2);
    EXPECT_EQ(box.x(), 399);
    EXPECT_EQ(box.y(), 300 - 1);
}

TEST(ConfirmKeys, EscapeAndNAnswerNoYAnswersYesInAnyKeyboardState)
{
    const struct
    {
        int kind;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int result;
    } cases[] = {
        {TfrmConfirm::KindQuestion, Qt::Key_Y, Qt::NoModifier, 6},
        {TfrmConfirm::KindQuestion, Qt::Key_Y, Qt::ShiftModifier, 6},
        {TfrmConfirm::KindQuestion, Qt::Key_Y, Qt::AltModifier, 6},
        {TfrmConfirm::KindQuestion, Qt::Key_N, Qt::NoModifier, 7},
        {TfrmConfirm::KindQuestion, Qt::Key_N, Qt::ShiftModifier | Qt::ControlModifier, 7},
        {TfrmConfirm::KindQuestion, Qt::Key_Escape, Qt::NoModifier, 7},
        {TfrmConfirm::KindNotice, Qt::Key_Y, Qt::NoModifier, 6},
        {TfrmConfirm::KindNotice, Qt::Key_N, Qt::NoModifier, 7},
        {TfrmConfirm::KindNotice, Qt::Key_Escape, Qt::NoModifier, 7},
    };
    for (const auto &c : cases) {
        ShownBox shown(c.kind);
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, c.key, c.modifiers);
        EXPECT_FALSE(shown.box.isVisible()) << c.key;
        EXPECT_EQ(shown.result(), c.result) << c.kind << " " << c.key << " " << c.modifiers;
    }
}

TEST(ConfirmKeys, EnterAndSpacePressTheFocusedButton)
{
    {
        ShownBox question(TfrmConfirm::KindQuestion);
        EXPECT_EQ(QApplication::focusWidget(), question.box.Button3);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(question.box.isVisible());
        EXPECT_EQ(question.result(), 7);
    }
    {
        ShownBox question(TfrmConfirm::KindQuestion);
        question.box.Button2->setFocus();
        QTest::keyClick(question.box.Button2, Qt::Key_Space);
        EXPECT_EQ(question.result(), 6);
    }
    {
        ShownBox notice(TfrmConfirm::KindNotice);
        EXPECT_EQ(QApplication::focusWidget(), notice.box.Button2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(notice.result(), 6);
    }
}

TEST(ConfirmClose, ButtonsAndTheTitleBar)
{
    {
        ShownBox question(TfrmConfirm::KindQuestion);
        QTest::mouseClick(question.box.Button2, Qt::LeftButton);
        EXPECT_EQ(question.result(), 6);
    }
    {
        ShownBox question(TfrmConfirm::KindQuestion);
        QTest::mouseClick(question.box.Button3, Qt::LeftButton);
        EXPECT_EQ(question.result(), 7);
    }
    {
        // The title bar's close button: the pressed mark is still 3.
        ShownBox notice(TfrmConfirm::KindNotice);
        notice.box.close();
        EXPECT_FALSE(notice.box.isVisible());
        EXPECT_EQ(notice.result(), 7);
    }
    {
        // A yes from an earlier show does not carry over.
        ShownBox question(TfrmConfirm::KindQuestion);
        QTest::mouseClick(question.box.Button2, Qt::LeftButton);
        question.box.prepare(nullptr, QString(), TfrmConfirm::KindQuestion, shortMessage);
        question.box.show();
        question.box.close();
        EXPECT_EQ(question.result(), 7);
    }
}

TEST(ConfirmAsk, AskConfirmShowsTheOneBoxModallyAndReturnsItsAnswer)
{
    QWidget player;
    player.setGeometry(200, 200, 146, 217);
    CreateConfirmDialog(&player);

    QPointer<QWidget> seen;
    auto answer = [&](Qt::Key key) {
        QTimer::singleShot(0, [&, key] {
            seen = QApplication::activeModalWidget();
            if (seen)
                QTest::keyClick(seen, key);
        });
    };
    answer(Qt::Key_Y);
    EXPECT_EQ(AskConfirm(&player, QStringLiteral("お気に入り"), 2, shortMessage), 6);
    QPointer<QWidget> first = seen;
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("お気に入り"));
    // Centred on the player, which is smaller than the box.
    EXPECT_EQ(first->x(), 200 + (146 - 330) / 2);

    answer(Qt::Key_N);
    EXPECT_EQ(AskConfirm(&player, QStringLiteral("確認"), 3, shortMessage), 7);
    EXPECT_EQ(seen, first) << "the box is created once and reused";
}
