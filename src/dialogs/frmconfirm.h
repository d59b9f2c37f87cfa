#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QWidget;

// The message box's geometry for a message label and a window frame: the layout's sizes
// are those of the outer window, so the client area is what the frame leaves of them.
struct ConfirmGeometry
{
    QSize outer;
    QSize client;
    // The button panel, along the bottom edge of the client area.
    QRect panel;
    // Left edges of Button2 and Button3 in the panel (kind 3 shows Button2 alone).
    int button2Left = 0;
    int button3Left = 0;
};
ConfirmGeometry ConfirmGeometryFor(const QRect &label, const QMargins &frame, int kind);

// The outer top-left that centres a window of outer size on owner's outer rectangle;
// halves are truncated toward zero, so a smaller owner puts the box's edge before its own.
QPoint CentredOn(const QRect &owner, const QSize &outer);

// The program's one message box: a message beside an information icon, with "はい" and
// "いいえ" (kind 2, questions) or "ＯＫ" alone (kind 3, notices). It sizes itself to the
// message and centres itself on the window that asked. Tag holds the kind on the way in
// and the result on the way out: 6 when Button2 closed it, 7 in every other case.
class TfrmConfirm : public QDialog
{
public:
    static constexpr int KindQuestion = 2;
    static constexpr int KindNotice = 3;
    static constexpr int ResultYes = 6;
    static constexpr int ResultNo = 7;

    explicit TfrmConfirm(QWidget *parent = nullptr);

    // Lays the dialog out for the message and places it on owner; Tag becomes kind.
    void prepare(QWidget *owner, const QString &caption, int kind, const QString &message);
    // prepare, then shows the dialog modally; returns the result.
    int ask(QWidget *owner, const QString &caption, int kind, const QString &message);

    int Tag = 0;

    QLabel *Image1;
    QLabel *lblMsg;
    QWidget *pnlSw;
    QPushButton *Button2;
    QPushButton *Button3;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void ButtonClick(QPushButton *button);
    QMargins frame() const;
    void layoutFor(int kind);
    void centreOn(const QWidget *owner);

    int m_pressed = 3;
    QPointer<QWidget> m_owner;
    // The frame that the layout was made for: a window manager makes its frame known only
    // once the box is on the screen.
    QMargins m_laidOutFrame;
    QSize m_outer;
};

// Creates the one confirmation dialog of the run, owned by owner.
void CreateConfirmDialog(QWidget *owner);

// Asks through that dialog; kind 2 gives 6 (yes) or 7 (no), kind 3 shows a notice.
// Lines of the message are separated by carriage returns.
int AskConfirm(QWidget *owner, const QString &caption, int kind, const QString &message);
