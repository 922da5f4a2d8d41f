#pragma once
// A person in a database file (so that tests can commit, close and open the file again), a form,
// and real clicks and keys for the choice controls and memos.
#include "binding/methods.h"
#include "binding/objdb.h"
#include "toolkit/form.h"
#include "toolkit/tk_test_util.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

inline constexpr const char* kGroupsSchema = R"(
fieldtype 41001 Vorbringen : FormatierterText
class 41010 Kenntnis table=Kenntnis
  field Sprache Auswahl domain="Deutsch|Englisch|Französisch"
end
class 41011 Pflichtkenntnis table=Pflichtkenntnis
  field Sprache Auswahl domain="Deutsch|Englisch|Französisch" mandatory
end
class 41020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Aktiv Boolesch
  field Zahl Ganzzahl
  field Anrede Auswahl domain="Herr|Frau|Divers"
  field Sprachen Mehrfachauswahl domain="Deutsch|Englisch|Französisch|Spanisch"
  field Rollen Merkmale domain="Kunde|Lieferant|Partner|Interessent"
  field Kuerzel Text length=10
  field Bemerkung Langtext
  field Kurzbemerkung Langtext length=8
  field Memo Memotext
  field Notiz FormatierterText
  field Vorbringen Vorbringen
  vector Kenntnisse Kenntnis
  vector Pflichten Pflichtkenntnis
end
)";

class GroupsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("groups.qeldb").toStdString();
        open(true);
        person = db->CreateObject(db->FindClass("Person")->Key());
    }
    void TearDown() override
    {
        form.reset();
        SetQelDatabase(nullptr);
        db.reset();
    }
    void open(bool create)
    {
        db = std::make_unique<TQelDatabase>();
        TQelOpenOptions o;
        o.schemaText = kGroupsSchema;
        o.create = create;
        db->Open(file, o);
        SetQelDatabase(db.get());
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 640, 480);
    }
    // Commits the person, closes the file and opens it again; the person as stored.
    TQelObject* reopen()
    {
        EXPECT_TRUE(person->Commit());
        const TQelObjectKey key = person->Key();
        form.reset();
        SetQelDatabase(nullptr);
        db.reset();
        open(false);
        person = db->GetObjectA(key);
        return person;
    }
    template <class T> T* add(const std::string& name, const std::string& path, int height = 24)
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(form.get());
        c->SetBounds(10, 10 + 60 * (form->GetControlCount() - 1), 300, height);
        c->set_FieldPath(path);
        return c;
    }
    int connect() { return TQelCommonMethods::ConnectSubControls(form.get(), person->FieldList(), false); }
    TQelField* field(const std::string& name) const { return person->FieldByName(name); }
    // A left click on the item button `index` of a group.
    static void clickItem(TWinControl* group, int index)
    {
        auto* b = group->Handle()->findChild<QAbstractButton*>(QStringLiteral("item%1").arg(index));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() / 2));
    }
    static bool itemChecked(TWinControl* group, int index)
    {
        auto* b = group->Handle()->findChild<QAbstractButton*>(QStringLiteral("item%1").arg(index));
        return b && b->isChecked();
    }
    // Real keys into the focused widget `w`, also outside Latin-1 (umlauts, emoji).
    static void type(QWidget* w, const char* text)
    {
        const QString s = QString::fromUtf8(text);
        for (int i = 0; i < s.size(); ++i) {
            const QChar ch = s[i];
            if (ch.unicode() < 0x80) {
                QTest::keyClick(w, ch.toLatin1());
                continue;
            }
            QString unit(ch);
            if (ch.isHighSurrogate() && i + 1 < s.size())
                unit += s[++i];
            const int key = ch.unicode() <= 0xFF ? ch.toUpper().unicode() : int(Qt::Key_unknown);
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(key), unit, Qt::NoModifier);
        }
    }
    void focus(TWinControl* c)
    {
        c->SetFocus();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    std::string file;
    std::unique_ptr<TQelDatabase> db;
    std::unique_ptr<TForm> form;
    TQelObject* person = nullptr;
};
