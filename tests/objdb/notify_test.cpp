#include "objdb/qellog.h"
#include "objdb/qeltimertasks.h"
#include "objdb_test_support.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

// Recorders that write their tag to a shared log on every field touch and rollback.
struct TaggedLog {
    std::vector<std::string> touched;
    std::vector<std::unique_ptr<Recorder>> recorders;
    Recorder* on(TQelObjectInterface* oi, const std::string& tag)
    {
        recorders.push_back(std::make_unique<Recorder>());
        Recorder* r = recorders.back().get();
        r->onPerform = [this, tag](unsigned m, WPARAM, LPARAM) {
            if (m == WM_ODB_FIELDTOUCHED)
                touched.push_back(tag);
        };
        oi->ConnectControl(r);
        return r;
    }
};

TEST(Notify, ObjectWideNoticesReachEveryRegisteredInterfaceInTreeOrder)
{
    TaggedLog log; // outlives the database, whose objects still hold its recorders at the end
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelVector* v = k->FieldList()->VectorByName("Adressen");
    TQelSubObject* e1 = v->Add();
    TQelSubObject* e2 = v->Add();
    e1->FieldList()->FieldByName("Ort")->set_AsString("Bonn");
    e2->FieldList()->FieldByName("Ort")->set_AsString("Ulm");
    TQelSubObject* hint = e1->FieldList()->VectorByName("Hinweise")->Add();
    ASSERT_TRUE(k->Commit());

    // Registered out of the tree's order: delivery follows the tree, not the registration.
    Recorder* e2Ort = log.on(e2->FieldList()->FieldByName("Ort"), "e2.Ort");
    Recorder* obj = log.on(k, "obj");
    Recorder* hintText = log.on(hint->FieldList()->FieldByName("Text"), "e1.Hinweis.Text");
    Recorder* name = log.on(k->FieldByName("Name"), "Name");
    Recorder* vec = log.on(v, "Adressen");
    Recorder* e1List = log.on(e1->FieldList(), "e1");
    Recorder* onTemplate = log.on(v->get_Template()->FieldList()->FieldByName("Ort"), "template");
    EXPECT_EQ(k->RegisteredInterfaceCount(), 7u);

    k->FieldByName("Ort")->set_AsString("Köln");
    const std::vector<std::string> treeOrder
        = { "obj", "Name", "Adressen", "e1", "e1.Hinweis.Text", "e2.Ort" };
    EXPECT_EQ(log.touched, treeOrder) << "the template is no element: it hears nothing";
    EXPECT_EQ(
        e2Ort->last(WM_ODB_FIELDTOUCHED)->w, reinterpret_cast<WPARAM>(e2->FieldList()->FieldByName("Ort")));

    // Rollback: every registered interface of the object hears it and repaints once.
    k->Rollback();
    for (Recorder* r : { e2Ort, obj, hintText, name, vec, e1List }) {
        EXPECT_EQ(r->count(WM_ODB_OIROLLEDBACK), 1);
        EXPECT_EQ(r->repaints, 1);
    }
    EXPECT_EQ(onTemplate->count(WM_ODB_OIROLLEDBACK), 0);
    EXPECT_EQ(onTemplate->repaints, 0);

    // Exchanged elements change the order; added elements before them do not disturb it.
    ASSERT_TRUE(v->Exchange(1, 2));
    log.touched.clear();
    k->FieldByName("Ort")->set_AsString("Bonn");
    const std::vector<std::string> exchanged
        = { "obj", "Name", "Adressen", "e2.Ort", "e1", "e1.Hinweis.Text" };
    EXPECT_EQ(log.touched, exchanged);
    ASSERT_TRUE(v->Insert(1));
    log.touched.clear();
    e2->FieldList()->FieldByName("Strasse")->set_AsString("Hauptstraße");
    EXPECT_EQ(log.touched, exchanged);
    ASSERT_TRUE(v->MoveBy(e1, -2));
    log.touched.clear();
    k->FieldByName("Ort")->set_AsString("Ulm");
    const std::vector<std::string> moved = { "obj", "Name", "Adressen", "e1", "e1.Hinweis.Text", "e2.Ort" };
    EXPECT_EQ(log.touched, moved);
}

