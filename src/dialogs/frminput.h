#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class TRbButton;

// The dialog in which a play list is named. It refuses an empty name, a name already in
// the list, and names that the settings file cannot hold; it asks before dropping an
// edited name. Tag is 1 when a name was accepted, else 0; edtInp then holds the trimmed
// name. The caller sets lblTitle and edtInp, shows the dialog modally and reads both.
class TfrmInput : public QDialog
{
public:
    static constexpr int MaxNameLength = 9;

    // Placed 16 pixels right of and below editor's top-left corner. favNames (CP932) is
    // only read, and must outlive the dialog.
    TfrmInput(QWidget *editor, const std::vector<std::string> &favNames);

    int Tag = 0;

    QLabel *lblTitle;
    QLineEdit *edtInp;
    TRbButton *spdOK;
    TRbButton *spdCan;

    // The entry's text in CP932; empty when it has no CP932 form (never after Accept).
    std::string NameCp932() const;

    // Why a name cannot be accepted, as the notice to show; nothing for a good name.
    static std::optional<QString> Refusal(const QString &trimmedName,
                                          const std::vector<std::string> &favNames);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void spdOKClick(TRbButton *Sender);
    void Accept();
    void Cancel();
    void trimEntry();

    const std::vector<std::string> &m_favNames;
    QString m_startText;
};

// Leading and trailing half-width and full-width spaces removed; other white space stays.
QString TrimNameSpaces(const QString &text);
