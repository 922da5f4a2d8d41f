#include "panel_fixture.h"

#include "controls/QelAdvPageControl.h"
#include "controls/QelPageControl.h"
#include "controls/QelTabControl.h"

#include <QTabBar>

namespace {

QTabBar* tabBarOf(TWinControl* c)
{
    return c->Handle()->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
}

std::vector<std::string> captions(TQelTabControl* t)
{
    std::vector<std::string> out;
    for (int i = 0; i < t->TabCount(); ++i)
        out.push_back(t->TabCaption(i));
    return out;
}

} // namespace

class TabsTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        address("Aachen");
        address("Bonn");
        address("Celle");
        tabs = add<TQelTabControl>(form.get(), "tcAdressen");
        tabs->SetBounds(0, 0, 400, 200);
        tabs->set_FieldPath("Adressen");
        ort = edit(tabs, "Ort", "edOrt");
        ort->SetTop(40);
    }
    TQelTabControl* tabs = nullptr;
    TQelEdit* ort = nullptr;
};

TEST_F(TabsTest, OneTabPerElementAndTheChildrenShowTheSelectedOne)
{
    EXPECT_EQ(connect(), 2);
    EXPECT_EQ(captions(tabs), (std::vector<std::string> { "Aachen", "Bonn", "Celle" }));
    EXPECT_EQ(tabs->get_TabIndex(), 0);
    EXPECT_EQ(ort->Text(), "Aachen");

    // The user clicks the second tab.
    QTabBar* bar = tabBarOf(tabs);
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tabs->get_VectorIndex(), 2);
    EXPECT_EQ(ort->Text(), "Bonn");
    type(ort, "er Str.");
    EXPECT_EQ(addresses()->FieldList(2)->FindField("Ort")->AsString(), "Bonner Str.");

    tabs->set_VectorIndex(3);
    EXPECT_EQ(ort->Text(), "Celle");
    tabs->refresh_tabs(-1);
    EXPECT_EQ(tabs->get_TabIndex(), 2);
}

TEST_F(TabsTest, TabsFollowInsertsDeletesAndMoves)
{
    tabs->OnGetCaption = TQelGetCaptionEvent([](TObject*, int index, TQelSubObject*, std::string& caption) {
        caption = std::to_string(index) + ". " + caption;
    });
    connect();
    tabs->set_TabIndex(1);

    addresses()->Insert(1)->FieldList()->FindField("Ort")->set_AsString("Neu");
    EXPECT_EQ(tabs->TabCount(), 4);
    EXPECT_EQ(tabs->TabCaption(0), "1. Neu") << "the caption follows the typed town";
    EXPECT_EQ(tabs->get_TabIndex(), 1) << "the selected index stays while valid";
    EXPECT_EQ(ort->Text(), "Aachen");

    addresses()->MoveBy(addresses()->Item(2), 2); // Aachen to the end
    EXPECT_EQ(captions(tabs), (std::vector<std::string> { "1. Neu", "2. Bonn", "3. Celle", "4. Aachen" }));
    EXPECT_EQ(ort->Text(), "Bonn");

    // The shown element is deleted: its tab goes, no freed element is touched.
    tabs->set_TabIndex(3);
    EXPECT_EQ(ort->Text(), "Aachen");
    addresses()->Delete(4);
    EXPECT_EQ(captions(tabs), (std::vector<std::string> { "1. Neu", "2. Bonn", "3. Celle" }));
    EXPECT_EQ(tabs->get_TabIndex(), 2) << "beyond the end: the last tab";
    EXPECT_EQ(ort->Text(), "Celle");

    while (addresses()->Count() > 0)
        addresses()->Delete(1);
    EXPECT_EQ(tabs->TabCount(), 0);
    EXPECT_FALSE(ort->Enabled());
    EXPECT_EQ(ort->Text(), "");
}

