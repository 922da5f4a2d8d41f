#include "binding_fixture.h"

#include "binding/qeldatacontrol.h"
#include "binding/qellogging.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QTest>

namespace {

// A whole data control on the link: a check box for boolean fields, written on every click.
class TSampleCheckBox : public TQelDataControl<TCheckBox> {
public:
    explicit TSampleCheckBox(TComponent* owner)
        : TQelDataControl(owner)
    {
        link_.hooks.accepts
            = [](TQelObjectInterface* oi) { return QelSafeCast<TQelBoolField>(oi) != nullptr; };
        link_.hooks.read = [this] {
            ++reads;
            SetChecked(Field() && Field()->AsString() == "Ja");
        };
        link_.hooks.write = [this] { Field()->set_AsString(Checked() ? "Ja" : "Nein"); };
        link_.hooks.readOnlyChanged = [this](bool v) { SetReadOnly(v); };
        link_.hooks.paintMark = [this](TColor c) { SetColor(c); };
        link_.unmarkedColor = clBtnFace;
        PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    }
    int reads = 0;

protected:
    void Click() override
    {
        if (!link_.Showing()) {
            link_.Write();
            link_.Edited();
        }
        TQelDataControl::Click();
    }
    void DoEnter() override
    {
        TQelDataControl::DoEnter();
        link_.TellFormEnter();
    }
};

// A text that follows the whole object: the field list itself, or a referenced object's.
class TSampleSummary : public TQelDataControl<TLabel> {
public:
    explicit TSampleSummary(TComponent* owner)
        : TQelDataControl(owner)
    {
        link_.bindsFieldList = true;
        link_.followsReference = true;
        link_.edits = false;
        link_.hooks.read = [this] {
            TQelFieldList* base = link_.BaseFieldList();
            SetCaption(base ? base->GetPropA("Name", "") : std::string("-"));
        };
    }
};

// A form that records the enter and exit notices of its controls.
class TRecordingForm : public TForm {
public:
    using TForm::TForm;
    std::vector<std::pair<unsigned, std::string>> notices;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_OC_CONTROLENTER || m.Msg == WM_OC_CONTROLEXIT)
            notices.emplace_back(m.Msg, reinterpret_cast<const char*>(m.LParam));
        TForm::WndProc(m);
    }
};

} // namespace

TEST_F(BindingTest, NotificationsReachTheControlAndStopAfterItDies)
{
    auto* name = add<TTestEdit>(form.get(), "edName", "Name");
    auto* other = add<TTestEdit>(form.get(), "edVorname", "Vorname");
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 2);

    fl()->FieldByName("Name")->set_AsString("Meier");
    EXPECT_NE(std::count(name->received.begin(), name->received.end(), WM_ODB_FIELDTOUCHED), 0);

    TQelField* vorname = fl()->FieldByName("Vorname");
    EXPECT_TRUE(vorname->IsConnected(&other->link));
    delete other; // unregisters on the way out
    EXPECT_EQ(vorname->ControlCount(), 0u);
    vorname->set_AsString("Anna"); // nobody left to call
}

TEST_F(BindingTest, ControlForgetsWhatGoesAwayAndIsDisabled)
{
    auto* e = add<TTestEdit>(form.get(), "edOrt", "Adressen[0].Ort");
    ASSERT_EQ(e->ConnectFL(fl(), false), 1);
    fl()->VectorByName("Adressen")->Delete(1);
    EXPECT_EQ(e->link.OI(), nullptr);
    EXPECT_EQ(e->Perform(WM_OC_GETFIELD), 0);
    EXPECT_FALSE(e->Enabled());

    auto* n = add<TTestEdit>(form.get(), "edName", "Name");
    ASSERT_EQ(n->ConnectFL(fl(), false), 1);
    EXPECT_TRUE(n->Enabled());
    db->FreeObject(person);
    person = nullptr;
    EXPECT_EQ(n->link.OI(), nullptr);
    EXPECT_EQ(n->link.FieldList(), nullptr);
    EXPECT_FALSE(n->Enabled()); // an unconnected data control is disabled
    EXPECT_EQ(n->link.Reconnect(), 0);
}

