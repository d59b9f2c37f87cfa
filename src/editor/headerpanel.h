#pragma once

#include <QLabel>

#include <functional>

// A flat column header with a single-line border that sorts the catalogue when clicked.
// Normal look: grey with white text; active look (the current order): silver, bold.
class HeaderPanel : public QLabel
{
public:
    HeaderPanel(QWidget *parent, int tag);

    void setActiveLook(bool active);
    bool isActiveLook() const { return m_active; }

    const int Tag;
    std::function<void(HeaderPanel *)> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_active = false;
};
