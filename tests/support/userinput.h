#pragma once

class QWidget;

namespace testing_support {

// A left click in the middle of the widget, delivered to its window as the display server
// delivers one: whatever lies on top at that point receives it, and a disabled control
// ignores it.
void clickLikeAUser(QWidget *widget);

} // namespace testing_support