TEST_F(BindingTest, CommonAnswersOfEveryDataControl)
{
    auto* e = add<TTestEdit>(form.get(), "edName", "Name");
    auto* plain = add<TCustomControl>(form.get(), "pnl");
    ASSERT_EQ(e->ConnectFL(fl(), false), 1);
    EXPECT_EQ(e->Perform(WM_OC_ISDATACONTROL), 1);
    EXPECT_EQ(plain->Perform(WM_OC_ISDATACONTROL), 0);
    EXPECT_EQ(e->Perform(WM_OC_GETFIELD), QelOIToParam(fl()->FieldByName("Name")));
    EXPECT_EQ(e->Hint(), fl()->FieldByName("Name")->Description());
}

TEST_F(BindingTest, EachBindingTarget)
{
    auto* flag = add<TSampleCheckBox>(form.get(), "cbAktiv");
    flag->set_FieldPath("Aktiv");
    auto* wrongKind = add<TSampleCheckBox>(form.get(), "cbName");
    wrongKind->set_FieldPath("Name"); // a text: the check box refuses it
    auto* summary = add<TSampleSummary>(form.get(), "lblSummary");
    auto* employer = add<TSampleSummary>(form.get(), "lblFirma");
    employer->set_FieldPath("Arbeitgeber");
    person->FieldByName("Name")->set_AsString("Ott");

    EXPECT_EQ(flag->ConnectFL(fl(), false), 1);
    EXPECT_EQ(wrongKind->ConnectFL(fl(), false), 0);
    EXPECT_FALSE(wrongKind->Enabled());

    // The whole field list: registered on it, shows it, GETFIELD answers it.
    EXPECT_EQ(summary->ConnectFL(fl(), false), 1);
    EXPECT_TRUE(fl()->IsConnected(&summary->DataLink()));
    EXPECT_EQ(summary->Perform(WM_OC_GETFIELD), QelOIToParam(fl()));
    EXPECT_EQ(summary->Caption(), "Ott");

    // The object behind a reference: the person's own list while the key is 0, then the firm's.
    EXPECT_EQ(employer->ConnectFL(fl(), false), 1);
    auto* ref = dynamic_cast<TQelRefField*>(person->FieldByName("Arbeitgeber"));
    EXPECT_TRUE(ref->IsConnected(&employer->DataLink()));
    EXPECT_EQ(employer->DataLink().BaseFieldList(), fl());
    TQelObject* firm = create("Firma");
    firm->FieldByName("Name")->set_AsString("Schulze KG");
    ref->set_AsObject(firm);
    EXPECT_EQ(employer->DataLink().BaseFieldList(), firm->FieldList());
    EXPECT_EQ(employer->Caption(), "Schulze KG"); // re-read on the touch

    // A path that names nothing binds a follower to the field list, and warns once.
    TQelLogManager* log = db->LogManager();
    const std::size_t warnings = log->EntriesOf(QEL_LOG_WARNING).size();
    auto* lost = add<TSampleSummary>(form.get(), "lblLost");
    lost->set_FieldPath("GibtEsNicht");
    EXPECT_EQ(lost->ConnectFL(fl(), false), 1);
    lost->ConnectFL(fl(), false);
    const auto entries = log->EntriesOf(QEL_LOG_WARNING);
    ASSERT_EQ(entries.size(), warnings + 1);
    EXPECT_NE(entries.back().Text.find("lblLost"), std::string::npos);
    EXPECT_NE(entries.back().Text.find("GibtEsNicht"), std::string::npos);
}

TEST_F(BindingTest, EchoGuardKeepsShownValuesAndOwnWritesFromComingBack)
{
    auto* flag = add<TSampleCheckBox>(form.get(), "cbAktiv");
    flag->set_FieldPath("Aktiv");
    TQelField* aktiv = fl()->FieldByName("Aktiv");
    aktiv->set_AsString("Ja");
    ASSERT_TRUE(person->Commit());
    ASSERT_EQ(flag->ConnectFL(fl(), false), 1);
    // Showing the stored value clicked the box: that is no user input.
    EXPECT_TRUE(flag->Checked());
    EXPECT_FALSE(person->Touched());

    const int reads = flag->reads;
    int touches = 0;
    flag->OnFieldTouch = [&](TObject*) { ++touches; };
    flag->SetFocus();
    QTest::keyClick(flag->Handle(), Qt::Key_Space); // the user unticks it
    EXPECT_EQ(aktiv->AsString(), "Nein");
    EXPECT_EQ(flag->reads, reads); // its own write does not re-read
    EXPECT_EQ(touches, 1);

    aktiv->set_AsString("Ja"); // written elsewhere: re-read
    EXPECT_TRUE(flag->Checked());
    EXPECT_EQ(flag->reads, reads + 1);
    EXPECT_EQ(touches, 2);
}

