// The loader keeps each .ui text prepared for the next form: the controls' published properties
// are read once and handed over as Qt's loader would hand them over. A form loaded that way is the
// form Qt's loader builds when it reads every property itself (a text with "idbasedtr" keeps
// Qt's own reading): the same controls, values, warnings and translations; every form gets its
// own controls, and a changed text its own preparation.
#include "QelObjCntrl.h"
#include "controls/QelEdit.h"
#include "support/qel_db_fixture.h"
#include "toolkit/boundlabel.h"
#include "toolkit/extctrls.h"
#include "ui_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QTranslator>
#include <algorithm>
#include <random>
#include <regex>
#include <sstream>

namespace {

const char* const kPreparedSchema = R"(
class 40020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
end
)";

// Everything a loaded form is made of, as text: each control's class, name, parent, bounds, tab
// order and published property values, then the load's warnings.
std::string FormSnapshot(const TFormLoadResult& r, const TWinControl* target)
{
    std::ostringstream out;
    // A text with "idbasedtr" has longer first lines: columns are left out.
    out << (r.ok ? "ok" : "failed: " + std::regex_replace(r.error, std::regex("column [0-9]+"), "column"))
        << "\n";
    for (const TControl* c : r.controls) {
        out << c->ClassName() << " " << c->Name() << " in "
            << (c->Parent() == target ? std::string("target")
                       : c->Parent()  ? c->Parent()->Name()
                                      : "-");
        const TRect b = c->BoundsRect();
        out << " at " << b.Left << "," << b.Top << "," << b.Width() << "," << b.Height();
        if (auto* w = dynamic_cast<const TWinControl*>(c))
            out << " tab " << w->TabOrder();
        out << "\n";
        for (const std::string& name : c->PublishedPropNames())
            out << "  " << name << "=" << c->GetPropValue(name).AsString() << "\n";
    }
    for (const std::string& w : r.warnings)
        out << "warning: " << w << "\n";
    return out.str();
}

// The same text for Qt's loader to read as a whole (texts translated by id are left to it).
std::string ReadByQt(std::string ui)
{
    const std::size_t at = ui.find("<ui version=\"4.0\"");
    if (at != std::string::npos)
        ui.insert(at + 17, " idbasedtr=\"false\"");
    return ui;
}

std::string UiText(const std::string& body, const std::string& formClass = "PersonForm")
{
    return DesignerUi(body, formClass, "Form");
}

class PreparedForms : public QelDbTest {
protected:
    PreparedForms()
        : QelDbTest(kPreparedSchema)
    {
    }
    // Loads `ui` into a new panel of the form and describes what came of it.
    std::string load(const std::string& ui, TPanel** into = nullptr)
    {
        auto* target = new TPanel(form.get());
        target->SetParent(form.get());
        const TFormLoadResult r = QelObjCntrl::LoadFormText(target, ui, target);
        if (into)
            *into = target;
        return FormSnapshot(r, target);
    }
    void expectAsQtReadsIt(const std::string& ui)
    {
        const std::string prepared = load(ui);
        EXPECT_EQ(prepared, load(ReadByQt(ui)));
        EXPECT_EQ(prepared, load(ui)) << "loaded again from the kept preparation";
    }
};

// Answers one text of the form's class, with its comment when it has one.
class OneWordTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* comment, int) const override
    {
        if (qstrcmp(context, "PersonForm") != 0 || qstrcmp(source, "Straße") != 0)
            return {};
        return comment && *comment ? QStringLiteral("Gasse (%1)").arg(QString::fromUtf8(comment))
                                   : QStringLiteral("Gasse");
    }
};

