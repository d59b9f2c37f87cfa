#include "support/userinput.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

namespace testing_support {

void clickLikeAUser(QWidget *widget)
{
    QWidget *window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, widget->rect().center()));
}

} // namespace testing_support