TEST_F(BindingTest, DefaultMessageAnswers)
{
    QelRegisterDataClass(TQelDataClass::CheckBox, QelDataClassEntry<TSampleCheckBox>("TSampleCheckBox"));
    struct Unregister {
        ~Unregister() { QelUnregisterDataClass(TQelDataClass::CheckBox); }
    } unregister;
    TRecordingForm host(nullptr);
    host.SetBounds(0, 0, 400, 300);
    auto* konto = new TTestPanel(&host);
    konto->SetParent(&host);
    konto->SetBounds(0, 0, 300, 200);
    konto->link.SetFieldPath("Konto");
    auto* flag = new TSampleCheckBox(&host);
    flag->SetParent(&host);
    flag->SetBounds(0, 210, 100, 24);
    flag->set_FieldPath("Aktiv");
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(&host, fl(), false), 2);

    // Read-only: the state and the control's look.
    EXPECT_EQ(flag->Perform(WM_OC_SETREADONLY, 1), 0);
    EXPECT_TRUE(flag->get_ReadOnly());
    EXPECT_TRUE(flag->ReadOnly());

    // A mark that lifts read-only and goes at the next edit.
    EXPECT_EQ(flag->Perform(WM_OC_SETMARK, 2 | OC_MARK_LIFT_READONLY | OC_MARK_UNMARK_ON_EDIT, clRed), 1);
    EXPECT_FALSE(flag->ReadOnly());
    EXPECT_TRUE(flag->Marked());
    EXPECT_EQ(flag->Color(), TQelCommonMethods::StandardMarkColor(2, clRed));
    ASSERT_TRUE(ShowActive(host));
    flag->SetFocus();
    QApplication::processEvents();
    QTest::keyClick(flag->Handle(), Qt::Key_Space);
    EXPECT_FALSE(flag->Marked());
    EXPECT_EQ(flag->Color(), clBtnFace);

    // Locate: the bound field 2, something elsewhere 0; a control without marks passes them on.
    EXPECT_EQ(flag->Perform(WM_OC_LOCATE, 1, QelOIToParam(fl()->FieldByName("Aktiv"))), 2);
    EXPECT_EQ(flag->Perform(WM_OC_LOCATE, 1, QelOIToParam(fl()->FieldByName("Name"))), 0);
    EXPECT_EQ(konto->Perform(WM_OC_SETMARK, 1, clRed), 0);

    // Focus enter reaches the form with the control's full path.
    ASSERT_FALSE(host.notices.empty());
    EXPECT_EQ(
        host.notices.back(), std::make_pair(static_cast<unsigned>(WM_OC_CONTROLENTER), std::string("Aktiv")));
}

TEST_F(BindingTest, BoundHookPreparesTheControlBeforeItShowsTheValue)
{
    auto* e = add<TTestEdit>(form.get(), "edName", "Name");
    std::vector<std::string> steps;
    e->link.hooks.bound = [&] { steps.push_back("bound " + e->link.OI()->Name()); };
    e->link.hooks.read = [&] { steps.push_back(e->link.OI() ? "read " + e->link.OI()->Name() : "read -"); };
    ASSERT_EQ(e->ConnectFL(fl(), false), 1);
    EXPECT_EQ(steps, (std::vector<std::string> { "bound Name", "read Name" }));
    steps.clear();
    e->set_FieldPath("GibtEsNicht");
    EXPECT_EQ(e->link.OI(), nullptr);
    EXPECT_TRUE(std::find(steps.begin(), steps.end(), "bound Name") == steps.end());
    steps.clear();
    e->link.Show(); // showing again does not prepare again
    EXPECT_EQ(steps, (std::vector<std::string> { "read -" }));
}
