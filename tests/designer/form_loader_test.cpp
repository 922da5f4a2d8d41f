// Forms from .ui texts: the controls a file names, bound by ConnectSubControls like hand-made
// ones; unknown names reported once each, the rest of the form loaded.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "support/qel_db_fixture.h"
#include "toolkit/extctrls.h"
#include "ui_text.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <random>

namespace {

const char* const kFormLoaderSchema = R"(
class 40030 Bankverbindung table=Bankverbindung
  field IBAN Text length=34
end
class 40020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Vorname Text length=40
  subobject Bank Bankverbindung
end
)";

// A .ui file as Qt Designer writes it, with the package's controls.
std::string UiForm(const std::string& body)
{
    return DesignerUi(body, "PersonForm", "PersonForm");
}

std::string Edit(const std::string& name, const std::string& path, int y, const std::string& extra = "")
{
    return R"(<widget class="TQelEdit" name=")" + name + R"(">
     <property name="geometry"><rect><x>8</x><y>)"
        + std::to_string(y) + R"(</y><width>200</width><height>24</height></rect></property>
     <property name="FieldPath"><string>)"
        + path + R"(</string></property>
     )" + extra
        + R"(
    </widget>)";
}

class FormLoader : public QelDbTest {
protected:
    FormLoader()
        : QelDbTest(kFormLoaderSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        person = create("Person");
        person->FieldByName("Name")->set_AsString("Meier");
    }
    TFormLoadResult load(const std::string& body)
    {
        return QelObjCntrl::LoadFormText(form.get(), UiForm(body), form.get());
    }
    template <class T> T* find(const char* name) { return dynamic_cast<T*>(form->FindComponent(name)); }
    std::vector<std::string> logged(const char* category)
    {
        std::vector<std::string> texts;
        for (const TQelLogEntry& e : db->LogManager()->EntriesOf(category))
            texts.push_back(e.Text);
        return texts;
    }
    TQelObject* person = nullptr;
};

TEST_F(FormLoader, BuildsTheControlTreeThatConnectSubControlsBinds)
{
    const TFormLoadResult r = load(Edit("edName", "Name", 8,
                                       R"(<property name="LabelCaption"><string>Name</string></property>
        <property name="EditOptions"><string>[eoHideTime]</string></property>)")
        + R"(<widget class="TQelPanel" name="pnlBank">
      <property name="geometry"><rect><x>8</x><y>60</y><width>300</width><height>120</height></rect></property>
      <property name="FieldPath"><string>Bank</string></property>)"
        + Edit("edIBAN", "IBAN", 40) + "</widget>");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    ASSERT_EQ(r.controls.size(), 3u);

    auto* name = find<TQelEdit>("edName");
    auto* panel = find<TQelPanel>("pnlBank");
    auto* iban = find<TQelEdit>("edIBAN");
    ASSERT_TRUE(name && panel && iban);
    EXPECT_EQ(name->Parent(), form.get());
    EXPECT_EQ(iban->Parent(), panel);
    EXPECT_EQ(name->BoundsRect(), Bounds(8, 8, 200, 24));
    EXPECT_EQ(iban->BoundsRect(), Bounds(8, 40, 200, 24));
    EXPECT_EQ(name->get_FieldPath(), "Name");
    EXPECT_EQ(name->LabelCaption(), "Name");
    EXPECT_EQ(name->get_EditOptions(), TQelEditOptions { eoHideTime });
    EXPECT_EQ(panel->get_FieldPath(), "Bank");

    // Object to control, then control to object through the panel's sub-object.
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    EXPECT_EQ(name->Text(), "Meier");
    form->Show();
    iban->SetFocus();
    QApplication::processEvents();
    QTest::keyClicks(iban->Handle()->focusWidget() ? iban->Handle()->focusWidget() : iban->Handle(), "DE12");
    ASSERT_NE(person->FieldList()->FindField("Bank.IBAN"), nullptr);
    EXPECT_EQ(person->FieldList()->FindField("Bank.IBAN")->AsString(), "DE12");
}

