// Published properties of the standard controls reach their widgets; HTML anchors report their
// target; the labelled edit shows its focus and disabled colours.
#include "tk_test_util.h"
#include "toolkit/advctrls.h"
#include "toolkit/htmlctrls.h"

#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

TEST(Properties, StandardPropertiesByNameChangeTheWidgets)
{
    TForm form(nullptr);
    auto* edit = new TAdvEdit(&form);
    edit->SetParent(&form);
    EXPECT_TRUE(SetPropValue(edit, "Text", "Hallo"));
    EXPECT_EQ(static_cast<QLineEdit*>(edit->Handle())->text(), "Hallo");
    EXPECT_TRUE(SetPropValue(edit, "ReadOnly", "True"));
    EXPECT_TRUE(static_cast<QLineEdit*>(edit->Handle())->isReadOnly());
    EXPECT_TRUE(SetPropValue(edit, "Width", 222));
    EXPECT_EQ(edit->Handle()->width(), 222);
    EXPECT_TRUE(SetPropValue(edit, "LabelCaption", "Vorname"));
    EXPECT_EQ(edit->LabelCaption(), "Vorname");
    EXPECT_TRUE(SetPropValue(edit, "ParentFont", false));
    EXPECT_FALSE(GetPropValue(edit, "ParentFont").AsBoolean());
    EXPECT_EQ(GetPropValue(edit, "TabStop").AsString(), "True");
    EXPECT_TRUE(SetPropValue(edit, "Visible", 0));
    EXPECT_FALSE(edit->Visible());
    auto* label = new TLabel(&form);
    EXPECT_TRUE(SetPropValue(label, "Caption", "Beschriftung"));
    EXPECT_EQ(static_cast<QLabel*>(label->Handle())->text(), "Beschriftung");
    EXPECT_FALSE(IsPublishedProp(label, "TabStop")); // labels are no windowed controls
}

TEST(Properties, HtmlAnchorClickReportsTheTarget)
{
    TForm form(nullptr);
    auto* html = new THTMLabel(&form);
    html->SetParent(&form);
    html->HTMLText().Add("<a href=\"edit:17\">nicht gesetzt</a>");
    std::string clicked;
    html->OnAnchorClick = TAnchorClickEvent([&](TObject*, const std::string& href) { clicked = href; });
    ASSERT_TRUE(ShowActive(form));
    auto* label = static_cast<QLabel*>(html->Handle());
    EXPECT_TRUE(label->text().contains("href=\"edit:17\""));
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(10, label->height() / 2));
    EXPECT_EQ(clicked, "edit:17");
}

TEST(Properties, AdvEditShowsFocusAndDisabledColours)
{
    TForm form(nullptr);
    auto* edit = new TAdvEdit(&form);
    edit->SetParent(&form);
    auto* other = new TAdvEdit(&form);
    other->SetParent(&form);
    other->SetTop(40);
    edit->SetFocusColor(clYellow);
    edit->SetDisabledColor(clSilver);
    ASSERT_TRUE(ShowActive(form));
    auto base = [&](QPalette::ColorGroup g) { return edit->Handle()->palette().color(g, QPalette::Base); };
    edit->SetFocus();
    EXPECT_EQ(base(QPalette::Active), QColor(Qt::yellow));
    other->SetFocus();
    EXPECT_EQ(base(QPalette::Active), ToQColorForTest(clWindow));
    EXPECT_EQ(base(QPalette::Disabled), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(edit->NormalColor(), clWindow);
}

} // namespace
