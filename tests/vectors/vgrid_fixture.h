#pragma once
// A fresh database per test (persons with validity addresses, phones and companies), a shown form
// with one vector grid on it, real mouse and key input on its cells, scripted dialogs.
#include "support/qel_db_fixture.h"
#include "vectors/QelVectorGrid.h"

#include "toolkit/gridview.h"
#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

inline constexpr const char* kVGridSchema = R"(
class 60002 Telefon table=Telefon format="<Nummer>"
  field Nummer Text length=30
end
class 60010 Firma : Objekt table=Firma format="<Name>"
  field Name Text length=60
end
class 60011 Verein : Objekt table=Verein format="<Name>"
  field Name Text length=60
end
class 60001 Adresse : Gültigkeit table=Adresse format="<Ort>" noun=Adresse gender=f plural=Adressen
  field Strasse Text length=60
  field Ort Text length=40
  field Art Auswahl domain="Privat|Büro"
  field Firma Referenz ref=Firma
  field Notiz Langtext
  vector Telefone Telefon
end
class 60003 Wohnsitz table=Wohnsitz format="<Ort>" noun=Wohnsitz gender=m plural=Wohnsitze
  field Ort Text length=40
end
class 60004 Konto table=Konto format="<Bank>" noun=Konto gender=n plural=Konten
  field Bank Text length=40
end
class 60020 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  vector Adressen Adresse max=4
  vector Telefone Telefon
  vector Wohnsitze Wohnsitz
  vector Konten Konto
end
)";

// Exposes the paint-time colouring for checks.
class TTestVectorGrid : public TQelVectorGrid {
public:
    using TQelVectorGrid::TQelVectorGrid;
    struct Look {
        TFontStyles style;
        TColor color;
        TFontStyles Style() const { return style; }
        TColor Color() const { return color; }
    };
    Look paintFont(int col, int row)
    {
        TBrush brush;
        brush.SetColor(Color());
        TFont font;
        GetCellColor(col, row, TGridDrawState(), &brush, &font);
        return { font.Style(), font.Color() };
    }
};

class VGridTest : public QelDbTest {
protected:
    VGridTest()
        : QelDbTest(kVGridSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        form->SetBounds(0, 0, 700, 400);
        person = create("Person");
        person->FieldList()->FieldByName("Name")->set_AsString("Anna");
        grid = new TTestVectorGrid(form.get());
        grid->SetName("Adressen");
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 660, 300);
        grid->set_FieldPath("Adressen");
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void TearDown() override
    {
        form.reset();
        QApplication::processEvents();
        QelDbTest::TearDown();
    }
    TQelVector* addresses() const { return person->FieldList()->VectorByName("Adressen"); }
    TQelSubObject* addAddress(const std::string& ort)
    {
        TQelSubObject* e = addresses()->Add();
        e->FieldList()->FieldByName("Ort")->set_AsString(ort);
        return e;
    }
    std::string orte() const { return addresses()->GetAll("Ort", ','); }
    void columns(std::initializer_list<const char*> lines)
    {
        TStringList sl;
        for (const char* l : lines)
            sl.Add(l);
        grid->set_FieldNames(sl);
    }
    void connect()
    {
        ASSERT_TRUE(grid->Connect(person, false));
        settle();
    }

    qel::grid::GridView* view() const { return static_cast<qel::grid::GridView*>(grid->Handle()); }
    QWidget* viewport() const { return view()->viewport(); }
    QPoint cellPoint(int col, int row) const
    {
        const TRect r = grid->CellRect(col, row);
        return viewport()->mapFrom(grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    void click(int col, int row, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(viewport(), b, {}, cellPoint(col, row));
        settle();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
        settle();
    }
    // The line edit of the open in-place editor.
    QLineEdit* editorLine() const
    {
        QWidget* w = grid->InplaceEditorWidget();
        if (!w)
            return nullptr;
        if (auto* line = qobject_cast<QLineEdit*>(w))
            return line;
        return w->findChild<QLineEdit*>();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    TQelObject* person = nullptr;
    TTestVectorGrid* grid = nullptr;
};

// Three addresses (Bonn, Köln, Ulm) shown as street, town, kind and firm; dialogs scripted.
class VGridThree : public VGridTest {
protected:
    void SetUp() override
    {
        VGridTest::SetUp();
        addAddress("Bonn");
        addAddress("Köln");
        addAddress("Ulm");
        columns({ "Strasse", "Ort", "Art", "Firma" });
    }
    TScopedScriptedDialogs dialogs;
};
