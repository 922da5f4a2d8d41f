// Renders a sample form with every field widget to a PNG for a look by eye, and checks that the
// widgets drew where they stand.
#include "support/test_output.h"
#include "tk_test_util.h"
#include "toolkit/advctrls.h"
#include "toolkit/buttons.h"
#include "toolkit/extctrls.h"
#include "toolkit/htmlctrls.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

// Whether the area holds more than one colour (something was drawn there).
bool HasContent(const QImage& img, const QRect& r)
{
    const QRgb first = img.pixel(r.topLeft());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixel(x, y) != first)
                return true;
    return false;
}

TEST(Render, SampleFormWithEveryFieldWidget)
{
    TForm form(nullptr);
    form.SetCaption("Beispiel");
    form.SetBounds(0, 0, 640, 420);

    auto* header = new TPanel(&form);
    header->SetParent(&form);
    header->SetHeight(32);
    header->SetAlign(alTop);
    header->SetCaption("Person bearbeiten");
    header->Font().SetStyle({ fsBold });

    auto* name = new TAdvEdit(&form);
    name->SetParent(&form);
    name->SetBounds(110, 50, 180, 24);
    name->SetLabelCaption("Name");
    name->SetLabelPosition(lpLeftCenter);
    name->SetText("Müller-Lüdenscheidt");

    auto* city = new TAdvEdit(&form);
    city->SetParent(&form);
    city->SetBounds(110, 100, 180, 24);
    city->SetLabelCaption("Ort (oben)");
    city->SetText("Köln");
    city->SetFlat(true);

    auto* locked = new TAdvEdit(&form);
    locked->SetParent(&form);
    locked->SetBounds(110, 140, 180, 24);
    locked->SetLabelCaption("Gesperrt");
    locked->SetLabelPosition(lpLeftCenter);
    locked->SetDisabledColor(clBtnFace);
    locked->SetText("nur lesen");
    locked->SetEnabled(false);

    auto* plain = new TEdit(&form);
    plain->SetParent(&form);
    plain->SetBounds(110, 175, 180, 24);
    plain->SetColor(TColor(0x7FFFFF)); // marked light yellow
    plain->SetText("markiert");

    auto* combo = new TAdvComboBox(&form);
    combo->SetParent(&form);
    combo->SetBounds(110, 215, 180, 24);
    combo->SetLabelCaption("Anrede");
    combo->SetLabelPosition(lpLeftCenter);
    combo->Items().SetCommaText("Herr,Frau,Divers");
    combo->SetItemIndex(1);
    combo->SetText("Frau");

    auto* list = new TAdvComboBox(&form);
    list->SetParent(&form);
    list->SetBounds(110, 250, 180, 24);
    list->SetStyle(csDropDownList);
    list->Items().SetCommaText("ledig,verheiratet");
    list->SetItemIndex(0);

    auto* check = new THTMLCheckBox(&form);
    check->SetParent(&form);
    check->SetBounds(110, 285, 200, 22);
    check->SetCaption("Kunde ist <b>aktiv</b> <font color=\"clRed\">(geprüft)</font>");
    check->SetChecked(true);

    auto* plainCheck = new TCheckBox(&form);
    plainCheck->SetParent(&form);
    plainCheck->SetBounds(110, 310, 200, 22);
    plainCheck->SetCaption("Newsletter");

    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    memo->SetBounds(330, 50, 290, 90);
    memo->Lines().Add("Bemerkung, erste Zeile");
    memo->Lines().Add("zweite Zeile mit Umlauten: äöü ß");

    auto* code = new TAdvMemo(&form);
    code->SetParent(&form);
    code->SetBounds(330, 150, 290, 60);
    code->Lines().SetText("SELECT * FROM Person\nWHERE Name LIKE 'M%'");

    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(330, 220, 100, 20);
    label->SetCaption("Einfaches &Label");

    auto* html = new THTMLabel(&form);
    html->SetParent(&form);
    html->SetBounds(330, 245, 290, 20);
    html->HTMLText().Add("<b>Fett</b>, <i>kursiv</i>, <s>gestrichen</s>, <a href=\"x\">Link</a>, "
                         "<font color=\"clGray\">nicht gesetzt</font>");

    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(330, 275, 290, 50);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetCaption("Panel mit Rahmen");

    auto* ok = new TBitBtn(&form);
    ok->SetParent(&form);
    ok->SetBounds(430, 370, 90, 30);
    ok->SetKind(bkOK);
    auto* cancel = new TBitBtn(&form);
    cancel->SetParent(&form);
    cancel->SetBounds(530, 370, 90, 30);
    cancel->SetKind(bkCancel);
    auto* plainButton = new TButton(&form);
    plainButton->SetParent(&form);
    plainButton->SetBounds(330, 370, 90, 30);
    plainButton->SetCaption("Weiter");

    ASSERT_TRUE(ShowActive(form));
    name->SetFocus();
    QApplication::processEvents();
    const QImage img = form.Handle()->grab().toImage();
    const QString path = TestOutputDir() + QStringLiteral("/toolkit_sample_form.png");
    ASSERT_TRUE(img.save(path)) << path.toStdString();

    // Every widget drew something inside its bounds, and each label beside its control.
    for (TControl* c : { static_cast<TControl*>(name), static_cast<TControl*>(combo),
             static_cast<TControl*>(memo), static_cast<TControl*>(check), static_cast<TControl*>(html),
             static_cast<TControl*>(panel), static_cast<TControl*>(ok) }) {
        const TRect r = c->BoundsRect();
        EXPECT_TRUE(HasContent(img, QRect(r.Left, r.Top, r.Width(), r.Height()))) << c->ClassName();
    }
    const QRect nameLabel = name->EditLabel().Handle()->geometry();
    EXPECT_LT(nameLabel.right(), 110);
    EXPECT_TRUE(HasContent(img, nameLabel));
    // The marked edit shows its colour, the disabled edit its disabled colour.
    EXPECT_EQ(img.pixelColor(plain->Left() + plain->Width() - 8, plain->Top() + 5), QColor(0xFF, 0xFF, 0x7F));
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(img.pixelColor(locked->Left() + locked->Width() - 8, locked->Top() + 5), face);
}

} // namespace
