#include "dialogs/frminput.h"

#include "app/text.h"
#include "controls/rbbutton.h"
#include "dialogs/frmconfirm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::string cp932(const QString &text)
{
    return text::toCp932(text).value();
}

// Answers the next confirmation box with key and remembers its message. It looks for the
// box from a timer that it owns, so no look-up is left behind once it is gone.
class BoxAnswerer
{
public:
    BoxAnswerer()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tryAnswer(); });
    }

    void answerNext(Qt::Key key)
    {
        m_key = key;
        m_tries = 0;
        m_timer.start();
    }
    int shown = 0;
    QString message;
    QString caption;

private:
    void tryAnswer()
    {
        auto *box = dynamic_cast<TfrmConfirm *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (++m_tries >= 1000)
                m_timer.stop();
            return;
        }
        m_timer.stop();
        ++shown;
        message = box->lblMsg->text();
        caption = box->windowTitle();
        QTest::keyClick(box, m_key);
    }

    QTimer m_timer;
    Qt::Key m_key = Qt::Key_Y;
    int m_tries = 0;
};

class NameDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        favNames = {cp932(QStringLiteral("クラシック")), cp932(QStringLiteral("Jazz")),
                    cp932(QStringLiteral("新規"))};
        editor.setGeometry(300, 200, 661, 541);
        editor.show();
    }

    std::unique_ptr<TfrmInput> open(const QString &title, const QString &text)
    {
        auto dialog = std::make_unique<TfrmInput>(&editor, favNames);
        dialog->lblTitle->setText(title);
        dialog->edtInp->setText(text);
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }

    // Runs Accept by clicking OK while a notice is answered; the notice, or "" if none.
    QString acceptWithNotice(TfrmInput &dialog)
    {
        BoxAnswerer box;
        box.answerNext(Qt::Key_Return);
        QTest::mouseClick(dialog.spdOK, Qt::LeftButton);
        // The answer is armed for the box; a name that is accepted shows none.
        QApplication::processEvents();
        return box.shown ? box.message : QString();
    }

    QWidget editor;
    std::vector<std::string> favNames;
};

} // namespace

