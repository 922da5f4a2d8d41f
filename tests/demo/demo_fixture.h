#pragma once
// A demo database of its own for each test, in a fresh folder and made the current database, and
// showing a form as the active window the way a user finds it. A fixture that holds forms frees
// them in its TearDown before this one closes the database.
#include "demo_database.h"

#include "toolkit/form.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

class DemoDbTest : public ::testing::Test {
protected:
    explicit DemoDbTest(int persons = 200, int firms = 20)
        : persons_(persons)
        , firms_(firms)
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = openDemoDatabase(dir.filePath("demo.qeldb").toStdString(), persons_, firms_);
        ASSERT_TRUE(store.error.empty()) << store.error;
        SetQelDatabase(store.db.get());
    }
    void TearDown() override
    {
        QApplication::processEvents();
        SetQelDatabase(nullptr);
    }
    static void showActive(TForm& form)
    {
        form.Show();
        QWidget* window = form.Handle()->window();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    QTemporaryDir dir;
    DemoDatabase store;

private:
    int persons_;
    int firms_;
};
