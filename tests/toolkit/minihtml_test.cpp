#include "toolkit/minihtml.h"
#include "toolkit/minihtmlrender.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qel::minihtml;

TEST(MiniHtml, ParsesTheCellVocabulary)
{
    const auto doc = Parse(R"(<A href="obj:17">Müller</A> <E>ungültiger Schlüssel</E>)"
                           R"(<FONT color="clGray">grau</FONT><B>fett</B><S>weg</S><BR>x)");
    ASSERT_EQ(doc.anchors, std::vector<std::string> { "obj:17" });
    ASSERT_EQ(doc.runs.size(), 8u);
    EXPECT_EQ(doc.runs[0].text, "Müller");
    EXPECT_EQ(doc.runs[0].anchor, 0);
    EXPECT_EQ(doc.runs[1].text, " ");
    EXPECT_EQ(doc.runs[1].anchor, -1);
    EXPECT_EQ(doc.runs[2].style, Error);
    EXPECT_EQ(doc.runs[3].color, 0x808080);
    EXPECT_EQ(doc.runs[4].style, Bold);
    EXPECT_EQ(doc.runs[5].style, StrikeOut);
    EXPECT_TRUE(doc.runs[6].lineBreak);
    EXPECT_EQ(doc.runs[7].text, "x");
}

TEST(MiniHtml, AttributeFormsAndNesting)
{
    // Unquoted and upper-case attributes, hex colours, nested styles, empty href.
    auto doc = Parse(
        "<FONT color=clGray>a</FONT><FONT COLOR=\"#FF8000\"><S><B>b</B></S></FONT><a HREF=\"\">c</a>");
    ASSERT_EQ(doc.runs.size(), 3u);
    EXPECT_EQ(doc.runs[0].color, 0x808080);
    EXPECT_EQ(doc.runs[1].color, 0x0080FF); // 0x00BBGGRR
    EXPECT_EQ(doc.runs[1].style, Bold | StrikeOut);
    EXPECT_EQ(doc.runs[2].anchor, 0);
    EXPECT_EQ(doc.anchors[0], "");
}

TEST(MiniHtml, UnknownTagsAndEntitiesStayText)
{
    // The combo cell's "<keine Auswahl>" is no mark-up and must show as written.
    const std::string none = "\xC2\xA0<keine Auswahl>";
    EXPECT_FALSE(IsMarkup(none));
    EXPECT_EQ(Strip(none), none);
    EXPECT_EQ(Strip("a &amp; b"), "a &amp; b"); // plain text: no entity decoding
    EXPECT_EQ(Strip("<B>a &amp; b &lt;c&gt; &#228;</B>"), "a & b <c> ä");
    EXPECT_EQ(Strip("<B>x <y> z</B>"), "x <y> z");
    EXPECT_EQ(Strip("<A href=\"\">Kunde hinzufügen</A>"), "Kunde hinzufügen");
    EXPECT_EQ(Strip("a<BR>b"), "a\nb");
    EXPECT_EQ(Strip("<B>unclosed"), "unclosed");
    EXPECT_EQ(Strip("<B"), "<B");
}

TEST(MiniHtml, AnchorHitTestFollowsLayout)
{
    const auto doc = Parse(R"(Text <A href="ziel">Link</A>)");
    RenderStyle style;
    style.font = QFont("DejaVu Sans", 10);
    const QRect rect(0, 0, 300, 20);
    EXPECT_FALSE(AnchorAt(doc, rect, style, QPoint(4, 10)).has_value()); // on "Text"
    const int linkX = style.padding + QFontMetrics(style.font).horizontalAdvance("Text ") + 3;
    ASSERT_TRUE(AnchorAt(doc, rect, style, QPoint(linkX, 10)).has_value());
    EXPECT_EQ(*AnchorAt(doc, rect, style, QPoint(linkX, 10)), "ziel");
    EXPECT_FALSE(AnchorAt(doc, rect, style, QPoint(290, 10)).has_value()); // right of the text

    // Right-aligned: the link moves to the right edge.
    style.align = Qt::AlignRight | Qt::AlignVCenter;
    EXPECT_TRUE(AnchorAt(doc, rect, style, QPoint(295, 10)).has_value());
}

TEST(MiniHtml, PaintsColouredRuns)
{
    QImage img(200, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    RenderStyle style;
    style.font = QFont("DejaVu Sans", 12);
    style.color = Qt::black;
    Paint(p, Parse("<FONT color=\"clRed\">WWWW</FONT>"), img.rect(), style);
    p.end();
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    EXPECT_GT(red, 20);
}
