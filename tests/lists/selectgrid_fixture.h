#pragma once
// A select grid on a shown form over a fresh database of persons with stored views, whose timer
// tasks run on a manual clock; questions go to a scripted dialog service.
#include "lists/QelSelectGrid.h"
#include "support/qel_db_fixture.h"
#include "support/select_grid_input.h"

#include "toolkit/gridview.h"
#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

inline constexpr const char* kSelectGridSchema = R"(
class 33001 Adresse table=SG_Adresse
  field Ort Text length=40
end
class 33010 Person : Objekt table=Person format="<Name>, <Vorname>" noun="Person" gender=f plural="Personen"
  field Name Text length=60
  field Vorname Text length=40
  field Anrede Auswahl domain="Herr=Hr.|Frau=Fr."
  field Kinder Ganzzahl
  field Geboren Datum description="Geboren am"
  field Aktiv Boolesch
  field Notiz Langtext
  vector Adressen Adresse
end
class 33011 Mitarbeiter : Person noun="Mitarbeiter" gender=m plural="Mitarbeiter"
  field Nummer Ganzzahl
end
class 33020 Firma : Objekt table=Firma format="<Name>"
  field Name Text
end
class 33030 OrtParameter : Ansichtsparameter table=SG_OrtParameter
  field Ort Text
end
)";

class SelectGridTest : public QelDbTest {
protected:
    explicit SelectGridTest(const std::string& schema = kSelectGridSchema)
        : QelDbTest(schema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        startGrid();
    }
    void TearDown() override
    {
        form.reset();
        QApplication::processEvents();
        SetDialogService(nullptr);
        QelDbTest::TearDown();
    }
    void startGrid()
    {
        db->TimerTasks()->set_Clock(&clock);
        db->TimerTasks()->set_Dispatcher(&clock);
        auto scripted = std::make_unique<TScriptedDialogs>();
        dialogs = scripted.get();
        SetDialogService(std::move(scripted));
        form->SetBounds(0, 0, 720, 420);
        grid = new TQelSelectGrid(form.get());
        grid->SetName("Personen");
        grid->SetParent(form.get());
        grid->SetBounds(0, 30, 700, 360);
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    TQelObject* person(const std::string& name, const std::string& vorname, int kinder = 0,
        const std::string& ort = "", const std::string& geboren = "")
    {
        TQelObject* p = create("Person");
        p->FieldByName("Name")->set_AsString(name);
        p->FieldByName("Vorname")->set_AsString(vorname);
        p->FieldByName("Kinder")->set_AsInteger(kinder);
        if (!geboren.empty())
            p->FieldByName("Geboren")->set_AsString(geboren);
        if (!ort.empty())
            p->FieldList()
                ->VectorByName("Adressen")
                ->Add()
                ->FieldList()
                ->FieldByName("Ort")
                ->set_AsString(ort);
        EXPECT_TRUE(p->Commit()) << p->ErrorMessage();
        return p;
    }
    TQelClassKey cls(const std::string& name) const { return db->FindClass(name)->Key(); }
    TQelAnsicht* view(const std::string& name, const std::string& condition, TQelAnsicht* parent = nullptr,
        const std::string& className = "Person", TQelClassKey paramClass = {}, bool deleted = false)
    {
        std::string error;
        TQelAnsicht* v = QelAnsichten()->CreateView(cls(className), name, condition,
            parent ? parent->Key() : TQelAnsichtKey(), paramClass, deleted, &error);
        EXPECT_NE(v, nullptr) << error;
        return v;
    }
    // Column texts of the data rows, top to bottom.
    std::vector<std::string> column(const std::string& header) const { return ListedColumn(grid, header); }
    std::vector<std::string> menuCaptions() const
    {
        std::vector<std::string> out;
        TMenuItem* items = grid->PopupMenu()->Items();
        for (int i = 0; i < items->Count(); ++i)
            out.push_back(items->Items(i)->Caption());
        return out;
    }
    TMenuItem* menuItem(const std::string& caption) const
    {
        TMenuItem* items = grid->PopupMenu()->Items();
        for (int i = 0; i < items->Count(); ++i)
            if (items->Items(i)->Caption() == caption)
                return items->Items(i);
        return nullptr;
    }

    TQelManualClock clock;
    TQelSelectGrid* grid = nullptr;
    TScriptedDialogs* dialogs = nullptr;
};
