#pragma once

#include "controls/rbbuttonrender.h"
#include "controls/rbcolors.h"
#include "controls/rbcustomcontrol.h"

#include <QImage>
#include <QPointer>

#include <memory>

// A push button filled with a vertical gradient that cross-fades into an over gradient
// while the mouse is on it and into a clicked gradient while it is pressed, with a
// rounded border, a shadowed caption, an optional glyph and a dotted focus rectangle.
// Buttons of one parent with the same GroupIndex > 0 are sticky and exclusive.
class TRbButton : public TRbCustomControl
{
public:
    using TButtonEvent = std::function<void(TRbButton *Sender)>;

    explicit TRbButton(QWidget *parent = nullptr);
    ~TRbButton() override;

    const QString &Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }
    const QImage &Glyph() const { return m_glyph; }
    void setGlyph(const QImage &glyph);
    int Spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    TButtonLayout Layout() const { return m_layout; }
    void setLayout(TButtonLayout layout);
    TRbControlColors &Colors() { return m_colors; }
    const TRbControlColors &Colors() const { return m_colors; }
    TFadeSpeed FadeSpeed() const { return m_fadeSpeed; }
    void setFadeSpeed(TFadeSpeed speed) { m_fadeSpeed = speed; }
    bool ShowFocusRect() const { return m_showFocusRect; }
    void setShowFocusRect(bool show);
    bool HotTrack() const { return m_hotTrack; }
    void setHotTrack(bool hotTrack);
    bool Default() const { return m_default; }
    void setDefault(bool isDefault);
    bool Cancel() const { return m_cancel; }
    void setCancel(bool isCancel);
    bool GradientBorder() const { return m_gradientBorder; }
    void setGradientBorder(bool border) { m_gradientBorder = border; }
    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index) { m_groupIndex = index; }
    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow) { m_allowAllUp = allow; }
    bool Down() const { return m_down; }
    void setDown(bool down);
    TGradientType GradientType() const { return m_gradientType; }
    void setGradientType(TGradientType type);
    // The face around the rounded corners; the parent's background in a dialog.
    TColor Color() const { return m_color; }
    void setColor(TColor color);
    TColor FontColor() const { return m_fontColor; }
    void setFontColor(TColor color);

    int Tag = 0;
    TButtonEvent OnClick;

    // Sets the window's modal result, toggles Down in a group, fires OnClick.
    void Click();

    // The state the picture is drawn from; the picture is RenderRbButton(look()).
    RbButtonLook look() const;

protected:
    void UpdateGradients() override;
    void FocusChanged() override;
    void LeftMouseDown() override;
    void LeftMouseUp() override;
    void MouseEntered() override;
    void MouseLeft() override;
    void Resized() override;

    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The default, over and clicked gradients for the button's size and colours.
    struct Gradients
    {
        QImage defaultGradient;
        QImage overGradient;
        QImage clickedGradient;
    };
    Gradients makeGradients() const;

    bool canTakeFocus() const;
    bool anotherDownInGroup() const;
    void watchWindowKeys();

    QString m_caption;
    int m_modalResult = 0;
    QImage m_glyph;
    int m_spacing = 2;
    TButtonLayout m_layout = blGlyphLeft;
    TRbControlColors m_colors{this};
    TFadeSpeed m_fadeSpeed = fsMedium;
    bool m_showFocusRect = true;
    bool m_hotTrack = false;
    bool m_default = false;
    bool m_cancel = false;
    bool m_gradientBorder = true;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    bool m_down = false;
    TGradientType m_gradientType = gtVertical;
    TColor m_color = clBtnFace;
    TColor m_fontColor = clBlack;
    bool m_pressedHere = false;
    QPointer<QWidget> m_keyWindow;

    Gradients m_gradients;
};
