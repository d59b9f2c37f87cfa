#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

enum TFadeSpeed { fsSlow, fsMedium, fsFast, fsVeryFast };

// The base of the gradient controls: a focusable, opaque control that tracks whether the
// mouse is over it and whether the left button went down on it, and fades between those
// looks in steps of a 40 ms timer. Subclasses give the look and the steps' meaning.
class TRbCustomControl : public QWidget
{
public:
    using TNotifyEvent = std::function<void(TRbCustomControl *Sender)>;

    explicit TRbCustomControl(QWidget *parent = nullptr);

    bool TextShadow() const { return m_textShadow; }
    void setTextShadow(bool shadow);
    bool ShowCaption() const { return m_showCaption; }
    void setShowCaption(bool show);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Over and clicked levels, 0..100; the over level may dip below 0 in a fade-out.
    int OverLevel() const { return m_overLevel; }
    int ClickedLevel() const { return m_clickedLevel; }
    bool IsOver() const { return m_over; }
    bool IsClicked() const { return m_clicked; }
    bool isFading() const { return m_fade.isActive(); }
    // One tick of the fade timer: runs the current step.
    void fadeTick();

    // The colour set tells its owner: rebuild the gradients, or only repaint.
    void colorsChanged(bool gradients);

protected:
    virtual void UpdateGradients() = 0;
    virtual void EnabledChanged();
    virtual void FocusChanged();
    virtual void LeftMouseDown();
    virtual void LeftMouseUp();
    virtual void MouseEntered();
    virtual void MouseLeft();
    virtual void MouseMoved();
    virtual void ParentColorChanged();
    virtual void Resized();
    virtual void TextChanged();
    virtual void FadeOutStep();
    virtual void FadeInStep();

    // Kills the fade timer and sets it again; the step to run is chosen by fadeIn.
    void startFade(bool fadeIn);
    void startFade();
    void stopFade() { m_fade.stop(); }

    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    int m_overLevel = 0;
    int m_clickedLevel = 0;
    bool m_over = false;
    bool m_clicked = false;

private:
    void mouseCrossed(bool inside);

    bool m_textShadow = true;
    bool m_showCaption = true;
    bool m_mouseInside = false;
    bool m_fadeIn = true;
    QTimer m_fade;
};