TEST_F(PreparedForms, ThePersonFormIsTheFormQtsLoaderBuilds)
{
    QFile file(QStringLiteral(QEL_SOURCE_DIR "/demo/person_form.ui"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string ui = file.readAll().toStdString();
    const std::string prepared = load(ui);
    EXPECT_NE(prepared.find("TQelEdit edAnrede in"), std::string::npos) << prepared.substr(0, 400);
    EXPECT_NE(prepared.find("LabelCaption=Gehalt (€)"), std::string::npos);
    expectAsQtReadsIt(ui);
}

TEST_F(PreparedForms, ValuesOfEveryKindArriveAsQtsLoaderGivesThem)
{
    expectAsQtReadsIt(UiText(R"(
  <widget class="TQelEdit" name="edName">
   <property name="geometry"><rect><x>8</x><y>8</y><width>200</width><height>24</height></rect></property>
   <property name="FieldPath"><string>Name</string></property>
   <property name="LabelCaption"><string notr="true">  Straße &amp; Nr. «1» </string></property>
   <property name="EditOptions"><set>TQelEdit::eoHideTime|eoLabelLook</set></property>
   <property name="ReadOnly"><bool>true</bool></property>
   <property name="MaxLength"><number> 12 </number></property>
   <property name="Hint"><string>   </string></property>
   <property name="Color"><color alpha="128"><red>250</red><green>240</green><blue>230</blue></color></property>
   <property name="enabled"><bool>false</bool></property>
  </widget>
  <widget class="TPanel" name="pnlBox">
   <property name="BevelOuter"><enum>TPanel::bvLowered</enum></property>
   <property name="Caption"><string comment="Kopf">Straße</string></property>
   <property name="Caption"><string>Zweimal</string></property>
   <property name="Bogus"><double>1.5</double></property>
   <property name="Color"><color><red>1</red><green>2</green><blue>3</blue></color></property>
   <property name="maximumSize"><size><width>400</width><height>90</height></size></property>
   <widget class="TLabel" name="lblInnen">
    <property name="Caption"><string/></property>
    <property name="AutoSize"><bool>True</bool></property>
   </widget>
  </widget>
  <widget class="TQelEdit" name="edKaputt">
   <property name="EditOptions"><string>[eoHideTime,eoKaputt]</string></property>
  </widget>)"));
}

TEST_F(PreparedForms, TextsAreTranslatedWithTheTranslatorOfTheMoment)
{
    const std::string ui = UiText(R"(
  <widget class="TQelEdit" name="edStrasse">
   <property name="LabelCaption"><string>Straße</string></property>
  </widget>
  <widget class="TQelEdit" name="edMitKommentar">
   <property name="LabelCaption"><string comment="Adresse">Straße</string></property>
  </widget>
  <widget class="TQelEdit" name="edNotr">
   <property name="LabelCaption"><string notr="true">Straße</string></property>
  </widget>)");
    const std::string plain = load(ui);
    EXPECT_NE(plain.find("LabelCaption=Straße"), std::string::npos);
    EXPECT_EQ(plain.find("Gasse"), std::string::npos);
    {
        OneWordTranslator translator;
        QCoreApplication::installTranslator(&translator);
        const std::string translated = load(ui);
        QCoreApplication::removeTranslator(&translator);
        EXPECT_NE(translated.find("LabelCaption=Gasse\n"), std::string::npos) << translated;
        EXPECT_NE(translated.find("LabelCaption=Gasse (Adresse)\n"), std::string::npos) << translated;
        EXPECT_NE(translated.find("LabelCaption=Straße\n"), std::string::npos) << "notr stays";
        QCoreApplication::installTranslator(&translator);
        EXPECT_EQ(translated, load(ReadByQt(ui)));
        QCoreApplication::removeTranslator(&translator);
    }
    // Without the translator the kept text is the source again.
    EXPECT_EQ(load(ui), plain);
}

TEST_F(PreparedForms, EveryFormHasItsOwnControlsAndAChangedTextItsOwnValues)
{
    const auto text = [](const std::string& path) {
        return UiText(R"(<widget class="TQelEdit" name="edName">
   <property name="FieldPath"><string>)"
            + path + R"(</string></property>
   <property name="LabelCaption"><string>Name</string></property></widget>)");
    };
    TPanel *first = nullptr, *second = nullptr;
    load(text("Name"), &first);
    load(text("Name"), &second);
    auto* a = dynamic_cast<TQelEdit*>(first->FindComponent("edName"));
    auto* b = dynamic_cast<TQelEdit*>(second->FindComponent("edName"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(b->Owner(), second);
    b->SetLabelCaption("Geändert");
    b->set_FieldPath("Vorname");
    EXPECT_EQ(a->LabelCaption(), "Name");
    EXPECT_EQ(a->get_FieldPath(), "Name");

    // A changed text of the same length, and the first text again after more texts than are kept.
    TPanel* changed = nullptr;
    load(text("Bank"), &changed);
    EXPECT_EQ(dynamic_cast<TQelEdit*>(changed->FindComponent("edName"))->get_FieldPath(), "Bank");
    for (int i = 0; i < 6; ++i)
        load(text("Fld" + std::to_string(i)));
    TPanel* again = nullptr;
    load(text("Name"), &again);
    auto* c = dynamic_cast<TQelEdit*>(again->FindComponent("edName"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->get_FieldPath(), "Name");
    EXPECT_EQ(c->LabelCaption(), "Name");
}

TEST_F(PreparedForms, RepeatedNamesAndOddPropertiesLeaveTheReadingToQt)
{
    // Two controls of one name, a published property of a kind read by Qt alone, and texts in a
    // form class of its own (their translation context).
    expectAsQtReadsIt(UiText(R"(
  <widget class="TQelEdit" name="edDoppelt"><property name="FieldPath"><string>Name</string></property></widget>
  <widget class="TQelEdit" name="edDoppelt"><property name="FieldPath"><string>Vorname</string></property></widget>)"));
    expectAsQtReadsIt(UiText(R"(
  <widget class="TQelEdit" name="edName">
   <property name="FieldPath"><string>Name</string></property>
   <property name="LabelCaption"><cstring>Name</cstring></property>
  </widget>)"));
    expectAsQtReadsIt(UiText(R"(
  <widget class="TQelEdit" name="edName"><property name="LabelCaption"><string>Straße</string></property></widget>)",
        "FirmForm"));
    // A published name written small: Qt's loader hands it over among the others, in order.
    expectAsQtReadsIt(UiText(R"(
  <widget class="TQelEdit" name="edName">
   <property name="LabelCaption"><string>Erst</string></property>
   <property name="labelCaption"><string>Dann</string></property>
   <property name="LabelCaption"><string>Zuletzt</string></property>
  </widget>)"));
}

// The label of a loaded edit is placed once, when the edit is loaded: where, with what and how the
// label of an edit made in code stands.
TEST_F(PreparedForms, ALoadedEditsLabelIsTheLabelOfAnEditMadeInCode)
{
    TPanel* target = nullptr;
    load(UiText(R"(
  <widget class="TQelEdit" name="edName">
   <property name="geometry"><rect><x>120</x><y>40</y><width>200</width><height>24</height></rect></property>
   <property name="FieldPath"><string>Name</string></property>
   <property name="LabelCaption"><string>Nachname (€)</string></property>
   <property name="LabelPosition"><enum>TQelEdit::lpLeftCenter</enum></property>
   <property name="LabelMargin"><number>6</number></property>
   <property name="LabelAlwaysEnabled"><bool>true</bool></property>
  </widget>)"),
        &target);
    auto* loaded = dynamic_cast<TQelEdit*>(target->FindComponent("edName"));
    ASSERT_NE(loaded, nullptr);

    auto* other = new TPanel(form.get());
    other->SetParent(form.get());
    other->SetBounds(target->Left(), target->Top(), target->Width(), target->Height());
    auto* made = new TQelEdit(other);
    made->set_FieldPath("Name");
    made->SetLabelCaption("Nachname (€)");
    made->SetLabelPosition(lpLeftCenter);
    made->SetLabelMargin(6);
    made->SetLabelAlwaysEnabled(true);
    made->SetParent(other);
    made->SetBounds(120, 40, 200, 24);

    QWidget* label = loaded->EditLabel().Handle();
    QWidget* expected = made->EditLabel().Handle();
    ASSERT_NE(label, nullptr) << "the label exists once the edit is loaded";
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(label->parentWidget(), loaded->Handle()->parentWidget());
    EXPECT_EQ(label->geometry(), expected->geometry());
    EXPECT_EQ(label->isVisibleTo(target->Handle()), expected->isVisibleTo(other->Handle()));
    EXPECT_EQ(label->isEnabled(), expected->isEnabled());
    EXPECT_EQ(label->property("text"), expected->property("text"));
    EXPECT_EQ(loaded->Handle()->accessibleName(), made->Handle()->accessibleName());
}

TEST_F(PreparedForms, AnErrorNamesTheLineOfTheFile)
{
    std::string body;
    for (int i = 0; i < 5; ++i)
        body += "  <widget class=\"TQelEdit\" name=\"ed" + std::to_string(i) + R"(">
   <property name="FieldPath">
    <string>Name</string>
   </property>
  </widget>
)";
    const std::string ui = UiText(body + R"(  <widget class="TQelEdit" name="edFalsch" bogus="1"/>)");
    const int line = 1 + static_cast<int>(std::count(ui.begin(), ui.begin() + ui.find("bogus"), '\n'));
    TPanel* target = nullptr;
    const std::string loaded = load(ui, &target);
    EXPECT_NE(loaded.find("failed: "), std::string::npos) << loaded;
    EXPECT_NE(loaded.find("line " + std::to_string(line) + ","), std::string::npos) << loaded;
    EXPECT_EQ(target->GetControlCount(), 0);
}

// Well-formed variations of a form (names, kinds and values swapped, multi-byte texts) give the
// form Qt's loader builds; damaged bytes load or fail as Qt's loader does.
TEST_F(PreparedForms, FuzzedTextsGiveWhatQtsLoaderGives)
{
    const std::string good = UiText(R"(
  <widget class="TQelEdit" name="edName">
   <property name="FieldPath"><string>Name</string></property>
   <property name="LabelCaption"><string comment="Grüße">Gehalt (€) 名前</string></property>
   <property name="EditOptions"><set>TQelEdit::eoHideTime</set></property>
  </widget>
  <widget class="TQelPanel" name="pnlBank">
   <property name="FieldPath"><string>Bank</string></property>
   <property name="Color"><color><red>1</red><green>2</green><blue>3</blue></color></property>
   <widget class="TQelCheckBox" name="cbX"><property name="Caption"><string>Über</string></property></widget>
  </widget>)");
    const std::vector<std::string> tokens
        = { "TQelEdit", "TQelPanel", "TQelCheckBox", "FieldPath", "EditOptions", "LabelCaption", "string",
              "set", "color", "Name", "Bank", "Über", "edName", "cbX", "Color", "€", "Grüße" };
    const std::vector<std::string> swaps
        = { "TQelEdit", "TPanel", "TTabSheet", "TLabel", "QLabel", "QWidget", "TQelNix", "FieldPath",
              "ReadOnly", "Caption", "caption", "Align", "enum", "number", "bool", "double", "string",
              "cstring", "true", "5", "-1", "[eoHideTime,", "", "edName", "pnlBank", "Color", "ß", "𝄞", "é" };
    std::mt19937 rng(20261209);
    for (int round = 0; round < 120; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(rng() % 5);
        for (int e = 0; e < edits; ++e) {
            const std::string& from = tokens[rng() % tokens.size()];
            const std::size_t at = text.find(from, rng() % text.size());
            if (at != std::string::npos)
                text.replace(at, from.size(), swaps[rng() % swaps.size()]);
        }
        if (round % 3 == 2) // damaged bytes, a multi-byte character cut included
            text.erase(rng() % text.size(), 1 + rng() % 3);
        EXPECT_EQ(load(text), load(ReadByQt(text))) << "round " << round << "\n" << text;
    }
}

} // namespace
