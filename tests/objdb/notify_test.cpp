#include "objdb/qellog.h"
#include "objdb/qeltimertasks.h"
#include "objdb_test_support.h"

#include <algorithm>

#include <gtest/gtest.h>

TEST(Notify, EveryTargetOfTheObjectHearsATouchNamingTheField)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelField* name = k->FieldByName("Name");
    TQelField* ort = k->FieldByName("Ort");
    Recorder onName, onList, onObject, bystander;
    name->ConnectControl(&onName);
    name->ConnectControl(&onName); // twice registers once
    k->FieldList()->ConnectControl(&onList);
    k->ConnectControl(&onObject);
    ort->set_AsString("Köln");
    ASSERT_EQ(onName.count(WM_ODB_FIELDTOUCHED), 1) << "editors of other fields hear it too";
    EXPECT_EQ(onName.last(WM_ODB_FIELDTOUCHED)->l, Recorder::lp(ort));
    EXPECT_EQ(onName.last(WM_ODB_FIELDTOUCHED)->w, reinterpret_cast<WPARAM>(name));
    ASSERT_EQ(onList.count(WM_ODB_FIELDTOUCHED), 1);
    EXPECT_EQ(onList.last(WM_ODB_FIELDTOUCHED)->l, Recorder::lp(ort));
    EXPECT_EQ(onList.last(WM_ODB_FIELDTOUCHED)->w, reinterpret_cast<WPARAM>(k->FieldList()));
    EXPECT_EQ(onObject.count(WM_ODB_FIELDTOUCHED), 1);
    name->set_AsString("Berta");
    ASSERT_EQ(onName.count(WM_ODB_FIELDTOUCHED), 2);
    EXPECT_EQ(onName.last(WM_ODB_FIELDTOUCHED)->l, Recorder::lp(name));
    EXPECT_EQ(onName.repaints, 0) << "the typing control keeps its text";
    name->set_AsString("Berta");
    EXPECT_EQ(onName.count(WM_ODB_FIELDTOUCHED), 2) << "no notice without a change";
    name->set_AsString("");
    EXPECT_EQ(onName.count(WM_ODB_FIELDSTATE), 1) << "validity changed (mandatory)";
    EXPECT_EQ(bystander.notes.size(), 0u);

    // Commit and rollback reach every target of the object.
    name->set_AsString("Carla");
    ASSERT_TRUE(k->Commit());
    EXPECT_EQ(onName.count(WM_ODB_OISTORED), 1);
    EXPECT_EQ(onName.last(WM_ODB_OISTORED)->l, Recorder::lp(k));
    name->DisconnectControl(&onName);
    ort->set_AsString("Bonn");
    k->Rollback();
    EXPECT_EQ(onName.count(WM_ODB_OIROLLEDBACK), 0) << "unregistered targets hear nothing";
    EXPECT_EQ(onList.count(WM_ODB_OIROLLEDBACK), 1);
    EXPECT_EQ(onList.repaints, 1);
    EXPECT_EQ(ort->AsString(), "Köln");
    k->FieldList()->DisconnectControl(&onList);
    k->DisconnectControl(&onObject);
}

TEST(Notify, InterfacesGoingAwayTellTheirTargetsFirst)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelField* name = k->FieldByName("Name");
    TQelObjectInterface* el = k->FieldList()->FindOI("Adressen[0]", 2, true);
    Recorder onName, onElement;
    name->ConnectControl(&onName);
    el->ConnectControl(&onElement);
    bool nameStillReadable = false;
    onName.onPerform = [&](unsigned m, WPARAM, LPARAM l) {
        if (m == WM_ODB_OIDESTROYED)
            nameStillReadable = reinterpret_cast<TQelField*>(l)->Name() == "Name";
    };
    db->FreeObject(k);
    EXPECT_EQ(onName.count(WM_ODB_OIDESTROYED), 1);
    EXPECT_TRUE(nameStillReadable) << "the interface is whole while its targets hear of it";
    EXPECT_EQ(onElement.count(WM_ODB_OIDESTROYED), 1);
}