TEST_F(NameDialog, LayoutAndPlacement)
{
    const auto dialog = open(QStringLiteral("お気に入りの追加"), QStringLiteral("新規"));
    EXPECT_EQ(dialog->size(), QSize(232, 87));
    EXPECT_EQ(dialog->pos(), editor.pos() + QPoint(16, 16));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("お気に入り"));
    EXPECT_EQ(dialog->edtInp->geometry(), QRect(12, 28, 209, 20));
    EXPECT_EQ(dialog->spdOK->geometry(), QRect(72, 53, 74, 26));
    EXPECT_EQ(dialog->spdCan->geometry(), QRect(147, 53, 74, 26));
    EXPECT_EQ(dialog->spdOK->Caption(), QStringLiteral("決　定"));
    EXPECT_EQ(dialog->spdCan->Caption(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(dialog->spdOK->Tag, 1);
    EXPECT_EQ(dialog->spdCan->Tag, 2);
    EXPECT_EQ(dialog->spdOK->Spacing(), 6);
    EXPECT_EQ(dialog->spdCan->Spacing(), 2);
    EXPECT_EQ(dialog->spdOK->Glyph().size(), QSize(16, 16));
    EXPECT_EQ(dialog->spdCan->Glyph().size(), QSize(15, 13));
    EXPECT_EQ(QApplication::focusWidget(), dialog->edtInp);
    EXPECT_EQ(dialog->edtInp->selectedText(), QStringLiteral("新規"));
    EXPECT_EQ(dialog->Tag, 0);
    EXPECT_TRUE(dialog->edtInp->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(NameDialog, AcceptTrimsAndWritesTheNameBack)
{
    const auto dialog = open(QString(), QStringLiteral("新規"));
    dialog->edtInp->setText(QStringLiteral("　 ロック　ポップ 　"));
    EXPECT_EQ(acceptWithNotice(*dialog), QString());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Tag, 1);
    EXPECT_EQ(dialog->edtInp->text(), QStringLiteral("ロック　ポップ"));
    EXPECT_EQ(dialog->NameCp932(), cp932(QStringLiteral("ロック　ポップ")));
}

TEST_F(NameDialog, EmptyAndDuplicateNamesAreRefusedAndTheDialogStays)
{
    const QString empty = QStringLiteral("データがありません！！\n\n入力して下さい。");
    const QString same = QStringLiteral("同じ名前があります！！\n\n違う名前を入力して下さい。");
    const struct
    {
        QString typed;
        QString notice;
        QString left;
    } cases[] = {
        {QString(), empty, QString()},
        {QStringLiteral("   "), empty, QString()},
        {QStringLiteral("　　"), empty, QString()},
        {QStringLiteral(" 　 "), empty, QString()},
        {QStringLiteral("jAZZ"), same, QStringLiteral("jAZZ")},
        {QStringLiteral(" クラシック　"), same, QStringLiteral("クラシック")},
        {QStringLiteral("新規"), same, QStringLiteral("新規")},
    };
    for (const auto &c : cases) {
        const auto dialog = open(QString(), QStringLiteral("x"));
        dialog->edtInp->setText(c.typed);
        EXPECT_EQ(acceptWithNotice(*dialog), c.notice) << c.typed.toStdString();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->Tag, 0);
        EXPECT_EQ(dialog->edtInp->text(), c.left);
    }
}

TEST_F(NameDialog, NamesTheSettingsFileCannotHoldAreRefusedEachWithItsNotice)
{
    const struct
    {
        QString typed;
        QString firstLine;
    } cases[] = {
        {QStringLiteral("FAV"), QStringLiteral("この名前は使えません！！")},
        {QStringLiteral("fav"), QStringLiteral("この名前は使えません！！")},
        {QStringLiteral(" Fav "), QStringLiteral("この名前は使えません！！")},
        {QStringLiteral("a]b"), QStringLiteral("使えない文字があります！！")},
        {QStringLiteral("[ab"), QStringLiteral("使えない文字があります！！")},
        {QStringLiteral("a=b"), QStringLiteral("使えない文字があります！！")},
        {QStringLiteral("한국어"), QStringLiteral("保存できない文字があります！！")},
        {QStringLiteral("a\U0001F600"), QStringLiteral("保存できない文字があります！！")},
        {QStringLiteral("a\nb"), QStringLiteral("保存できない文字があります！！")},
        // A pasted tab: the settings file's reader would trim it off the name.
        {QStringLiteral("\tJazz"), QStringLiteral("保存できない文字があります！！")},
        {QStringLiteral("FAV\t"), QStringLiteral("保存できない文字があります！！")},
        {QStringLiteral("a\tb"), QStringLiteral("保存できない文字があります！！")},
        {QStringLiteral("a\x7F"), QStringLiteral("保存できない文字があります！！")},
        {QStringLiteral("a\rb"), QStringLiteral("保存できない文字があります！！")},
    };
    for (const auto &c : cases) {
        const auto dialog = open(QString(), QStringLiteral("x"));
        dialog->edtInp->setText(c.typed);
        const QString shown = acceptWithNotice(*dialog);
        EXPECT_TRUE(shown.startsWith(c.firstLine + QStringLiteral("\n\n")))
            << c.typed.toStdString() << " gave " << shown.toStdString();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->Tag, 0);
    }
    // Near misses are good names, and so are names that differ from one in the list by
    // more than letter case: the other kana, the other width.
    for (const QString &good : {QStringLiteral("FAVS"), QStringLiteral("ＦＡＶ"), QStringLiteral("ｷｬﾝｾﾙ"),
                                QStringLiteral("①②"), QStringLiteral("くらしっく"), QStringLiteral("ｸﾗｼｯｸ"),
                                QStringLiteral("Ｊａｚｚ"), QStringLiteral("しんき")}) {
        EXPECT_FALSE(TfrmInput::Refusal(good, favNames).has_value()) << good.toStdString();
    }
}

