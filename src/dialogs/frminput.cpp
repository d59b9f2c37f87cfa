#include "dialogs/frminput.h"

#include "app/cursors.h"
#include "app/text.h"
#include "controls/rbbutton.h"
#include "dialogs/dialogart.h"
#include "dialogs/dialogime.h"
#include "dialogs/frmconfirm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include <algorithm>

namespace {

const QString dialogCaption = QStringLiteral("お気に入り");

QString notice(const QString &first, const QString &second)
{
    return first + QStringLiteral("\r\r") + second;
}

bool isNameSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x3000);
}

// CP932 carries control characters, but the settings file cannot: a line break ends its
// line, and its reader trims tabs, so a name with a tab at either end would read back as
// another name.
bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

void setUpButton(TRbButton *button, int tag, const QString &text, const QImage &glyph,
                 int spacing, const QRect &geometry)
{
    button->setGeometry(geometry);
    button->Tag = tag;
    button->setCaption(text);
    button->setGlyph(glyph);
    button->setSpacing(spacing);
    button->setCursor(AppCursor(HandCursor));
}

} // namespace

QString TrimNameSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isNameSpace(text[begin]))
        ++begin;
    while (end > begin && isNameSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

TfrmInput::TfrmInput(QWidget *editor, const std::vector<std::string> &favNames)
    : QDialog(editor, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_favNames(favNames)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    setPalette(palette);
    setWindowTitle(dialogCaption);
    setWindowIcon(QPixmap::fromImage(StarIcon()));
    setFixedSize(232, 87);
    setModal(true);

    lblTitle = new QLabel(this);
    lblTitle->move(12, 10);
    lblTitle->setTextFormat(Qt::PlainText);

    edtInp = new QLineEdit(this);
    edtInp->setGeometry(12, 28, 209, 20);
    edtInp->setCursor(AppCursor(HandCursor));

    spdOK = new TRbButton(this);
    setUpButton(spdOK, 1, QStringLiteral("決　定"), TickGlyph(), 6, QRect(72, 53, 74, 26));
    spdCan = new TRbButton(this);
    setUpButton(spdCan, 2, QStringLiteral("ｷｬﾝｾﾙ"), CrossGlyph(), 2, QRect(147, 53, 74, 26));
    spdOK->OnClick = [this](TRbButton *Sender) { spdOKClick(Sender); };
    spdCan->OnClick = [this](TRbButton *Sender) { spdOKClick(Sender); };

    setTabOrder(edtInp, spdOK);
    setTabOrder(spdOK, spdCan);
    edtInp->setFocus(Qt::OtherFocusReason);

    SetDialogIme(this);
    if (editor)
        move(editor->window()->pos() + QPoint(16, 16)); // both frame positions
}

std::string TfrmInput::NameCp932() const
{
    return text::toCp932(edtInp->text()).value_or(std::string());
}

std::optional<QString> TfrmInput::Refusal(const QString &trimmedName,
                                          const std::vector<std::string> &favNames)
{
    if (trimmedName.isEmpty())
        return notice(QStringLiteral("データがありません！！"), QStringLiteral("入力して下さい。"));
    const std::optional<std::string> bytes = text::toCp932(trimmedName);
    if (!bytes || hasControlCharacter(trimmedName))
        return notice(QStringLiteral("保存できない文字があります！！"),
                      QStringLiteral("別の文字で入力して下さい。"));
    // The play list's section is "MIDI_" + name, and [MIDI_FAV] holds the names.
    if (text::sameTextAscii(*bytes, "FAV"))
        return notice(QStringLiteral("この名前は使えません！！"),
                      QStringLiteral("違う名前を入力して下さい。"));
    if (trimmedName.contains(QLatin1Char('[')) || trimmedName.contains(QLatin1Char(']'))
        || trimmedName.contains(QLatin1Char('=')))
        return notice(QStringLiteral("使えない文字があります！！"),
                      QStringLiteral("[ ] = を使わずに入力して下さい。"));
    if (text::indexOfText(favNames, *bytes) >= 0)
        return notice(QStringLiteral("同じ名前があります！！"),
                      QStringLiteral("違う名前を入力して下さい。"));
    return std::nullopt;
}

void TfrmInput::showEvent(QShowEvent *event)
{
    m_startText = edtInp->text();
    // The limit applies to typing; a longer name that the caller put in stays whole.
    edtInp->setMaxLength(std::max<int>(MaxNameLength, int(m_startText.size())));
    edtInp->selectAll();
    QDialog::showEvent(event);
}

void TfrmInput::trimEntry()
{
    const QString trimmed = TrimNameSpaces(edtInp->text());
    if (trimmed != edtInp->text())
        edtInp->setText(trimmed);
}

void TfrmInput::spdOKClick(TRbButton *Sender)
{
    if (Sender->Tag == 1)
        Accept();
    else
        Cancel();
}

void TfrmInput::Accept()
{
    trimEntry();
    if (const std::optional<QString> refusal = Refusal(edtInp->text(), m_favNames)) {
        AskConfirm(this, dialogCaption, TfrmConfirm::KindNotice, *refusal);
        return;
    }
    Tag = 1;
    done(Tag);
}

void TfrmInput::Cancel()
{
    if (edtInp->text() != m_startText) {
        const int answer = AskConfirm(this, dialogCaption, TfrmConfirm::KindQuestion,
                                      notice(QStringLiteral("データが編集されています！！"),
                                             QStringLiteral("終了してもよろしいですか？")));
        if (answer == TfrmConfirm::ResultNo)
            return;
    }
    Tag = 0;
    done(Tag);
}

void TfrmInput::keyPressEvent(QKeyEvent *event)
{
    // Keys that the focused control did not take: the entry passes Enter and Escape on,
    // a focused button takes Enter and Space itself.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Accept();
        return;
    case Qt::Key_Escape:
        Cancel();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TfrmInput::done(int result)
{
    trimEntry();
    QDialog::done(result);
}
