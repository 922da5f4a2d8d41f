#include "documents/qeldocvecview.h"

#include "binding/qellogging.h"
#include "controls/QelPanel.h"
#include "objdb/qeltext.h"
#include "vectors/qelvectorkit.h"

namespace {

const char* const kAddDoc = "Fehler in TQelDocVecView::add_doc()";

// The error text of a failed add_doc: its name, then what went wrong.
std::string addDocError(const std::string& what)
{
    std::string text = kAddDoc;
    text += what;
    return text;
}
const char* const kUp = "nach oben";
const char* const kDown = "nach unten";

// The first reason the element's fields give for not being valid.
std::string elementError(TQelSubObject* e)
{
    TQelFieldList* fl = e->FieldList();
    for (int i = 1; i <= fl->FieldCount(); ++i)
        if (std::string why = fl->Field(i)->ValidityError(); !why.empty())
            return why;
    return e->ErrorMessage();
}

} // namespace

TQelDocVecView::TQelDocVecView(TComponent* owner)
    : TQelLVBase(owner)
{
    link_.kinds = TQelObjectInterface::oiVector;
    // A reference changed elsewhere (a panel, a grid on the same vector) changes the rows.
    link_.hooks.touched = [this](TQelObjectInterface* field, bool) {
        auto* f = QelSafeCast<TQelField>(field);
        if (!changing_ && !loading() && connected_ && f && f->Definition() == refDef_)
            Reload();
    };
    PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    Publish<&TQelDocVecView::get_FieldName, &TQelDocVecView::set_FieldName>("FieldName");
    PublishComponent<&TQelDocVecView::get_Panel, &TQelDocVecView::set_Panel>("Panel");
    PublishSet<&TQelDocVecView::get_DocVecViewOptions, &TQelDocVecView::set_DocVecViewOptions,
        kQelDocVecViewOptionNames>("DocVecViewOptions");
}

TQelDocVecView::~TQelDocVecView()
{
    panel_.Release();
}

void TQelDocVecView::set_FieldName(const std::string& name)
{
    if (name == fieldName_)
        return;
    fieldName_ = name;
    if (TQelFieldList* fl = link_.FieldList())
        ConnectFL(fl, false);
}

void TQelDocVecView::set_Panel(TQelPanel* panel)
{
    if (!panel_.Set(panel) || !connected_)
        return;
    panel_.GivePath(get_FieldPath());
    sub_connect();
}

void TQelDocVecView::set_DocVecViewOptions(TQelDocVecViewOptions options)
{
    if (options == options_)
        return;
    options_ = options;
    if (connected_)
        Reload();
}

void TQelDocVecView::Notification(TComponent* component, TOperation operation)
{
    TQelLVBase::Notification(component, operation);
    if (operation == opRemove)
        panel_.Removed(component);
}

// --- binding -----------------------------------------------------------------------------------

const TQelFelddefinition* TQelDocVecView::find_ref_definition(const TQelKlasse* elementClass) const
{
    TQelDatabase* db = QelDatabase();
    if (!elementClass || !db)
        return nullptr;
    auto isDocRef = [db](const TQelFelddefinition* d) {
        const TQelKlasse* target = d ? db->Klasse(d->ReferencedClass()) : nullptr;
        return d && d->type && d->type->IsA(3010) && target && target->IsA(qelcls::Dokument);
    };
    if (!fieldName_.empty()) {
        const TQelFelddefinition* d = elementClass->FindFelddefinition(fieldName_);
        return isDocRef(d) ? d : nullptr;
    }
    for (const TQelFelddefinition* d : elementClass->Fields())
        if (isDocRef(d))
            return d;
    return nullptr;
}

int TQelDocVecView::connect_fl(const TQelFieldList* fl)
{
    if (TQelPanel* panel = panel_.Panel(); panel && panel->Connected())
        panel->Disconnect();
    connected_ = false;
    refDef_ = nullptr;
    rowElements_.clear();
    link_.Connect(fl, false);
    TQelVector* v = link_.Vector();
    if (v)
        refDef_ = find_ref_definition(v->get_Vektorklasse());
    if (!v || !refDef_) {
        refDef_ = nullptr;
        if (link_.Connected())
            link_.Disconnect(); // a vector that does not hold documents: unconnected
        clear_rows();
        return 0;
    }
    connected_ = true;
    Reload();
    int result = 1;
    if (panel_.GivePath(get_FieldPath()))
        result += sub_connect();
    return result;
}

