#include "demo_options.h"
#include "demo_store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList argv(std::initializer_list<const char*> a)
{
    QStringList l{"qeldemo"};
    for (auto* s : a)
        l << QString::fromUtf8(s);
    return l;
}

} // namespace

TEST(DemoOptions, HeadlessImpliesScreenshotsToDefaultFolder)
{
    auto o = parseDemoOptions(argv({}), true);
    EXPECT_EQ(o.screenshotDir, "out/screenshots");
    EXPECT_EQ(o.dbPath, defaultDatabasePath());
    EXPECT_TRUE(parseDemoOptions(argv({}), false).screenshotDir.isEmpty());
}

TEST(DemoOptions, ExplicitPathsAndErrors)
{
    auto o = parseDemoOptions(argv({"--db", "/tmp/x.qeldb", "--screenshot", "shots"}), false);
    EXPECT_EQ(o.dbPath, "/tmp/x.qeldb");
    EXPECT_EQ(o.screenshotDir, "shots");
    EXPECT_EQ(parseDemoOptions(argv({"--screenshot", "--db", "a"}), false).screenshotDir, "out/screenshots");
    EXPECT_FALSE(parseDemoOptions(argv({"--db"}), false).error.isEmpty());
    EXPECT_FALSE(parseDemoOptions(argv({"--frobnicate"}), false).error.isEmpty());
    EXPECT_TRUE(parseDemoOptions(argv({"--help"}), false).helpShown);
}

TEST(DemoStore, CreatesSampleDataOnceAndReopens)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("sub/demo.qeldb").toStdString();
    auto first = openDemoStore(path);
    ASSERT_TRUE(first.error.empty()) << first.error;
    EXPECT_TRUE(first.created);
    EXPECT_GT(first.objectCount, 0);
    auto second = openDemoStore(path);
    EXPECT_FALSE(second.created);
    EXPECT_EQ(second.objectCount, first.objectCount);
}

TEST(DemoStore, RefusesAFileThatIsNoDatabase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("junk.qeldb");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not sqlite at all, just some text that is long enough for a header........");
    f.close();
    auto s = openDemoStore(path.toStdString());
    EXPECT_FALSE(s.error.empty());
    EXPECT_NE(s.error.find("junk.qeldb"), std::string::npos);
}
