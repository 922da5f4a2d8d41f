#include "binding_fixture.h"

TEST_F(BindingTest, SqlColumnNamesFollowTheStoreConventions)
{
    TQelVector* addresses = fl()->VectorByName("Adressen");
    addresses->Add();
    TQelSubObject* second = addresses->Add();
    EXPECT_EQ(TQelCommonMethods::SqlColumnName(fl()->FieldByName("Name")), "Person.Name");
    EXPECT_EQ(
        TQelCommonMethods::SqlColumnName(second->FieldList()->FieldByName("Ort")), "Person_Adressen2.Ort");
    EXPECT_EQ(TQelCommonMethods::SqlColumnName(nullptr), "");
}

TEST_F(BindingTest, SearchConditionRunsAsSqlAndQuotesValues)
{
    person->FieldByName("Name")->set_AsString("O'Brien");
    person->FieldByName("Kinder")->set_AsString("2");
    ASSERT_TRUE(person->Commit()) << person->ErrorMessage();
    TQelObject* other = db->CreateObject(person->ClassKey());
    other->FieldByName("Name")->set_AsString("Obrien");
    other->FieldByName("Kinder")->set_AsString("2");
    ASSERT_TRUE(other->Commit()) << other->ErrorMessage();

    TQelObject* filter = db->CreateObject(person->ClassKey());
    filter->FieldByName("Name")->set_AsString("O'Brien");
    filter->FieldByName("Kinder")->set_AsString("2");
    const std::string cond = TQelCommonMethods::ExtractSearchCond(filter);
    EXPECT_NE(cond.find("Person.Name LIKE 'O''Brien'"), std::string::npos) << cond;
    EXPECT_NE(cond.find(" AND "), std::string::npos) << cond;

    auto engine = db->CreateSQLEngine();
    auto q = engine->ListEx(person->ClassKey(), lfNotDeleted, cond);
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->AsInteger(0), person->Key().Id());
    q->Next();
    EXPECT_TRUE(q->Eof());
    EXPECT_EQ(TQelCommonMethods::ExtractSearchCond(nullptr), "");
}
