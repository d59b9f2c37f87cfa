#pragma once

#include "controls/lbspeedbuttonrender.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>



// The push button of both windows: no focus of its own, painted from an off-screen bitmap
// with a see-through colour, hot tracking by a tinted fill, pressed content shifted by a
// pixel. Buttons of one parent with the same GroupIndex behave as a radio group.
class TLbSpeedButton : public QWidget
{
public:
    using TNotifyEvent = std::function<void(TLbSpeedButton *Sender)>;
    using TMouseEvent = std::function<void(TLbSpeedButton *Sender, Qt::MouseButton Button,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;
    using TMouseMoveEvent =
        std::function<void(TLbSpeedButton *Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

    explicit TLbSpeedButton(QWidget *parent = nullptr);

    TLbSpeedButtonStyle Style() const { return m_look.style; }
    void setStyle(TLbSpeedButtonStyle style);
    TColor Color() const { return m_look.color; }
    void setColor(TColor color);
    TColor ColorWhenDown() const { return m_look.colorWhenDown; }
    void setColorWhenDown(TColor color);
    TColor HotTrackColor() const { return m_look.hotTrackColor; }
    void setHotTrackColor(TColor color) { m_look.hotTrackColor = color; }
    TColor LightColor() const { return m_look.lightColor; }
    void setLightColor(TColor color);
    TColor ShadowColor() const { return m_look.shadowColor; }
    void setShadowColor(TColor color);
    // The colour of the caption; the font itself is the widget's font().
    TColor FontColor() const { return m_look.fontColor; }
    void setFontColor(TColor color);
    const QFont &HotTrackFont() const { return m_hotTrackFont; }
    void setHotTrackFont(const QFont &font) { m_hotTrackFont = font; }
    TColor HotTrackFontColor() const { return m_hotTrackFontColor; }
    void setHotTrackFontColor(TColor color) { m_hotTrackFontColor = color; }
    bool UseHotTrackFont() const { return m_useHotTrackFont; }
    void setUseHotTrackFont(bool use) { m_useHotTrackFont = use; }
    const QImage &Glyph() const { return m_look.glyph; }
    // Also sets NumGlyphs to the number of square cells in the strip.
    void setGlyph(const QImage &glyph);
    int NumGlyphs() const { return m_look.numGlyphs; }
    void setNumGlyphs(int count);
    const QString &Caption() const { return m_look.caption; }
    void setCaption(const QString &caption);
    TAlignment Alignment() const { return m_look.alignment; }
    void setAlignment(TAlignment alignment);
    TLbSpeedButtonLayout Layout() const { return m_look.layout; }
    void setLayout(TLbSpeedButtonLayout layout);
    bool Transparent() const { return m_look.transparent; }
    void setTransparent(bool transparent);
    bool WordWrap() const { return m_look.wordWrap; }
    void setWordWrap(bool wordWrap);
    bool Flat() const { return m_look.flat; }
    void setFlat(bool flat);
    bool Down() const { return m_look.down; }
    void setDown(bool down);
    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);
    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow) { m_allowAllUp = allow; }
    bool SlowDecease() const { return m_slowDecease; }
    void setSlowDecease(bool slow);
    QMenu *PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu);

    int Tag = 0;
    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // The state that the picture is drawn from, for tests and for the parent's layout.
    LbSpeedButtonLook look() const;
    int hotLevel() const { return m_look.hotLevel; }
    bool isMouseInside() const { return m_look.mouseInside; }

    // Opens the menu, if any, below the button, then fires OnClick.
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void repaintNow();
    void fadeStep();
    bool parentShowing() const;

    LbSpeedButtonLook m_look;
    QFont m_hotTrackFont;
    TColor m_hotTrackFontColor = clBlack;
    bool m_useHotTrackFont = false;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    bool m_slowDecease = false;
    QTimer m_fade;
    QPointer<QMenu> m_popupMenu;
};
