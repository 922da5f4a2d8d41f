#pragma once
// A fresh database with firms and the persons that work for them (directly through Arbeitgeber,
// or through the elements of their vector Stellen), a reverse grid on a shown form, timers on a
// manual clock and scripted dialogs.
#include "support/qel_db_fixture.h"
#include "vectors/QelRevVectorGrid.h"

#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

inline constexpr const char* kRevGridSchema = R"(
class 61001 Firma : Objekt table=Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=60
end
class 61002 Stelle table=Stelle format="<Art>"
  field Art Text length=20
  field Firma Referenz ref=Firma
end
class 61003 Person : Objekt table=Person format="<Name>" noun=Person gender=f plural=Personen
  field Name Text length=60
  field Geboren Datum
  field Arbeitgeber Referenz ref=Firma
  field Notiz Langtext
  field Lebenslauf Datei
  vector Stellen Stelle
end
)";

class RevGridTest : public QelDbTest {
protected:
    RevGridTest()
        : QelDbTest(kRevGridSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        db->TimerTasks()->set_Clock(&clock);
        db->TimerTasks()->set_Dispatcher(&clock);
        firm = stored(create("Firma"), "Name", "Acme");
        other = stored(create("Firma"), "Name", "Beta");
        grid = new TQelRevVectorGrid(form.get());
        grid->SetName("Mitarbeiter");
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 560, 300);
        grid->set_ClassName("Person");
        grid->set_FieldName("Arbeitgeber");
        columns({ "Name", "Arbeitgeber AS Firma" });
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    QLineEdit* editorLine() const
    {
        QWidget* w = grid->InplaceEditorWidget();
        if (!w)
            return nullptr;
        if (auto* line = qobject_cast<QLineEdit*>(w))
            return line;
        return w->findChild<QLineEdit*>();
    }
    void TearDown() override
    {
        form.reset();
        QApplication::processEvents();
        QelDbTest::TearDown();
    }
    TQelObject* stored(TQelObject* obj, const std::string& field, const std::string& value)
    {
        obj->FieldList()->FieldByName(field)->set_AsString(value);
        EXPECT_TRUE(obj->Commit()) << obj->ErrorMessage();
        return obj;
    }
    // A stored person working for `employer` (none: 0), freed from memory.
    TQelObjectKey person(const std::string& name, TQelObject* employer)
    {
        TQelObject* p = create("Person");
        p->FieldList()->FieldByName("Name")->set_AsString(name);
        if (employer)
            ref(p, "Arbeitgeber")->set_AsObject(employer);
        EXPECT_TRUE(p->Commit()) << p->ErrorMessage();
        const TQelObjectKey key = p->Key();
        db->FreeObject(p);
        return key;
    }
    static TQelRefField* ref(TQelObject* obj, const std::string& path)
    {
        return dynamic_cast<TQelRefField*>(obj->FieldList()->FindField(path, true));
    }
    void columns(std::initializer_list<const char*> lines)
    {
        TStringList sl;
        for (const char* l : lines)
            sl.Add(l);
        grid->set_FieldNames(sl);
    }
    // The names of the listed rows, in row order.
    std::string names()
    {
        std::string s;
        for (int r = 1; r <= grid->ObjectCount(); ++r)
            s += (s.empty() ? "" : ",") + grid->Cells(0, r);
        return s;
    }

    TQelManualClock clock;
    TScopedScriptedDialogs dialogs;
    TQelObject* firm = nullptr;
    TQelObject* other = nullptr;
    TQelRevVectorGrid* grid = nullptr;
};
