// The main of every test program: a Qt application on the offscreen platform, so that
// widgets, timers and event loops work as in the program, without a display.
#include "app/application.h"
#include <QFont>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Playback runs on the synthesiser's silent clock, whatever sound devices the machine
    // has, so that it keeps the same time everywhere.
    qputenv("QUAVELO_AUDIO", "none");
    ::testing::InitGoogleTest(&argc, argv);
    QuaveloApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    return RUN_ALL_TESTS();
}