TEST(Notify, ElementsGoingAwayLeaveNoRegisteredInterfaceBehind)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelVector* v = k->FieldList()->VectorByName("Adressen");
    TQelSubObject* e1 = v->Add();
    TQelSubObject* e2 = v->Add();
    Recorder onName, onElement, onElementOrt, onSecondOrt;
    k->FieldByName("Name")->ConnectControl(&onName);
    e1->ConnectControl(&onElement);
    e1->FieldList()->FieldByName("Ort")->ConnectControl(&onElementOrt);
    e2->FieldList()->FieldByName("Ort")->ConnectControl(&onSecondOrt);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 4u);

    ASSERT_TRUE(v->Delete(1));
    EXPECT_EQ(onElement.count(WM_ODB_OIDESTROYED), 1);
    EXPECT_EQ(onElementOrt.count(WM_ODB_OIDESTROYED), 1);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 2u);
    k->FieldByName("Ort")->set_AsString("Köln"); // would touch the freed element (ASan) if still listed
    EXPECT_EQ(onName.count(WM_ODB_FIELDTOUCHED), 1);
    EXPECT_EQ(onElementOrt.count(WM_ODB_FIELDTOUCHED), 0);
    EXPECT_EQ(onSecondOrt.count(WM_ODB_FIELDTOUCHED), 1);

    // An element deleted by a handler earlier in the delivery is not visited any more.
    onName.onPerform = [&](unsigned m, WPARAM, LPARAM) {
        if (m == WM_ODB_FIELDTOUCHED && v->Count() > 0)
            v->Delete(1);
    };
    k->FieldByName("Ort")->set_AsString("Bonn");
    EXPECT_EQ(onSecondOrt.count(WM_ODB_FIELDTOUCHED), 1);
    EXPECT_EQ(onSecondOrt.count(WM_ODB_OIDESTROYED), 1);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 1u);

    // Elements replaced by a rollback leave the registry too.
    onName.onPerform = nullptr;
    Recorder onNew;
    v->Add()->ConnectControl(&onNew);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 2u);
    k->Rollback();
    EXPECT_EQ(onNew.count(WM_ODB_OIDESTROYED), 1);
    EXPECT_EQ(onNew.count(WM_ODB_OIROLLEDBACK), 0);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 1u);
    k->FieldByName("Name")->DisconnectControl(&onName);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 0u);
}

TEST(Notify, TargetsMayRegisterAndUnregisterDuringDelivery)
{
    TestDb db;
    TQelObject* k = db.create("Kunde", "Anna");
    TQelSubObject* e = k->FieldList()->VectorByName("Adressen")->Add();
    TQelField* name = k->FieldByName("Name");
    TQelField* ort = k->FieldByName("Ort");
    TQelField* anzahl = k->FieldByName("Anzahl");
    TQelField* betrag = k->FieldByName("Betrag");
    Recorder first, reconnecting, dropped, added, onElementOrt;
    name->ConnectControl(&first);
    ort->ConnectControl(&reconnecting);
    anzahl->ConnectControl(&dropped);
    e->FieldList()->FieldByName("Ort")->ConnectControl(&onElementOrt);
    bool once = true;
    first.onPerform = [&](unsigned m, WPARAM, LPARAM) {
        if (m != WM_ODB_FIELDTOUCHED || !once)
            return;
        once = false;
        ort->DisconnectControl(&reconnecting); // unlisted and listed again
        ort->ConnectControl(&reconnecting);
        anzahl->DisconnectControl(&dropped); // later in the order: not called any more
        betrag->ConnectControl(&added);
        k->FieldList()->VectorByName("Adressen")->Delete(1); // freed: not called
    };
    k->FieldByName("Seit")->set_AsString("01.02.2024");
    EXPECT_EQ(first.count(WM_ODB_FIELDTOUCHED), 1);
    EXPECT_EQ(reconnecting.count(WM_ODB_FIELDTOUCHED), 1);
    EXPECT_EQ(dropped.count(WM_ODB_FIELDTOUCHED), 0);
    EXPECT_EQ(onElementOrt.count(WM_ODB_FIELDTOUCHED), 0);
    EXPECT_EQ(onElementOrt.count(WM_ODB_OIDESTROYED), 1);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 3u);

    anzahl->set_AsString("3");
    ASSERT_NE(added.last(WM_ODB_FIELDTOUCHED), nullptr);
    EXPECT_EQ(added.last(WM_ODB_FIELDTOUCHED)->l, Recorder::lp(anzahl));
    EXPECT_EQ(reconnecting.count(WM_ODB_FIELDTOUCHED), 2);
    EXPECT_EQ(dropped.count(WM_ODB_FIELDTOUCHED), 0);
    name->DisconnectControl(&first);
    ort->DisconnectControl(&reconnecting);
    betrag->DisconnectControl(&added);
    EXPECT_EQ(k->RegisteredInterfaceCount(), 0u);
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
