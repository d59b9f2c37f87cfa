#include "catalogue/cataloguehost.h"
#include "support/testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CatalogueHost, TheSettingNamesTheServerElseTheBuiltInOne)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/quavelo");
    EXPECT_EQ(CatalogueBaseUrl(base), "http://127.0.0.1:8157/11veruvodirororir/music/");
    testing_support::writeFile(base + QStringLiteral(".ini"), "[OPT]\r\nServer=\r\n");
    EXPECT_EQ(CatalogueHost(base), "127.0.0.1:8157");
    testing_support::writeFile(base + QStringLiteral(".ini"), "[opt]\r\nserver = music.example:8080\r\n");
    EXPECT_EQ(CatalogueBaseUrl(base), "http://music.example:8080/11veruvodirororir/music/");
}
