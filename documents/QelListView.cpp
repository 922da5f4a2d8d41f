#include "documents/QelListView.h"

TQelListView::TQelListView(TComponent* owner)
    : TQelLVBase(owner)
{
    link_.bindsFieldList = true;
    link_.kinds = 0;
    PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    Publish<&TQelListView::get_AutoRefresh, &TQelListView::set_AutoRefresh>("AutoRefresh");
    Publish<&TQelListView::get_Category, &TQelListView::set_Category>("Category");
    Publish<&TQelListView::get_MaxCount, &TQelListView::set_MaxCount>("MaxCount");
    Publish<&TQelListView::get_ExcludeType, &TQelListView::set_ExcludeType>("ExcludeType");
}

TQelListView::~TQelListView()
{
    unsubscribe();
}

TQelObject* TQelListView::BoundObject() const
{
    TQelFieldList* fl = connected_ ? link_.FieldList() : nullptr;
    return fl ? fl->Object() : nullptr;
}

int TQelListView::connect_fl(const TQelFieldList* fl)
{
    unsubscribe();
    link_.Connect(fl, false);
    TQelFieldList* held = link_.FieldList();
    const bool ok = fl && held && held->Object();
    connected_ = ok;
    if (!ok) {
        clear_rows();
        return 0;
    }
    if (autoRefresh_)
        subscribe();
    Reload();
    return 1;
}

void TQelListView::set_AutoRefresh(bool v)
{
    if (autoRefresh_ == v)
        return;
    autoRefresh_ = v;
    if (v && connected_)
        subscribe();
    else
        unsubscribe();
}

void TQelListView::set_Category(const std::string& v)
{
    if (category_ == v)
        return;
    category_ = v;
    if (connected_)
        Reload();
}

void TQelListView::subscribe()
{
    TQelDatabase* db = QelDatabase();
    if (!db || subscription_)
        return;
    subscription_ = db->SubscribeInstanceNotification(
        TQelClassKey(qelcls::Dokument),
        [this](int, TQelClassKey, TQelObjectKey key, TQelObject* obj) {
            TQelObject* owner = BoundObject();
            if (!owner || loading())
                return;
            TQelDokument* doc = QelAsDokument(obj);
            if (!doc && QelDatabase())
                doc = QelAsDokument(QelDatabase()->CachedObject(key));
            if ((doc && doc->FindZuordnung(owner->Key())) || find_item(doc))
                Reload();
        },
        ieCreated | ieStored | ieDeleted | ieRecovered);
}

void TQelListView::unsubscribe()
{
    if (subscription_)
        if (TQelDatabase* db = QelDatabase())
            db->CancelSubscription(subscription_);
    subscription_ = 0;
}

std::vector<TQelZuordnung> TQelListView::GetZuordnungen() const
{
    TQelObject* owner = BoundObject();
    return owner ? TQelDokument::GetZuordnungen(QelDatabase(), owner->Key()) : std::vector<TQelZuordnung> {};
}

TQelZuordnung TQelListView::get_zuordnung(TListItem* item) const
{
    TQelDokument* doc = get_doc(item);
    TQelObject* owner = BoundObject();
    return doc && owner ? doc->FindZuordnung(owner->Key()) : TQelZuordnung();
}

bool TQelListView::load_items()
{
    TQelObject* owner = BoundObject();
    TQelDatabase* db = QelDatabase();
    if (!owner || !db)
        return false;
    TQelClassKey exclude;
    if (!ExcludeType.empty())
        if (const TQelKlasse* k = db->FindClass(ExcludeType))
            exclude = k->Key();
    const auto docs = TQelDokument::ListDocuments(db, owner->Key(), exclude, category_, true);
    if (MaxCount > 0 && static_cast<int>(docs.size()) > MaxCount) {
        bool proceed = false;
        OnTooMany(this, static_cast<int>(docs.size()), proceed);
        if (!proceed)
            return false;
    }
    for (TQelDokument* doc : docs)
        refresh_item(add_item(doc));
    return true;
}

TListItem* TQelListView::add_doc(TQelDokument* doc, std::string& error)
{
    TQelObject* owner = BoundObject();
    if (!doc) {
        error = "Fehler in TQelListView::add_doc(): Kein Dokument angegeben.";
        return nullptr;
    }
    if (!owner) {
        error = "Fehler in TQelListView::add_doc(): Liste nicht mit einem Objekt verbunden.";
        return nullptr;
    }
    TQelZuordnung z = doc->AddZuordnung(owner->Key());
    if (!z) {
        error = "Fehler in TQelListView::add_doc(): Zuordnung konnte nicht erstellt werden.";
        return nullptr;
    }
    init_zuordnung(z);
    z.set_Kategorie(category_);
    doc->set_Trigger(owner);
    if (TListItem* existing = find_item(doc))
        return existing;
    return add_item(doc);
}

void TQelListView::delete_item(TListItem* item)
{
    TQelDokument* doc = get_doc(item);
    TQelObject* owner = BoundObject();
    if (doc && owner && doc->RemoveZuordnung(owner->Key())) {
        if (doc->IsNew() && doc->GetZuordnungen().empty()) {
            TQelLVBase::delete_item(item);
            QelDatabase()->FreeObject(doc);
            return;
        }
        doc->set_Trigger(owner);
    }
    TQelLVBase::delete_item(item);
}

void TQelListView::edit_props(TListItem* item)
{
    TQelZuordnung z = get_zuordnung(item);
    TQelDokument* doc = get_doc(item);
    TQelLVBase::edit_props(item);
    if (doc)
        if (TQelObject* owner = BoundObject())
            doc->set_Trigger(owner);
    if (z && z.Touched())
        Reload(); // the row may have left the category (the item is gone then)
}