TEST_F(FormLoader, ReadsOptionSetsAndEnumerationsAsQtDesignerWritesThem)
{
    const TFormLoadResult r = load(
        Edit("edName", "Name", 8,
            R"(<property name="EditOptions"><set>TQelEdit::eoLabelLook|TQelEdit::eoHideTime</set></property>)")
        + Edit("edVorname", "Vorname", 40,
            R"(<property name="EditOptions"><set>eoNoSuchOption</set></property>)")
        + R"(<widget class="TPanel" name="pnlBank">
      <property name="geometry"><rect><x>8</x><y>80</y><width>300</width><height>120</height></rect></property>
      <property name="BevelOuter"><enum>TPanel::bvLowered</enum></property>
      <property name="Align"><enum>alBottom</enum></property>
     </widget>
     <widget class="QLabel" name="qtLabel">
      <property name="alignment"><set>Qt::AlignRight|Qt::AlignVCenter</set></property>
     </widget>)");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(find<TQelEdit>("edName")->get_EditOptions(), (TQelEditOptions { eoHideTime, eoLabelLook }));
    auto* panel = find<TPanel>("pnlBank");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->BevelOuter(), bvLowered);
    EXPECT_EQ(panel->Align(), alBottom);
    // An element the set does not have leaves the control's options alone and is reported.
    EXPECT_TRUE(find<TQelEdit>("edVorname")->get_EditOptions().Empty());
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("EditOptions"), std::string::npos) << r.warnings[0];
    // Qt's own widgets keep Qt's reading.
    auto* label = form->Handle()->findChild<QLabel*>(QStringLiteral("qtLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->alignment(), Qt::AlignRight | Qt::AlignVCenter);
}

TEST_F(FormLoader, UnknownClassesAndPropertiesAreReportedOnceAndTheRestLoads)
{
    const std::string bogus = R"(<property name="Bogus"><string>x</string></property>)";
    const TFormLoadResult r = load(R"(<widget class="TQelNoSuchControl" name="pnlFremd">
      <property name="geometry"><rect><x>0</x><y>0</y><width>300</width><height>100</height></rect></property>)"
        + Edit("edName", "Name", 8, bogus) + "</widget>" + Edit("edVorname", "Vorname", 120, bogus)
        + R"(<widget class="TQelEdit" name="edOpts">
          <property name="EditOptions"><string>[eoHideTime,eoKaputt]</string></property></widget>)");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.warnings.size(), 3u);
    EXPECT_NE(r.warnings[0].find("TQelNoSuchControl"), std::string::npos);
    EXPECT_NE(r.warnings[1].find("Bogus"), std::string::npos);
    EXPECT_NE(r.warnings[2].find("EditOptions"), std::string::npos);
    // The same warnings in the database's log.
    const auto log = logged("Warning");
    for (const std::string& w : r.warnings)
        EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](auto& t) {
            return t.find(w) != std::string::npos;
        })) << w;

    // The unknown control's children load in its stand-in and bind.
    auto* name = find<TQelEdit>("edName");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(name->Parent(), nullptr);
    EXPECT_EQ(name->Parent()->Parent(), form.get());
    EXPECT_EQ(find<TQelEdit>("edOpts")->get_EditOptions(), TQelEditOptions {});
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    EXPECT_EQ(name->Text(), "Meier");
}

TEST_F(FormLoader, APathThatNamesNothingIsReportedWhenConnecting)
{
    const TFormLoadResult r = load(Edit("edTippfehler", "Nmae", 8));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.warnings.empty()); // the schema is not known while loading
    TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false);
    const auto log = logged("Warning");
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](auto& t) {
        return t.find("edTippfehler") != std::string::npos && t.find("Nmae") != std::string::npos;
    }));
}

TEST_F(FormLoader, UnreadableInputFailsWithoutControls)
{
    TFormLoadResult r = QelObjCntrl::LoadFormText(form.get(), "<ui><widget class=", form.get());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.controls.empty());
    r = QelObjCntrl::LoadForm(form.get(), "/nonexistent/form.ui", form.get());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(form->GetControlCount(), 0);
}

// Damaged files never bring the loader down, and what it creates belongs to the form: half the
// rounds swap names and values for others (the file stays well-formed), half damage the bytes.
TEST_F(FormLoader, FuzzedFilesLoadOrFailCleanly)
{
    const std::string good = UiForm(
        Edit("edName", "Name", 8, R"(<property name="EditOptions"><string>[eoHideTime]</string></property>)")
        + R"(<widget class="TQelPanel" name="pnlBank"><property name="FieldPath"><string>Bank</string></property>)"
        + Edit("edIBAN", "IBAN", 40) + "</widget>"
        + R"(<widget class="TQelCheckBox" name="cbX"><property name="Caption"><string>x</string></property></widget>)");
    const std::vector<std::string> tokens = { "TQelEdit", "TQelPanel", "TQelCheckBox", "FieldPath",
        "EditOptions", "[eoHideTime]", "Name", "Bank", "IBAN", "Caption", "edName" };
    const std::vector<std::string> swaps = { "TQelEdit", "TQelPanel", "TQelPageControl", "TTabSheet",
        "TLabel", "QLabel", "QWidget", "TQelSelectGrid", "TQelVectorGrid", "TQelAction", "TForm", "TQelNix",
        "FieldPath", "ReadOnly", "EditOptions", "Align", "[eoHideTime,", "[]", "5", "-1", "Bank.IBAN",
        "Adressen[9].Ort", "", "edName", "pnlBank", "Color", "SelectDelay" };
    std::mt19937 rng(20261208);
    const char alphabet[] = "<>/=\"[],x T\n";
    for (int round = 0; round < 200; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            if (round % 2 == 0) {
                const std::string& from = tokens[rng() % tokens.size()];
                const std::size_t at = text.find(from, rng() % text.size());
                if (at != std::string::npos)
                    text.replace(at, from.size(), swaps[rng() % swaps.size()]);
                continue;
            }
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
            case 0:
                text[at] = alphabet[rng() % (sizeof(alphabet) - 1)];
                break;
            case 1:
                text.erase(at, 1 + rng() % 12);
                break;
            default:
                text.insert(at, text.substr(rng() % text.size(), rng() % 40));
                break;
            }
        }
        auto target = std::make_unique<TPanel>(form.get());
        target->SetParent(form.get());
        const TFormLoadResult r = QelObjCntrl::LoadFormText(target.get(), text, target.get());
        for (TControl* c : r.controls)
            EXPECT_TRUE(c->Owner() == target.get()) << round;
        TQelCommonMethods::ConnectSubControls(target.get(), person->FieldList(), false);
        TQelCommonMethods::DisconnectSubControls(target.get(), false);
    }
}

} // namespace
