// TGradientLabel: the gradient behind the text, ellipsis and accelerator handling.
#include "toolkit/gradientlabel.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(GradientLabel, PathEllipsisKeepsTheFileName)
{
    TGradientLabel label(nullptr);
    label.SetEllipsType(etPathEllips);
    label.SetCaption("/home/anna/Dokumente/Verträge/2024/Arbeitsvertrag.pdf");
    const std::string shown = label.DisplayText(180);
    EXPECT_NE(shown, label.Caption());
    EXPECT_EQ(shown.substr(shown.size() - std::string("/Arbeitsvertrag.pdf").size()), "/Arbeitsvertrag.pdf");
    EXPECT_EQ(shown.substr(0, 5), "/home");
}

TEST(GradientLabel, PaintsTheGradientBehindTheText)
{
    TGradientLabel label(nullptr);
    label.SetParentColor(false);
    label.SetColor(clWhite);
    label.SetColorTo(clNavy);
    label.SetBounds(0, 0, 200, 20);
    label.SetCaption("");
    QImage img = label.Handle()->grab().toImage();
    const QColor left = img.pixelColor(1, 10);
    const QColor right = img.pixelColor(198, 10);
    EXPECT_GT(left.red(), 240);
    EXPECT_LT(right.red(), 20);
    EXPECT_GT(right.blue(), 110);

    label.SetGradientDirection(gdRightToLeft);
    img = label.Handle()->grab().toImage();
    EXPECT_LT(img.pixelColor(1, 10).red(), 20);

    // A bottom line leaves the rest of the label in its plain colour.
    label.SetGradientDirection(gdLeftToRight);
    label.SetGradientType(gtBottomLine);
    label.SetLineWidth(3);
    img = label.Handle()->grab().toImage();
    EXPECT_EQ(img.pixelColor(198, 5), QColor(Qt::white));
    EXPECT_LT(img.pixelColor(198, 18).red(), 20);
}

TEST(GradientLabel, AcceleratorMarkOnlyWhenAsked)
{
    TGradientLabel label(nullptr);
    label.SetCaption("&Name && Co");
    EXPECT_EQ(label.DisplayText(300), "Name & Co");
    label.SetShowAccelChar(false);
    EXPECT_EQ(label.DisplayText(300), "&Name && Co");
    EXPECT_EQ(label.Caption(), "&Name && Co");
}

} // namespace
