#pragma once
// A fresh in-memory object database per test, opened with the test's own schema and made the
// current database, plus a form to put controls on.
#include "binding/objdb.h"
#include "toolkit/form.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

class QelDbTest : public ::testing::Test {
protected:
    explicit QelDbTest(std::string schema)
        : schema_(std::move(schema))
    {
    }
    void SetUp() override
    {
        db = std::make_unique<TQelDatabase>();
        TQelOpenOptions o;
        o.schemaText = schema_;
        o.create = true;
        db->Open(":memory:", o);
        SetQelDatabase(db.get());
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 600, 400);
    }
    void TearDown() override
    {
        form.reset();
        SetQelDatabase(nullptr);
        db.reset();
    }
    TQelObject* create(const std::string& className)
    {
        return db->CreateObject(db->FindClass(className)->Key());
    }
    // A control of class T on `parent`, owned by the form, stacked below the earlier ones.
    template <class T> T* add(TWinControl* parent, const std::string& name)
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(parent);
        c->SetBounds(10, 10 + 40 * (parent->GetControlCount() - 1), 160, 24);
        return c;
    }

    std::unique_ptr<TQelDatabase> db;
    std::unique_ptr<TForm> form;

private:
    std::string schema_;
};
