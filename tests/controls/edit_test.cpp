#include "edit_fixture.h"

#include "toolkit/clipbrd.h"
#include "toolkit/gridcontrol.h"
#include "toolkit/stdctrls.h"

TEST_F(EditTest, UnboundEditStaysDisabled)
{
    auto* e = edit("");
    auto* bad = edit("GibtEsNicht");
    EXPECT_FALSE(e->Enabled());
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false), 0);
    EXPECT_FALSE(e->Enabled());
    EXPECT_FALSE(bad->Enabled());
}

TEST_F(EditTest, TypedKeystrokesAreWrittenAtOnce)
{
    auto* e = edit("Name");
    ASSERT_EQ(e->ConnectFL(person->FieldList(), false), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    type(e, "Mü");
    EXPECT_EQ(field("Name")->AsString(), "Mü");
    type(e, "ller");
    EXPECT_EQ(field("Name")->AsString(), "Müller");
    EXPECT_TRUE(field("Name")->Touched());
}

TEST_F(EditTest, DeadEndAtTheEndRestoresButInTheMiddleIsWritten)
{
    auto* e = edit("Kinder");
    ASSERT_EQ(e->ConnectFL(person->FieldList(), false), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    type(e, "12");
    ASSERT_EQ(field("Kinder")->AsString(), "12");
    type(e, "x");
    EXPECT_EQ(e->Text(), "12");
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(field("Kinder")->AsString(), "12");

    e->SetSelStart(1);
    type(e, "x"); // "1x2": the caret is not at the end, so it is taken as typed
    EXPECT_EQ(e->Text(), "1x2");
    EXPECT_EQ(field("Kinder")->AsString(), "1x2");
    EXPECT_FALSE(field("Kinder")->Valid());
}

TEST_F(EditTest, PastedTabsAreRemoved)
{
    auto* e = edit("Name");
    ASSERT_EQ(e->ConnectFL(person->FieldList(), false), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    Clipboard()->SetAsText("An\tna\t");
    e->PasteFromClipboard();
    EXPECT_EQ(e->Text(), "Anna");
    EXPECT_EQ(field("Name")->AsString(), "Anna");
}

TEST_F(EditTest, AmountIsNormalisedOnExit)
{
    auto* e = edit("Gehalt");
    auto* other = edit("Name");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = { { "1250,-€", "1250" }, { "1250.-", "1250" }, { "12,50 %", "12,50 " }, { " 7,5 ", "7,50" } };
    for (const Case& c : cases) {
        focus(e);
        e->SetText("");
        type(e, c.typed);
        focus(other);
        EXPECT_TRUE(field("Gehalt")->Valid()) << c.typed << " -> " << field("Gehalt")->AsString();
        if (std::string(c.shown) != "7,50") {
            EXPECT_EQ(e->Text(), c.shown) << c.typed;
        }
    }
    EXPECT_EQ(field("Gehalt")->AsString(), "7,50");
}

TEST_F(EditTest, DigitsOnlyDateIsAcceptedAndDelimitedOnExit)
{
    auto* e = edit("Geboren");
    auto* other = edit("Name");
    e->set_EditOptions({ eoAcceptWithoutDelimiters });
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    type(e, "17051980");
    EXPECT_EQ(e->Text(), "17051980");
    focus(other);
    EXPECT_EQ(e->Text(), "17.05.1980");
    EXPECT_EQ(field("Geboren")->AsString(), "17.05.1980");
    EXPECT_TRUE(field("Geboren")->Valid());
}

TEST_F(EditTest, CommaTypedIntoADateBecomesAPoint)
{
    auto* e = edit("Geboren");
    ASSERT_EQ(e->ConnectFL(person->FieldList(), false), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    type(e, "1,2,2001");
    EXPECT_EQ(e->Text(), "1.2.2001");
}

TEST_F(EditTest, DatesAndTimesWithOneDigitItemsCanBeTyped)
{
    struct Case {
        const char* path;
        const char* typed;
        const char* stored;
    } cases[] = { { "Geboren", "1.5.2020", "01.05.2020" }, { "Geboren", "15.5.2020", "15.05.2020" },
        { "Beginn", "9:05", "09:05" } };
    ASSERT_TRUE(ShowActive(*form));
    auto* other = edit("Name");
    int n = 0;
    for (const Case& c : cases) {
        TQelObject* p = create("Person");
        auto* e = edit(c.path, "edFresh" + std::to_string(++n));
        ASSERT_EQ(e->ConnectFL(p->FieldList(), false), 1);
        ASSERT_EQ(other->ConnectFL(p->FieldList(), false), 1);
        focus(e);
        type(e, c.typed);
        EXPECT_EQ(e->Text(), c.typed);
        EXPECT_EQ(p->FieldByName(c.path)->AsString(), c.stored) << c.typed;
        focus(other);
        EXPECT_EQ(p->FieldByName(c.path)->AsString(), c.stored) << c.typed;
        EXPECT_TRUE(p->FieldByName(c.path)->Valid()) << c.typed;
        EXPECT_EQ(e->Text(), c.stored);
    }
}

TEST_F(EditTest, ARefusedKeyRestoresTextAndSelectionSoThatFurtherKeysFit)
{
    field("Geboren")->set_AsString("01.09.1999");
    auto* e = edit("Geboren");
    ASSERT_EQ(e->ConnectFL(person->FieldList(), false), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    e->SetSelStart(6);
    e->SetSelLength(4); // the year
    type(e, "."); // "01.09.." cannot become a date
    EXPECT_EQ(e->Text(), "01.09.1999");
    EXPECT_EQ(e->SelStart(), 6);
    EXPECT_EQ(e->SelLength(), 4);
    type(e, "2020"); // replaces the year, as it would have without the refused key
    EXPECT_EQ(e->Text(), "01.09.2020");
    EXPECT_EQ(field("Geboren")->AsString(), "01.09.2020");

    // Month and year typed over, a refused month digit, then the rest.
    e->SetSelStart(3);
    e->SetSelLength(7);
    type(e, "1");
    type(e, "3"); // month 13
    EXPECT_EQ(e->Text(), "01.1");
    EXPECT_EQ(e->SelStart(), 4);
    EXPECT_EQ(e->SelLength(), 0);
    type(e, "2.2021");
    EXPECT_EQ(field("Geboren")->AsString(), "01.12.2021");

    // The refused key gives back the text as typed, not the stored value's notation.
    e->SelectAll();
    type(e, "1.5.2020");
    type(e, "5");
    EXPECT_EQ(e->Text(), "1.5.2020");
    EXPECT_EQ(e->SelStart(), 8);
    QTest::keyClick(e->Handle(), Qt::Key_Backspace);
    type(e, "1");
    EXPECT_EQ(field("Geboren")->AsString(), "01.05.2021");
}

TEST_F(EditTest, HideTimeKeepsTheStoredTime)
{
    field("Termin")->set_AsString("17.05.1980 14:30");
    auto* e = edit("Termin");
    auto* other = edit("Name");
    e->set_EditOptions({ eoHideTime });
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    EXPECT_EQ(e->Text(), "17.05.1980");
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    focus(other);
    EXPECT_EQ(field("Termin")->AsString(), "17.05.1980 14:30");
}

TEST_F(EditTest, HideTimeKeepsTheStoredTimeWhenTheDateIsRetyped)
{
    auto* e = edit("Termin");
    auto* other = edit("Name");
    e->set_EditOptions({ eoHideTime });
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    auto retype = [&](const char* date) {
        field("Termin")->set_AsString("17.05.1980 14:30");
        focus(e);
        e->SelectAll();
        QTest::keyClick(e->Handle(), Qt::Key_Backspace);
        EXPECT_EQ(e->Text(), "");
        type(e, date);
        focus(other);
        EXPECT_EQ(e->Text(), date);
    };
    retype("18.05.1980");
    EXPECT_EQ(field("Termin")->AsString(), "18.05.1980 14:30");
    retype("17.05.1980");
    EXPECT_EQ(field("Termin")->AsString(), "17.05.1980 14:30");

    // Only the year typed anew.
    focus(e);
    e->SetSelStart(10);
    QTest::keyClick(e->Handle(), Qt::Key_Backspace);
    QTest::keyClick(e->Handle(), Qt::Key_Backspace);
    type(e, "81");
    focus(other);
    EXPECT_EQ(field("Termin")->AsString(), "17.05.1981 14:30");

    // A cleared text still clears the field.
    focus(e);
    e->SelectAll();
    QTest::keyClick(e->Handle(), Qt::Key_Delete);
    focus(other);
    EXPECT_TRUE(field("Termin")->Null());
}

TEST_F(EditTest, ExitTrimsTextButNotWhenTheStringOptionIsSet)
{
    auto* e = edit("Kuerzel");
    auto* other = edit("Name");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    type(e, " ab ");
    focus(other);
    EXPECT_EQ(e->Text(), "ab");
    dynamic_cast<TQelStringField*>(field("Kuerzel"))->set_StringOption(true);
    focus(e);
    e->SetText(" cd ");
    focus(other);
    EXPECT_EQ(e->Text(), " cd ");
}

TEST_F(EditTest, LabelCaptionFollowsThePathExceptInsideAGrid)
{
    auto* e = new TQelEdit(form.get());
    e->SetParent(form.get());
    e->set_FieldPath("Name");
    EXPECT_EQ(e->LabelCaption(), "Name");
    e->set_FieldPath("Vorname");
    EXPECT_EQ(e->LabelCaption(), "Vorname");
    e->SetLabelCaption("Vorname:");
    e->set_FieldPath("Name");
    EXPECT_EQ(e->LabelCaption(), "Vorname:"); // a caption of its own stays

    auto* grid = new TStringGrid(form.get());
    grid->SetParent(form.get());
    auto* inGrid = new TQelEdit(form.get());
    inGrid->SetParent(grid);
    inGrid->SetLabelCaption("");
    inGrid->set_FieldPath("Name");
    EXPECT_EQ(inGrid->LabelCaption(), "");
}

TEST_F(EditTest, OtherControlsTouchingFieldsMakeTheEditReRead)
{
    auto* name = edit("Name");
    auto* same = edit("Name", "edName2");
    auto* vorname = edit("Vorname");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    int touches = 0;
    name->OnFieldTouch = [&](TObject*) { ++touches; };
    focus(vorname);
    type(vorname, "Eva");
    // the name field changed behind the edits' backs (no touch of its own), then another field is
    // touched: every edit of the object re-reads
    field("Name")->LoadStored(TQelValue(std::string("Stored")));
    type(vorname, "!");
    EXPECT_EQ(name->Text(), "Stored");
    focus(same);
    type(same, "X");
    EXPECT_EQ(touches, 1);
    EXPECT_EQ(same->Text(), "X"); // the focused edit selected all, so typing replaced it
    EXPECT_EQ(name->Text(), "X"); // not focused: shows what the other edit typed
}

TEST_F(EditTest, PropertyAndVectorEditsWriteOnExit)
{
    auto* prop = add<TQelEdit>(form.get(), "edProp");
    prop->set_FieldProp("Farbe");
    auto* orte = edit("Adressen", "edOrte");
    orte->set_FieldProp("Ort");
    auto* other = edit("Name");
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false), 3);
    ASSERT_TRUE(ShowActive(*form));
    focus(orte);
    type(orte, "Köln,Bonn");
    EXPECT_EQ(person->FieldList()->VectorByName("Adressen")->Count(), 0);
    focus(prop);
    EXPECT_EQ(person->FieldList()->VectorByName("Adressen")->GetAll("Ort", ','), "Köln,Bonn");
    type(prop, "grün");
    focus(other);
    EXPECT_EQ(person->FieldList()->GetPropA("Farbe", ""), "grün");
}

TEST_F(EditTest, MessagesAndMarks)
{
    auto* e = edit("Name");
    ASSERT_EQ(e->ConnectFL(person->FieldList(), false), 1);
    EXPECT_EQ(e->Perform(WM_OC_ISDATACONTROL), 1);
    EXPECT_EQ(e->Perform(WM_OC_GETFIELD), QelOIToParam(field("Name")));
    EXPECT_EQ(e->Perform(WM_OC_LOCATE, 1, QelOIToParam(field("Name"))), 2);
    e->Perform(WM_OC_SETREADONLY, 1);
    EXPECT_TRUE(e->get_ReadOnly());
    EXPECT_EQ(e->Color(), clBtnFace);
    EXPECT_EQ(e->Perform(WM_OC_SETMARK, 2 | OC_MARK_UNMARK_ON_EDIT | OC_MARK_LIFT_READONLY, clWindow), 1);
    EXPECT_FALSE(e->get_ReadOnly());
    EXPECT_EQ(e->Color(), TColor(0x7F7FFF));
    EXPECT_TRUE(e->Marked());
    ASSERT_TRUE(ShowActive(*form));
    focus(e);
    type(e, "a");
    EXPECT_FALSE(e->Marked());
    EXPECT_EQ(e->Color(), clWindow);

    db->FreeObject(person);
    person = nullptr;
    EXPECT_EQ(e->OI(), nullptr);
    EXPECT_EQ(e->Perform(WM_OC_GETFIELD), 0);
}

TEST_F(EditTest, KeysRaiseEventsAndTalkToTheForm)
{
    class TListeningForm : public TForm {
    public:
        using TForm::TForm;
        std::vector<std::string> entered, exited;
        std::string snippet = "Mit freundlichen Grüßen";

    protected:
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_OC_CONTROLENTER)
                entered.push_back(reinterpret_cast<const char*>(m.LParam));
            if (m.Msg == WM_OC_CONTROLEXIT)
                exited.push_back(reinterpret_cast<const char*>(m.LParam));
            if (m.Msg == WM_OC_TEXTSNIPPET && m.WParam == 'G') {
                *reinterpret_cast<std::string*>(m.LParam) = snippet;
                m.Result = 1;
                return;
            }
            TForm::WndProc(m);
        }
    };
    auto listening = std::make_unique<TListeningForm>(nullptr);
    listening->SetBounds(0, 0, 400, 200);
    auto* e = new TQelEdit(listening.get());
    e->SetParent(listening.get());
    e->SetBounds(10, 30, 200, 24);
    e->set_FieldPath("Bemerkung");
    auto* other = new TQelEdit(listening.get());
    other->SetParent(listening.get());
    other->SetBounds(10, 80, 200, 24);
    other->set_FieldPath("Name");
    TQelCommonMethods::ConnectSubControls(listening.get(), person->FieldList(), false);
    int events = 0;
    TQelObjectInterface* eventOI = nullptr;
    e->OnEditEvent = [&](TObject*, int event, TQelObjectInterface* oi) {
        events += event;
        eventOI = oi;
    };
    ASSERT_TRUE(ShowActive(*listening));
    e->SetFocus();
    QApplication::processEvents();
    ASSERT_EQ(listening->entered.size(), 1u);
    EXPECT_EQ(listening->entered[0], "Bemerkung");
    QTest::keyClick(e->Handle(), Qt::Key_F4);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(eventOI, field("Bemerkung"));
    QTest::keyClick(e->Handle(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(e->Text(), "Mit freundlichen Grüßen");
    EXPECT_EQ(field("Bemerkung")->AsString(), "Mit freundlichen Grüßen");
    other->SetFocus();
    QApplication::processEvents();
    ASSERT_EQ(listening->exited.size(), 1u);
    EXPECT_EQ(listening->exited[0], "Bemerkung");
    ASSERT_NE(e->PopupMenu(), nullptr);
    EXPECT_EQ(e->PopupMenu()->Items()->Count(), 5);
    EXPECT_EQ(e->PopupMenu()->Items()->Items(0)->Caption(), "Ausschneiden");
    EXPECT_EQ(e->PopupMenu()->Items()->Items(4)->Caption(), "Alles markieren");
    EXPECT_EQ(e->PopupMenu()->Items()->Items(4)->ShortCut(), TextToShortCut("Strg+A"));
}

TEST_F(EditTest, PathsThroughMissingSubObjectsCreateNothingUntilTheFirstWrite)
{
    ASSERT_TRUE(person->Commit());
    auto* bad = edit("Bank.GibtEsNicht");
    auto* iban = edit("Bank.IBAN");
    auto* ort = edit("Adressen[0].Ort");
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false), 2);
    EXPECT_FALSE(bad->Enabled());
    // Shown, not created: nobody is asked to save changes that were never made.
    EXPECT_TRUE(iban->Enabled());
    EXPECT_TRUE(ort->Enabled());
    EXPECT_EQ(person->FieldList()->VectorByName("Bank")->Count(), 0);
    EXPECT_EQ(person->FieldList()->VectorByName("Adressen")->Count(), 0);
    EXPECT_FALSE(person->Touched());

    ASSERT_TRUE(ShowActive(*form));
    focus(iban);
    type(iban, "DE12");
    EXPECT_EQ(person->FieldList()->VectorByName("Bank")->Count(), 1);
    EXPECT_EQ(iban->Field(), person->FieldList()->FindOI("Bank.IBAN", 16, false));
    EXPECT_EQ(iban->Field()->AsString(), "DE12");
    focus(ort);
    type(ort, "Ulm");
    EXPECT_EQ(person->FieldList()->FindField("Adressen[0].Ort", false)->AsString(), "Ulm");
    EXPECT_TRUE(person->Touched());
}

TEST_F(EditTest, AVectorEditWritesOnlyWhatTheUserChangedAndFollowsTheVector)
{
    TQelVector* v = person->FieldList()->VectorByName("Adressen");
    for (const char* ort : { "Köln", "Bonn", "Ulm" })
        v->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    auto* orte = edit("Adressen", "edOrte");
    orte->set_FieldProp("Ort");
    auto* other = edit("Name");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    EXPECT_EQ(orte->Text(), "Köln,Bonn,Ulm");

    // An element removed elsewhere: the edit shows the vector as it is now, and a click into it,
    // End and Tab write nothing (no town moves to another address, no address is added).
    v->Delete(1);
    EXPECT_EQ(orte->Text(), "Bonn,Ulm");
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    QTest::mouseClick(orte->Handle(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(orte->Handle(), Qt::Key_End);
    QTest::keyClick(orte->Handle(), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_FALSE(orte->Focused());
    EXPECT_EQ(v->GetAll("Ort", ','), "Bonn,Ulm");
    EXPECT_FALSE(person->Touched());

    // One value retyped: only that element's field is written.
    focus(orte);
    QTest::keyClick(orte->Handle(), Qt::Key_End);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(orte->Handle(), Qt::Key_Backspace);
    type(orte, "Ilm");
    focus(other);
    EXPECT_EQ(v->GetAll("Ort", ','), "Bonn,Ilm");
    EXPECT_FALSE(v->FieldList(1)->FieldByName("Ort")->Touched());
    EXPECT_TRUE(v->FieldList(2)->FieldByName("Ort")->Touched());

    // The vector changes while the user types: no element is made from the stale text, and the
    // removed element's value does not land in the one that moved up.
    focus(orte);
    QTest::keyClick(orte->Handle(), Qt::Key_End);
    type(orte, ",Hof");
    v->Delete(1);
    EXPECT_EQ(orte->Text(), "Bonn,Ilm,Hof") << "the typed text stays while the edit has the focus";
    focus(other);
    EXPECT_EQ(v->GetAll("Ort", ','), "Ilm");
    EXPECT_EQ(orte->Text(), "Ilm");
}

TEST_F(EditTest, ControlsPendingOnOneSubObjectAllBindWhenOneOfThemCreatesIt)
{
    ASSERT_TRUE(person->Commit());
    auto* first = edit("Bank.IBAN", "edIBAN1");
    auto* second = edit("Bank.IBAN", "edIBAN2");
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    ASSERT_TRUE(ShowActive(*form));
    ASSERT_TRUE(first->DataLink().Pending() && second->DataLink().Pending());
    focus(first);
    type(first, "DE12");
    TQelField* iban = person->FieldList()->FindField("Bank.IBAN", false);
    ASSERT_NE(iban, nullptr);
    EXPECT_EQ(second->Field(), iban);
    EXPECT_EQ(second->Text(), "DE12");
    // The other one writes into the same sub-object.
    focus(second);
    QTest::keyClick(second->Handle(), Qt::Key_End);
    type(second, "34");
    EXPECT_EQ(person->FieldList()->VectorByName("Bank")->Count(), 1);
    EXPECT_EQ(iban->AsString(), "DE1234");
    EXPECT_EQ(first->Text(), "DE1234");
}
