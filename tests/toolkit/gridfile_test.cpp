// The grid's files: CSV, binary streams and printing to PDF.
#include "grid_fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

TEST_F(GridTest, CsvFileRoundTripWithDelimiterAndQuotes)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("liste.csv").toStdString();
    grid->SetCellsEx(1, 1, "Müller; Hans");
    grid->SetCellsEx(2, 1, "sagt \"ja\"");
    grid->SetCellsEx(3, 1, "zwei\nZeilen");
    grid->SetDelimiter(';');
    grid->SaveToCSV(file);
    const std::string text = readFile(file);
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(text.find("Kopf 0;Kopf 1;Kopf 2;Kopf 3\r\n"), std::string::npos);
    EXPECT_NE(text.find("0/1;\"Müller; Hans\";\"sagt \"\"ja\"\"\";\"zwei\nZeilen\"\r\n"), std::string::npos);

    TAdvStringGrid other(nullptr);
    other.SetDelimiter(';');
    other.LoadFromCSV(file);
    ASSERT_EQ(other.RowCount(), grid->RowCount());
    ASSERT_EQ(other.ColCount(), grid->ColCount());
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c)
            EXPECT_EQ(other.GetCellsEx(c, r), grid->GetCellsEx(c, r));

    try {
        grid->SaveToCSV(dir.filePath("fehlt/liste.csv").toStdString());
        FAIL() << "no error for a missing folder";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("kann nicht geschrieben werden"), std::string::npos);
    }
    EXPECT_THROW(other.LoadFromCSV(dir.filePath("gibtsnicht.csv").toStdString()), std::runtime_error);
    EXPECT_EQ(other.GetCellsEx(1, 1), "Müller; Hans"); // a failed load changes nothing
}

// Saving goes through a file of its own beside the target: a "<name>.tmp" of someone else's,
// even a link, is left alone, and nothing of the save stays behind.
TEST_F(GridTest, CsvSaveLeavesOtherFilesAndLinksAlone)
{
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const std::string file = (folder / "liste.csv").string();
    const std::string tmp = file + ".tmp";
    std::ofstream(tmp) << "fremd";
    std::ofstream(file) << "alt";
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    grid->SetCellsEx(1, 1, "neu");
    grid->SaveToCSV(file);
    EXPECT_EQ(readFile(tmp), "fremd");
    EXPECT_NE(readFile(file).find("neu"), std::string::npos);
    EXPECT_EQ(fs::status(file).permissions(),
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << "a replaced file keeps its mode";
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "liste.csv", "liste.csv.tmp" }));

    // A link planted under that name does not carry the list anywhere.
    const std::string victim = (folder / "opfer.txt").string();
    std::ofstream(victim) << "Opfer";
    fs::remove(tmp);
    fs::create_symlink(victim, tmp);
    grid->SetCellsEx(1, 1, "wieder");
    grid->SaveToCSV(file);
    EXPECT_EQ(readFile(victim), "Opfer");
    EXPECT_TRUE(fs::is_symlink(tmp));
    EXPECT_NE(readFile(file).find("wieder"), std::string::npos);
    EXPECT_FALSE(fs::is_symlink(file));
}

TEST_F(GridTest, StreamRoundTripAndDamagedStream)
{
    grid->SetCellsEx(1, 2, "Größe");
    std::stringstream buf;
    grid->SaveToStream(buf);
    TAdvStringGrid other(nullptr);
    std::istringstream in(buf.str());
    other.LoadFromStream(in);
    EXPECT_EQ(other.GetCellsEx(1, 2), "Größe");
    EXPECT_EQ(other.RowCount(), 6);
    EXPECT_EQ(other.ColWidths(3), 100);

    std::istringstream cut(buf.str().substr(0, buf.str().size() / 2));
    EXPECT_THROW(grid->LoadFromStream(cut), std::runtime_error);
    EXPECT_EQ(grid->GetCellsEx(1, 2), "Größe");
    EXPECT_EQ(grid->RowCount(), 6);
}

TEST_F(GridTest, PrintsAllRowsToPdfPages)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("liste.pdf").toStdString();
    grid->SetRowCount(121);
    for (int r = 1; r < 121; ++r)
        grid->SetCellsEx(0, r, "<B>Zeile</B> " + std::to_string(r));
    grid->HideColumn(2);
    grid->PrintSettings().Title = "Personen";
    grid->PrintToPDF(file);
    const std::string pdf = readFile(file);
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    std::size_t pages = 0;
    for (auto pos = pdf.find("/Type /Page"); pos != std::string::npos; pos = pdf.find("/Type /Page", pos + 1))
        pages += pdf.compare(pos, 12, "/Type /Pages") != 0;
    // 120 data rows of 22 pixels plus header and title do not fit on one A4 page at 96 dpi.
    EXPECT_GE(pages, 3u);
    EXPECT_THROW(grid->PrintToPDF(dir.filePath("fehlt/x.pdf").toStdString()), std::runtime_error);
}