TEST_F(NameDialog, RenameUnchangedIsADuplicateAndCancelThenAsksNothing)
{
    const auto dialog = open(QStringLiteral("名前の変更"), QStringLiteral("Jazz"));
    EXPECT_TRUE(acceptWithNotice(*dialog).startsWith(QStringLiteral("同じ名前があります！！")));
    BoxAnswerer box;
    box.answerNext(Qt::Key_N);
    QTest::mouseClick(dialog->spdCan, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(box.shown, 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Tag, 0);
}

TEST_F(NameDialog, CancelAsksWhenTrimmingChangedTheText)
{
    const auto dialog = open(QStringLiteral("名前の変更"), QStringLiteral("Jazz "));
    // The refused Accept trims "Jazz " to "Jazz", which now differs from the start.
    acceptWithNotice(*dialog);
    ASSERT_EQ(dialog->edtInp->text(), QStringLiteral("Jazz"));

    BoxAnswerer box;
    box.answerNext(Qt::Key_N);
    QTest::keyClick(dialog->edtInp, Qt::Key_Escape);
    EXPECT_EQ(box.shown, 1);
    EXPECT_EQ(box.message, QStringLiteral("データが編集されています！！\n\n終了してもよろしいですか？"));
    EXPECT_EQ(box.caption, QStringLiteral("お気に入り"));
    EXPECT_TRUE(dialog->isVisible()) << "No keeps the dialog open";

    box.answerNext(Qt::Key_Y);
    QTest::keyClick(dialog->edtInp, Qt::Key_Escape);
    EXPECT_EQ(box.shown, 2);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Tag, 0);
}

TEST_F(NameDialog, KeysFollowTheFocus)
{
    {
        // Enter in the entry accepts.
        const auto dialog = open(QString(), QStringLiteral("ロック"));
        QTest::keyClick(dialog->edtInp, Qt::Key_Return);
        EXPECT_EQ(dialog->Tag, 1);
        EXPECT_FALSE(dialog->isVisible());
    }
    {
        // Enter on the focused cancel button cancels.
        const auto dialog = open(QString(), QStringLiteral("ロック"));
        dialog->spdCan->setFocus();
        QTest::keyClick(dialog->spdCan, Qt::Key_Return);
        EXPECT_EQ(dialog->Tag, 0);
        EXPECT_FALSE(dialog->isVisible());
    }
    {
        // Space on the focused OK button accepts.
        const auto dialog = open(QString(), QStringLiteral("ロック"));
        dialog->spdOK->setFocus();
        QTest::keyClick(dialog->spdOK, Qt::Key_Space);
        EXPECT_EQ(dialog->Tag, 1);
    }
    {
        // Escape cancels from the OK button too; nothing was edited, so nothing is asked.
        const auto dialog = open(QString(), QStringLiteral("ロック"));
        dialog->spdOK->setFocus();
        QTest::keyClick(dialog->spdOK, Qt::Key_Escape);
        EXPECT_EQ(dialog->Tag, 0);
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(NameDialog, TitleBarCloseAsksNothingAndLeavesTheTrimmedText)
{
    const auto dialog = open(QString(), QStringLiteral("新規"));
    dialog->edtInp->setText(QStringLiteral("  ロック　"));
    BoxAnswerer box;
    box.answerNext(Qt::Key_N);
    dialog->close();
    QApplication::processEvents();
    EXPECT_EQ(box.shown, 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Tag, 0);
    EXPECT_EQ(dialog->edtInp->text(), QStringLiteral("ロック"));
}

TEST_F(NameDialog, TypingStopsAtNineCharactersButAGivenLongerNameStaysWhole)
{
    const auto dialog = open(QString(), QString());
    // Each character is typed as its own key event, as an input method commits them.
    for (const QChar c : QStringLiteral("あいうえおかきくけこさ")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(dialog->edtInp, &key);
    }
    EXPECT_EQ(dialog->edtInp->text(), QStringLiteral("あいうえおかきくけ"));
    QTest::keyClicks(dialog->edtInp, QStringLiteral("abc"));
    EXPECT_EQ(dialog->edtInp->text().size(), 9);

    const auto rename = open(QString(), QStringLiteral("とても長いお気に入りの名前"));
    EXPECT_EQ(rename->edtInp->text(), QStringLiteral("とても長いお気に入りの名前"));
}