void TQelDocVecView::forget_vector()
{
    connected_ = false;
    refDef_ = nullptr;
    rowElements_.clear();
    clear_rows();
    SetAcceptFiles(false);
    SetEnabled(false);
}

TQelObject* TQelDocVecView::owner() const
{
    TQelVector* v = Vector();
    return v ? v->Object() : nullptr;
}

// --- rows --------------------------------------------------------------------------------------

TQelRefField* TQelDocVecView::ref_field(TQelSubObject* element) const
{
    if (!element || !refDef_)
        return nullptr;
    return dynamic_cast<TQelRefField*>(element->FieldList()->FieldByName(refDef_->Name()));
}

TQelDokument* TQelDocVecView::get_docobj(TQelSubObject* element) const
{
    TQelRefField* ref = ref_field(element);
    return ref ? doc_of_key(ref->AsKey()) : nullptr;
}

TQelSubObject* TQelDocVecView::get_element(TListItem* item) const
{
    TQelVector* v = Vector();
    auto it = rowElements_.find(item);
    if (!v || it == rowElements_.end())
        return nullptr;
    const int index = v->IndexOf(it->second);
    return index > 0 ? v->Item(index) : nullptr;
}

TListItem* TQelDocVecView::find_element(const TQelSubObject* element) const
{
    for (int i = 0; element && i < Count(); ++i) {
        auto it = rowElements_.find(Item(i));
        if (it != rowElements_.end() && it->second == element)
            return Item(i);
    }
    return nullptr;
}

int TQelDocVecView::get_VectorIndex() const
{
    TQelSubObject* e = get_element(ItemFocused() ? ItemFocused() : Selected());
    return e ? e->VectorIndex() : 0;
}

void TQelDocVecView::set_VectorIndex(int index)
{
    TQelVector* v = Vector();
    if (TListItem* row = v ? find_element(v->Item(index)) : nullptr) {
        ClearSelection();
        SetItemIndex(row->Index());
    }
}

bool TQelDocVecView::load_items()
{
    TQelVector* v = Vector();
    rowElements_.clear();
    if (!v)
        return false;
    TQelObject* obj = owner();
    for (int i = 1; i <= v->Count(); ++i) {
        TQelSubObject* e = v->Item(i);
        TQelDokument* doc = get_docobj(e);
        if (!doc)
            continue;
        // A document that goes with its last assignment keeps one to the object that lists it.
        if (obj && obj->Key().Valid() && doc->AutoDelete() && !doc->FindZuordnung(obj->Key())) {
            TQelZuordnung z = doc->AddZuordnung(obj->Key());
            init_zuordnung(z);
            if (!doc->Commit())
                QelLogError("TQelDocVecView::load_items(): %s", doc->ErrorMessage());
        }
        TListItem* row = add_item(doc);
        rowElements_[row] = e;
        refresh_item(row);
    }
    return true;
}

void TQelDocVecView::refresh_item(TListItem* item)
{
    TQelLVBase::refresh_item(item);
    if (!item || !options_.Contains(dvoShowIndexes))
        return;
    if (TQelSubObject* e = get_element(item))
        item->SetCaption(std::to_string(e->VectorIndex()) + ". " + item->Caption());
}

void TQelDocVecView::Edit(TListItem* item, std::string& text)
{
    // The index before the name is no part of it.
    if (options_.Contains(dvoShowIndexes))
        if (TQelSubObject* e = get_element(item)) {
            const std::string prefix = std::to_string(e->VectorIndex()) + ". ";
            if (text.rfind(prefix, 0) == 0)
                text.erase(0, prefix.size());
        }
    TQelLVBase::Edit(item, text);
    if (!text.empty() && options_.Contains(dvoShowIndexes))
        if (TQelSubObject* e = get_element(item))
            text = std::to_string(e->VectorIndex()) + ". " + text;
}

// --- adding and deleting -----------------------------------------------------------------------