TEST_F(TabsTest, JumpToSelectsTheTabOfTheElement)
{
    connect();
    TQelField* celle = addresses()->FieldList(3)->FindField("Ort");
    TWinControl* found = TQelCommonMethods::JumpTo(celle, form.get(), true);
    EXPECT_EQ(found, ort);
    EXPECT_EQ(tabs->get_TabIndex(), 2);
    EXPECT_EQ(ort->Text(), "Celle");
}

TEST_F(TabsTest, APathThatNamesNoVectorLeavesItDisabled)
{
    tabs->set_FieldPath("Adresen");
    tabs->set_TabControlOptions(TQelTabControlOptions { toAutoVisibility });
    const std::size_t before = warnings();
    EXPECT_EQ(connect(), 0);
    EXPECT_FALSE(tabs->Enabled());
    EXPECT_FALSE(tabs->Visible());
    EXPECT_FALSE(ort->Enabled());
    EXPECT_EQ(warnings(), before + 1);
}

class PagesTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        person->FieldList()->FindField("Name")->set_AsString("Meier");
        pages = add<TQelPageControl>(form.get(), "pcPerson");
        pages->SetBounds(0, 0, 500, 300);
        general = new TTabSheet(form.get());
        general->SetCaption("Allgemein");
        general->SetPageControl(pages);
        bankPage = new TTabSheet(form.get());
        bankPage->SetCaption("Bank");
        bankPage->SetPageControl(pages);
        name = edit(general, "Name", "edName");
        iban = edit(bankPage, "Bank.IBAN", "edIBAN");
        form->Show();
        QApplication::processEvents();
    }
    TQelPageControl* pages = nullptr;
    TTabSheet* general = nullptr;
    TTabSheet* bankPage = nullptr;
    TQelEdit* name = nullptr;
    TQelEdit* iban = nullptr;
};

TEST_F(PagesTest, AnEmptyPathPassesTheFieldListToEveryPage)
{
    EXPECT_EQ(connect(), 3);
    EXPECT_EQ(name->Text(), "Meier");
    EXPECT_TRUE(iban->Enabled());
}

TEST_F(PagesTest, JumpToOpensThePageAndFocusesTheControl)
{
    TQelField* field = person->FieldList()->FindField("Bank.IBAN", true);
    field->set_AsString("DE99");
    connect();
    ASSERT_EQ(pages->ActivePage(), general);
    EXPECT_EQ(TQelCommonMethods::JumpTo(field, form.get(), true), iban);
    EXPECT_EQ(pages->ActivePage(), bankPage);
    QApplication::processEvents();
    EXPECT_TRUE(iban->Focused());
}

TEST_F(PagesTest, APageControlOnAnElementBindsAllPages)
{
    address("Aachen");
    address("Bonn");
    pages->set_FieldPath("Adressen");
    pages->set_VectorIndex(2);
    name->set_FieldPath("Ort");
    iban->set_FieldPath("Land");
    connect();
    EXPECT_EQ(pages->ConnectedFieldList(), addresses()->FieldList(2));
    EXPECT_EQ(name->Text(), "Bonn");
    EXPECT_FALSE(iban->Enabled()) << "no such field in an address";
}

TEST_F(PagesTest, TheAdvancedPageControlIsLeftToTheApplication)
{
    auto* adv = add<TQelAdvPageControl>(form.get(), "apcBank");
    auto* sheet = new TTabSheet(form.get());
    sheet->SetCaption("Konto");
    sheet->SetPageControl(adv);
    adv->set_FieldPath("Bank");
    TQelEdit* inner = edit(sheet, "IBAN", "edInnen");
    TQelEdit* outer = edit(sheet, "Name", "edAussen");

    // The walk binds the pages' controls to the outer field list.
    connect();
    EXPECT_EQ(outer->Text(), "Meier");
    EXPECT_FALSE(inner->Enabled());

    // Its own connect binds them below its path.
    adv->ConnectFL(person->FieldList(), false);
    EXPECT_TRUE(inner->Enabled());
    EXPECT_FALSE(outer->Enabled());
}
