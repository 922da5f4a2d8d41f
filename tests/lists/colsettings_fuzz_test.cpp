// Column settings strings built from random pieces: reading never throws, every value stays in
// its range, a column's settings read back the same way, and grids take such strings (stored or
// set) without harm. Deterministic: the same strings on every run.
#include "lists_fixture.h"

#include <random>

namespace {

const char* const kPieces[]
    = { "c", "C", "'", "\"", "%", "/", ";", "-", "+", " ", "0", "1", "7", "42", "-100", "99999999999",
          "2147483647", "-2147483648", "Datum", "ß", "Ä", "\xC3", "\xFF", "\t", ":", "x", "1e5", "0x10" };

std::string randomSettings(std::mt19937& rnd, int maxPieces)
{
    std::string s;
    const int n = static_cast<int>(rnd() % static_cast<unsigned>(maxPieces + 1));
    for (int i = 0; i < n; ++i)
        s += kPieces[rnd() % std::size(kPieces)];
    return s;
}

TEST(ColSettingsFuzz, RandomSettingsStayInRangeAndReadBackStable)
{
    std::mt19937 rnd(20261207);
    const TQelTextMeasure measure = [](const std::string& t) { return static_cast<int>(t.size()) * 7; };
    for (int round = 0; round < 20000; ++round) {
        const std::string settings = randomSettings(rnd, 8);
        TQelGridColInfo info;
        ASSERT_NO_THROW(QelApplyColSettings(info, settings, measure)) << settings;
        EXPECT_GE(info.Stretch, 0) << settings;
        EXPECT_LE(info.Stretch, QelGridMaxShare) << settings;
        EXPECT_GE(info.Width, -QelGridMaxShare) << settings;
        EXPECT_LE(info.Width, QelGridMaxPixels) << settings;
        // What reads back reads the same way again.
        const std::string back = QelColSettingsText(info);
        TQelGridColInfo again;
        QelApplyColSettings(again, back, measure);
        ASSERT_EQ(again.Width, info.Width) << settings << " -> " << back;
        ASSERT_EQ(again.Stretch, info.Stretch) << settings << " -> " << back;
        ASSERT_EQ(QelColSettingsText(again), back) << settings;
        ASSERT_NO_THROW(QelSplitColSettings(settings));
    }
}

class ColSettingsGridFuzz : public GridFixture<TQelGrid> { };

TEST_F(ColSettingsGridFuzz, GridsTakeRandomSettingsStoredOrSet)
{
    std::mt19937 rnd(7122026);
    grid->SetRowCount(3);
    for (int round = 0; round < 300; ++round) {
        const std::string settings = randomSettings(rnd, 24);
        if (round % 2) {
            ASSERT_NO_THROW(grid->set_AllColSettings(settings)) << settings;
            ASSERT_NO_THROW(grid->RefreshColumnWidths(true, 0)) << settings;
        } else {
            const int cols = grid->ColCount();
            db->User()->NameWert().WriteString("FuzzColSettings", settings);
            ASSERT_NO_THROW(grid->LoadColWidths("Fuzz")) << settings;
            EXPECT_EQ(grid->ColCount(), cols);
        }
        for (int c = 0; c < grid->ColCount(); ++c) {
            EXPECT_GE(grid->ColWidths(c), 0) << settings;
            EXPECT_LE(grid->ColWidths(c), QelGridMaxPixels) << settings;
        }
        if (grid->ColCount() == 0)
            grid->SetColCount(3);
    }
}

} // namespace

namespace {

// The collation key bytes that settle ties of collation keys order texts exactly as
// AnsiCompareText does, and the collation key never contradicts them.
TEST(CollationKeyFuzz, KeyBytesOrderTextsAsAnsiCompareTextDoes)
{
    const char* const pieces[] = { "a", "A", "ä", "Ä", "s", "ß", "ẞ", "SS", "o", "ö", "Œ", "œ", "é", "E", " ",
        "-", "0", "9", "²", "Ω", "ω", "€", "\x01", "\xC2\xA0", "z", "Z", "ÿ", "Ÿ", "\xFF", "\t" };
    std::mt19937 rnd(1207);
    auto make = [&] {
        std::string s;
        for (int n = static_cast<int>(rnd() % 7); n > 0; --n)
            s += pieces[rnd() % std::size(pieces)];
        return s;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int round = 0; round < 30000; ++round) {
        const std::string a = make(), b = make();
        std::string ka, kb;
        QelAppendCollationKey(a, ka);
        QelAppendCollationKey(b, kb);
        ASSERT_EQ(sign(ka.compare(kb)), sign(AnsiCompareText(a, b))) << a << " | " << b;
        const std::int32_t na = str2key(a), nb = str2key(b);
        if (na != nb) {
            ASSERT_EQ(na < nb, ka < kb) << a << " | " << b;
        }
    }
}

} // namespace
