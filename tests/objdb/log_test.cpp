#include "objdb/qellog.h"
#include "support/private_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p)
{
    std::ifstream in(p);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

TEST(Log, KeepsEntriesOnlyWhileActive)
{
    TQelLogManager log;
    EXPECT_TRUE(log.get_Active());
    log.Write(QEL_LOG_ERROR, "TQelEditLink::SetEditorValue(): ed == 0");
    log.set_Active(false);
    log.Write(QEL_LOG_ERROR, "verworfen");
    log.WriteFmt(QEL_LOG_ERROR, "verworfen %d", 1);
    log.set_Active(true);
    log.WriteFmt(
        QEL_LOG_ERROR, "Exception in TQelVectorGrid::Reload(), nach CP %d: %s", 4, std::string("kaputt"));
    log.Write("Info", "Start");
    auto errors = log.EntriesOf("Error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Text, "TQelEditLink::SetEditorValue(): ed == 0");
    EXPECT_EQ(errors[1].Text, "Exception in TQelVectorGrid::Reload(), nach CP 4: kaputt");
    EXPECT_EQ(log.Count(), 3u);
    log.Clear();
    EXPECT_EQ(log.Count(), 0u);
}

TEST(Log, DropsTheOldestBeyondItsLimit)
{
    TQelLogManager log;
    log.set_MaxEntries(3);
    for (int i = 1; i <= 5; ++i)
        log.WriteFmt("Info", "%d", i);
    auto entries = log.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.front().Text, "3");
    EXPECT_EQ(entries.back().Text, "5");
    log.set_MaxEntries(0);
    EXPECT_EQ(log.Count(), 1u);
}

TEST(Log, AppendsOneLinePerEntryToItsFile)
{
    PrivateDir scratch { "qel_log_test" };
    fs::path file = scratch.path() / "qel.log";
    fs::remove(file);
    {
        TQelLogManager log;
        ASSERT_TRUE(log.set_FileName(file.string())) << log.get_FileError();
        log.Write(QEL_LOG_ERROR, "erste Zeile\nzweite Zeile");
        log.Write("Info", "Grüße");
    }
    {
        TQelLogManager log; // a second session appends
        ASSERT_TRUE(log.set_FileName(file.string()));
        log.Write("Info", "neu");
        log.set_FileName("");
        log.Write("Info", "nur im Speicher");
    }
    std::string text = read_file(file);
    EXPECT_NE(text.find("\tError\terste Zeile\\nzweite Zeile\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tInfo\tGrüße\n"), std::string::npos);
    EXPECT_NE(text.find("\tInfo\tneu\n"), std::string::npos);
    EXPECT_EQ(text.find("nur im Speicher"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

TEST(Log, UnusableFileIsReportedAndLoggingGoesOn)
{
    TQelLogManager log;
    PrivateDir scratch { "qel_log_test" };
    std::string path = (scratch.path() / "fehlt" / "qel.log").string();
    EXPECT_FALSE(log.set_FileName(path));
    EXPECT_NE(log.get_FileError().find(path), std::string::npos);
    EXPECT_EQ(log.get_FileName(), "");
    log.Write("Info", "trotzdem");
    EXPECT_EQ(log.Count(), 1u);
}

TEST(Log, WriteListenerMayFailWithoutHarm)
{
    TQelLogManager log;
    int seen = 0;
    log.set_OnWrite([&](const TQelLogEntry& e) {
        ++seen;
        EXPECT_EQ(e.Category, "Error");
        throw std::runtime_error("Fenster weg");
    });
    EXPECT_NO_THROW(log.Write(QEL_LOG_ERROR, "x"));
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(log.Count(), 1u);
}

} // namespace