TEST(Notify, ATargetDestroyedDuringDeliveryIsNeverCalled)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelField* name = k->FieldByName("Name");
    Recorder first;
    auto second = std::make_unique<Recorder>();
    name->ConnectControl(&first);
    name->ConnectControl(second.get());
    // The first target's handler destroys the second, which unregisters in its destructor.
    first.onPerform = [&](unsigned, WPARAM, LPARAM) {
        if (second) {
            name->DisconnectControl(second.get());
            second.reset();
        }
    };
    name->set_AsString("Berta"); // would crash (ASan) if the second were still called
    EXPECT_EQ(first.count(WM_ODB_FIELDTOUCHED), 1);
    // A handler that frees the whole object stops the delivery.
    Recorder third;
    name->ConnectControl(&third);
    first.onPerform = [&](unsigned m, WPARAM, LPARAM) {
        if (m == WM_ODB_FIELDTOUCHED)
            db->FreeObject(k);
    };
    name->set_AsString("Carla");
    EXPECT_EQ(third.count(WM_ODB_FIELDTOUCHED), 0);
    EXPECT_EQ(third.count(WM_ODB_OIDESTROYED), 1);
}

TEST(Notify, InstanceAndDatabaseNotifications)
{
    TestDb db;
    std::vector<std::pair<int, int>> events; // event, object key
    const int sub = db->SubscribeInstanceNotification(
        db.cls("Kunde"), [&](int e, TQelClassKey cls, TQelObjectKey key, TQelObject*) {
            EXPECT_TRUE(cls.IsA(TQelClassKey(40020)));
            events.emplace_back(e, key.Id());
        });
    int onlyGone = 0;
    const int sub64 = db->SubscribeInstanceNotification(
        TQelClassKey(), [&](int, TQelClassKey, TQelObjectKey, TQelObject*) { ++onlyGone; }, ieGone);
    std::vector<int> dbEvents;
    const int dbSub = db->StartNotification([&](int e, TQelDatabase*) { dbEvents.push_back(e); });

    TQelObject* g = db.create("Grosskunde", "G"); // derived classes count
    const int key = g->Key().Id();
    ASSERT_TRUE(g->Commit());
    g->FieldByName("Ort")->set_AsString("Ulm");
    ASSERT_TRUE(g->Commit());
    ASSERT_TRUE(g->Delete());
    db->FreeObject(g);
    TQelObject* l = db.create("Lieferant", "L"); // another class: not reported to the first
    ASSERT_TRUE(l->Commit());
    const std::vector<std::pair<int, int>> want = { { ieLoaded, key }, { ieTouched, key }, { ieCreated, key },
        { ieTouched, key }, { ieStored, key }, { ieDeleted, key }, { ieGone, key } };
    EXPECT_EQ(events, want);
    EXPECT_EQ(onlyGone, 1);
    EXPECT_EQ(std::count(dbEvents.begin(), dbEvents.end(), deCommitted), 4);
    db->CancelSubscription(sub);
    db->CancelSubscription(sub64);
    db->StopNotification(dbSub);
    ASSERT_TRUE(l->Delete());
    EXPECT_EQ(events.size(), want.size());
}

TEST(Notify, TimerTasksOfTheDatabaseRunOnAManualClock)
{
    TestDb db;
    TQelManualClock clock;
    db->TimerTasks()->set_Clock(&clock);
    db->TimerTasks()->set_Dispatcher(&clock);
    int fired = 0;
    int owner = 0;
    TQelTimerEvent ev;
    ev.Owner = &owner;
    ev.Id = 1;
    ev.Call = [&](TQelTaskId task, std::intptr_t) {
        ++fired;
        db->TimerTasks()->Stop(task);
    };
    db->TimerTasks()->Start(ev, 100);
    clock.Advance(50);
    db->TimerTasks()->Start(ev, 100); // a pending task is reset, not duplicated
    clock.Advance(99);
    EXPECT_EQ(fired, 0);
    clock.Advance(1);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(db->TimerTasks()->FindTaskByEvent(ev));
    db->LogManager()->Write("Error", "Test");
    EXPECT_EQ(db->LogManager()->EntriesOf("Error").size(), 1u);
}
