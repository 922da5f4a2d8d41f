// The person form's employer combo as a person uses it: a click into the shown name selects it,
// typed letters replace it, complete and search, and the person keeps the stored employer while
// the user types; leaving the combo takes the firm the text names, or keeps the stored one.
#include "demo_fixture.h"
#include "person_form.h"

#include "QelObjCntrl.h"
#include "pickers/QelCombo.h"
#include "support/typing.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class PersonFormComboTest : public DemoDbTest {
protected:
    PersonFormComboTest()
        : DemoDbTest(12, 6)
    {
    }
    void SetUp() override
    {
        DemoDbTest::SetUp();
        // A person with an employer.
        auto q = store.db->CreateSQLEngine()->Query(
            "SELECT K FROM Person WHERE Arbeitgeber > 0 AND GELOESCHT = 0 ORDER BY K LIMIT 1");
        ASSERT_TRUE(q->TryOpen()) << q->ErrorMessage();
        ASSERT_FALSE(q->Eof());
        const TQelObjectKey key(static_cast<int>(q->AsInteger(0)));
        form = std::make_unique<TPersonForm>(nullptr, store.db.get());
        ASSERT_TRUE(form->ShowPerson(key));
        showActive(*form);
        combo = dynamic_cast<TQelCombo*>(form->FindComponent("cbArbeitgeber"));
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->Visible());
        employer = combo->get_RefField();
        ASSERT_NE(employer, nullptr);
        stored = employer->AsKey();
        ASSERT_TRUE(stored.Valid());
    }
    void TearDown() override
    {
        form.reset();
        DemoDbTest::TearDown();
    }

    QLineEdit* line() const { return static_cast<QComboBox*>(combo->Handle())->lineEdit(); }
    static void type(const QString& text) { TypeWhereTheFocusIs(text); }
    static void key(Qt::Key k)
    {
        QTest::keyClick(QApplication::focusWidget(), k);
        QApplication::processEvents();
    }
    // A click into the middle of the shown name, the combo not focused before.
    void clickIntoTheName()
    {
        auto* name = dynamic_cast<TControl*>(form->FindComponent("edName"));
        ASSERT_NE(name, nullptr);
        QTest::mouseClick(name->Handle(), Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_FALSE(combo->Focused());
        QTest::mouseClick(line(), Qt::LeftButton, {}, QPoint(line()->width() / 3, line()->height() / 2));
        QApplication::processEvents();
        ASSERT_TRUE(combo->Focused());
    }
    // Another firm of the list, and the letters that complete to it.
    void otherFirm(std::string& name, QString& letters) const
    {
        for (int i = 0; i < combo->Items().Count(); ++i) {
            const TQelObjectKey k = combo->get_Key(i);
            const QString text = QString::fromStdString(combo->Items()[i]);
            if (!k.Valid() || k == stored || text.size() < 3)
                continue;
            const QString start = text.left(3);
            // The first entry with that start is this one: typing it completes to it.
            int first = -1;
            for (int j = 0; j < combo->Items().Count() && first < 0; ++j)
                if (QString::fromStdString(combo->Items()[j]).startsWith(start, Qt::CaseInsensitive))
                    first = j;
            if (first == i) {
                name = combo->Items()[i];
                letters = start.toLower();
                return;
            }
        }
    }
    TQelObjectKey storedEmployer() const
    {
        auto q = store.db->CreateSQLEngine()->Query(
            "SELECT Arbeitgeber FROM Person WHERE K = " + form->Person()->Key().ToString());
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage();
        return q->Eof() ? TQelObjectKey() : TQelObjectKey(static_cast<int>(q->AsInteger(0)));
    }

    std::unique_ptr<TPersonForm> form;
    TQelCombo* combo = nullptr;
    TQelRefField* employer = nullptr;
    TQelObjectKey stored;
};

TEST_F(PersonFormComboTest, TypingSearchesAndLeavingTakesTheNamedFirm)
{
    std::string target;
    QString letters;
    otherFirm(target, letters);
    ASSERT_FALSE(target.empty()) << "the demo has firms with distinct starts";
    const QString before = line()->text();

    clickIntoTheName();
    EXPECT_EQ(line()->selectedText(), before) << "the whole name is selected";
    for (QChar ch : letters) {
        type(QString(ch));
        EXPECT_EQ(employer->AsKey(), stored) << "nothing is written while typing";
    }
    EXPECT_TRUE(line()->text().startsWith(letters, Qt::CaseInsensitive)) << line()->text().toStdString();
    EXPECT_EQ(combo->get_SelectedText(), target) << "completed";
    QTest::qWait(combo->get_KeyStrokeTimeout() + 200); // the search ran
    EXPECT_EQ(employer->AsKey(), stored);
    EXPECT_FALSE(form->Person()->Touched());

    key(Qt::Key_Tab);
    EXPECT_FALSE(combo->Focused());
    ASSERT_NE(employer->get_AsObject(), nullptr);
    EXPECT_EQ(combo->get_SelectedText(), target);
    EXPECT_NE(employer->AsKey(), stored);
    EXPECT_EQ(combo->get_Key(combo->get_SelectedIndex()), employer->AsKey());
    const TQelObjectKey chosen = employer->AsKey();
    form->Save();
    EXPECT_EQ(form->StatusText(), "Gespeichert.");
    EXPECT_EQ(storedEmployer(), chosen);
}

TEST_F(PersonFormComboTest, ATextThatNamesNoFirmKeepsTheEmployer)
{
    const std::string before = combo->get_SelectedText();
    clickIntoTheName();
    type("Zq");
    EXPECT_EQ(employer->AsKey(), stored);
    QTest::qWait(combo->get_KeyStrokeTimeout() + 200);
    EXPECT_EQ(employer->AsKey(), stored);
    key(Qt::Key_Tab);
    EXPECT_EQ(employer->AsKey(), stored);
    EXPECT_EQ(combo->get_SelectedText(), before) << "the stored employer is shown again";
    EXPECT_FALSE(form->Person()->Touched());

    // Emptied and left: no employer (the list offers "no object").
    clickIntoTheName();
    key(Qt::Key_Delete);
    EXPECT_EQ(employer->AsKey(), stored);
    key(Qt::Key_Tab);
    EXPECT_FALSE(employer->AsKey().Valid());
    EXPECT_EQ(combo->get_SelectedText(), combo->get_NullString());
    form->Save();
    EXPECT_FALSE(storedEmployer().Valid());
}

} // namespace
