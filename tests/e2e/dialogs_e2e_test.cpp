// The program's dialogs under a real window manager, which frames them: what a user sees
// of their size, each time they open.
#include "e2e/playerendtoend.h"

#include <QRegularExpression>
#include <QSize>

namespace {

// A figure that xwininfo gives of a window, as "Width" or "Absolute upper-left X" (the
// client area's, without the window manager's frame).
int windowFigure(const QString &display, const QString &id, const QString &label)
{
    const QString info = runX(display, QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    return QRegularExpression(QRegularExpression::escape(label) + QStringLiteral(":\\s+(-?\\d+)")).match(info).captured(1).toInt();
}

// A window's size with the frame the window manager put around it.
QSize outerSize(const QString &display, const QString &id)
{
    const auto number = [&](const char *label) { return windowFigure(display, id, QLatin1String(label)); };
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QStringList frame = runX(display, QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")})
                                  .section(QLatin1Char('='), 1)
                                  .split(QLatin1Char(','));
    if (frame.size() != 4)
        return {};
    return {number("Width") + frame[0].toInt() + frame[1].toInt(), number("Height") + frame[2].toInt() + frame[3].toInt()};
}

} // namespace

// The duplicate-name notice of the name dialog, opened twice: each time the whole window,
// frame and all, is as wide as the layout says, and as high the second time as the first.
TEST_F(PlayerEndToEnd, AMessageBoxFramedByAWindowManagerHasItsOuterSizeEveryTimeItOpens)
{
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        GTEST_SKIP() << "openbox is needed";
    QProcess windowManager;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    windowManager.setProcessEnvironment(environment);
    windowManager.start(QStringLiteral("openbox"), {});
    ASSERT_TRUE(windowManager.waitForStarted());
    ASSERT_TRUE(waitUntil([this] {
        return runX(display, QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QStringLiteral("window id"));
    }));

    testing_support::writeFile(dir.path() + QStringLiteral("/@Midi.DBF"),
                               readFile(sourceDir() + QStringLiteral("/server/content/11veruvodirororir/music/@Midi.DBF")));
    testing_support::writeFile(dir.path() + QStringLiteral("/quavelo.ini"),
                               "[OPT]\r\nUsed=1\r\nAutoRun=0\r\nFavNo=0\r\nMainTop=100\r\nMainLeft=100\r\nServer="
                                   + catalogueListen.toStdString() + "\r\n[MIDI_FAV]\r\n1=A\r\n[MIDI_A]\r\n1=jingle-o.mid\r\n");
    startPlayer(dir.path());
    ASSERT_TRUE(waitForPlayerTitle(QStringLiteral("待機中...")));
    clickAt(100 + 57 + 17, 100 + 117 + 7); // MENU
    ASSERT_TRUE(waitForWindowNamed(QStringLiteral("の設定")));
    const QString editor = visibleWindowsNamed(QStringLiteral("の設定")).value(0);
    const int editorX = windowFigure(display, editor, QStringLiteral("Absolute upper-left X"));
    const int editorY = windowFigure(display, editor, QStringLiteral("Absolute upper-left Y"));

    const auto pressReturn = [this] { runX(display, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")}); };
    const QString caption = QStringLiteral("お気に入り");
    // The first name offered, 新規, is added; offered again, it is a name the list has.
    QString nameDialog;
    for (int add = 0; add < 2; ++add) {
        // The editor takes the click once it has loaded; until then the name dialog waits.
        for (int attempt = 0; attempt < 10 && visibleWindowsNamed(caption).isEmpty(); ++attempt) {
            clickAt(editorX + 208, editorY + 95); // 追加
            waitUntil([&] { return visibleWindowsNamed(caption).size() == 1; }, 1000);
        }
        ASSERT_EQ(visibleWindowsNamed(caption).size(), 1) << "add " << add;
        nameDialog = visibleWindowsNamed(caption).first();
        pressReturn();
        if (add == 0) {
            ASSERT_TRUE(waitUntil([&] { return visibleWindowsNamed(caption).isEmpty(); }));
        }
    }
    QList<QSize> boxes;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(waitUntil([&] { return visibleWindowsNamed(caption).size() == 2; })) << "round " << round;
        // Let the window manager frame it and the box lay itself out for that frame.
        testing_support::runEventsFor(500);
        QStringList shown = visibleWindowsNamed(caption);
        shown.removeAll(nameDialog);
        ASSERT_EQ(shown.size(), 1);
        boxes << outerSize(display, shown.first());
        pressReturn(); // OK
        ASSERT_TRUE(waitUntil([&] { return visibleWindowsNamed(caption).size() == 1; }));
        pressReturn(); // the same name once more
    }
    EXPECT_EQ(boxes[0].width(), 330);
    for (const QSize &box : boxes)
        EXPECT_TRUE(box == boxes[0]) << box.width() << "x" << box.height() << " after " << boxes[0].width() << "x"
                                     << boxes[0].height();
    windowManager.terminate();
    windowManager.waitForFinished(5000);
}
