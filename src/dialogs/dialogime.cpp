#include "dialogs/dialogime.h"

#include <QWidget>

#include <array>

namespace {

// The Qt classes that stand for the edits, memos, list boxes and combo boxes that take
// typed text.
constexpr std::array imeClasses = {"QLineEdit", "QTextEdit", "QPlainTextEdit", "QListView",
                                   "QComboBox"};

bool takesTypedText(const QWidget *widget)
{
    for (const char *name : imeClasses) {
        if (widget->inherits(name))
            return true;
    }
    return false;
}

} // namespace

void SetDialogIme(QWidget *dialog)
{
    // Qt has one platform input context for the whole application, so there is no input
    // method to choose; enabling it per control cannot fail.
    const auto widgets = dialog->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (takesTypedText(widget))
            widget->setAttribute(Qt::WA_InputMethodEnabled, true);
    }
}