TListItem* TQelDocVecView::add_doc(TQelDokument* doc, std::string& error)
{
    TQelVector* v = Vector();
    if (!v) {
        error = addDocError(": Liste nicht mit Feld verbunden.");
        return nullptr;
    }
    if (!doc) {
        error = addDocError(": Kein Dokument angegeben.");
        return nullptr;
    }
    if (!refDef_) {
        error = addDocError(": Kein Referenzfeld ermittelbar.");
        return nullptr;
    }
    TFlagScope scope(changing_);
    TQelSubObject* e = v->NewItem();
    TQelRefField* ref = ref_field(e);
    if (!e || !ref) {
        if (e)
            v->Remove(e);
        error = addDocError(": Vektor-Element konnte nicht erstellt werden.");
        return nullptr;
    }
    ref->set_AsKey(doc->Key());
    if (!e->Valid()) {
        error = addDocError(":\n\n" + elementError(e));
        v->Remove(e);
        return nullptr;
    }
    OnInitSubObject(this, doc, e);
    TListItem* row = add_item(doc);
    rowElements_[row] = e;
    if (TQelObject* obj = owner()) {
        TQelZuordnung z = doc->AddZuordnung(obj->Key());
        init_zuordnung(z);
        doc->set_Trigger(obj);
    }
    return row;
}

void TQelDocVecView::delete_item(TListItem* item)
{
    TQelVector* v = Vector();
    TQelSubObject* e = get_element(item);
    TQelDokument* doc = get_doc(item);
    TQelObject* obj = owner();
    TFlagScope scope(changing_);
    if (doc && obj) {
        // Another element of the vector may still list the same document.
        bool listedTwice = false;
        for (int i = 1; v && i <= v->Count(); ++i)
            if (v->Item(i) != e && get_docobj(v->Item(i)) == doc)
                listedTwice = true;
        if (!listedTwice && doc->RemoveZuordnung(obj->Key())) {
            if (doc->IsNew() && doc->GetZuordnungen().empty()) {
                if (TQelRefField* ref = ref_field(e))
                    ref->set_AsKey(TQelObjectKey());
                QelDatabase()->FreeObject(doc);
            } else {
                doc->set_Trigger(obj);
            }
        }
    }
    if (v && e)
        v->Remove(e);
    rowElements_.erase(item);
    TQelLVBase::delete_item(item);
}

// --- moving and the current element ------------------------------------------------------------

void TQelDocVecView::move_by(int delta)
{
    TQelVector* v = Vector();
    TQelSubObject* e = get_element(ItemFocused() ? ItemFocused() : Selected());
    if (!v || !e || get_ReadOnly())
        return;
    const int to = e->VectorIndex() + delta;
    if (to < 1 || to > v->Count())
        return;
    {
        TFlagScope scope(changing_);
        v->MoveBy(e, delta);
    }
    Reload();
    set_VectorIndex(to);
}

void TQelDocVecView::add_menu_items(TPopupMenu* menu)
{
    for (auto [caption, delta] : { std::pair { kUp, -1 }, std::pair { kDown, 1 } })
        QelAddMenuItem(menu, caption, [this, delta = delta] { move_by(delta); });
}

void TQelDocVecView::update_menu_items(TPopupMenu* menu)
{
    const int index = get_VectorIndex();
    const int count = Vector() ? Vector()->Count() : 0;
    const bool canMove = index > 0 && !get_ReadOnly();
    if (TMenuItem* up = menu->Items()->Find(kUp))
        up->SetEnabled(canMove && index > 1);
    if (TMenuItem* down = menu->Items()->Find(kDown))
        down->SetEnabled(canMove && index < count);
}

void TQelDocVecView::Change()
{
    TQelLVBase::Change();
    if (!loading())
        sub_connect();
}

int TQelDocVecView::sub_connect()
{
    if (!connected_ || !panel_.Panel())
        return 0;
    return panel_.Follow(get_FieldPath(), link_.FieldList(),
        get_element(ItemFocused() ? ItemFocused() : Selected()), this, BeforeSubConnect, AfterSubConnect);
}

// --- messages ----------------------------------------------------------------------------------

void TQelDocVecView::WndProc(TMessage& m)
{
    TQelVector* v = Vector();
    switch (m.Msg) {
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
        if (v && QelOIFromParam(m.LParam) == v && !changing_ && !loading()) {
            const int index = get_VectorIndex();
            Reload();
            set_VectorIndex(std::min(index, v->Count()));
            sub_connect();
        }
        return;
    case WM_ODB_OIROLLEDBACK:
    case WM_ODB_OIRELOADED:
        TQelLVBase::WndProc(m);
        if (v && !loading())
            Reload();
        return;
    case WM_ODB_OIDESTROYED: {
        const bool ours = v && QelOIFromParam(m.LParam) == v;
        TQelLVBase::WndProc(m);
        if (ours)
            forget_vector();
        return;
    }
    default:
        TQelLVBase::WndProc(m);
    }
}
