#include "pickers/QelDataMultiEdit.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/flagscope.h"

namespace {

// Flags of the lookup query: objects not deleted, no meta fields.
constexpr int kLookupFlags = lfNotDeleted | lfNoMetaFields;

// "UPPER(@HEAD@) LIKE '<TEXT>%'" with the typed text searched for as it stands: quotes doubled,
// '%', '_' and the escape character escaped.
std::string prefixCondition(const std::string& text, const TQelSQLDialect& dialect)
{
    std::string pattern;
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    pattern += '%';
    std::string quoted = dialect.ValueString(pattern);
    if (dialect.FoldsCase())
        quoted = dialect.Upper(quoted);
    return "UPPER(@HEAD@) LIKE " + quoted + " ESCAPE '\\'";
}

// The column a statement lists after the key: the text after its first "," up to the next blank,
// "," or "|".
std::string headColumn(const std::string& statement)
{
    const std::size_t comma = statement.find(',');
    if (comma == std::string::npos)
        return {};
    const std::size_t from = statement.find_first_not_of(' ', comma + 1);
    if (from == std::string::npos)
        return {};
    const std::size_t to = statement.find_first_of(" ,|", from);
    return statement.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

std::string replaceAll(std::string s, const std::string& what, const std::string& with)
{
    for (std::size_t pos = s.find(what); pos != std::string::npos; pos = s.find(what, pos + with.size()))
        s.replace(pos, what.size(), with);
    return s;
}

} // namespace

TQelDataMultiEdit::TQelDataMultiEdit(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.kinds = TQelObjectInterface::oiField | TQelObjectInterface::oiVector;
    link_.hooks.resolvedPath = [](const std::string& path) { return path.substr(0, path.find('/')); };
    link_.hooks.accepts = [this](TQelObjectInterface* oi) {
        if (auto* v = QelSafeCast<TQelVector>(oi)) {
            const TQelKlasse* cls = v->get_Vektorklasse();
            if (!cls)
                return false;
            const std::string path = get_FieldPath();
            const std::size_t slash = path.find('/');
            const std::string name
                = slash == std::string::npos ? std::string() : Trim(path.substr(slash + 1));
            refDef_ = nullptr;
            for (const TQelFelddefinition* def : cls->Fields()) {
                const bool fits
                    = name.empty() ? def->type->IsA(qelft::Reference) : AnsiSameText(def->Name(), name);
                if (fits && def->type->IsA(qelft::Reference)) {
                    refDef_ = def;
                    break;
                }
            }
            return refDef_ != nullptr;
        }
        if (auto* f = QelSafeCast<TQelRefField>(oi)) {
            refDef_ = f->Definition();
            return true;
        }
        return false;
    };
    link_.hooks.bound = [this] { set_MaxValues(vector() ? 0 : 1); };
    link_.hooks.read = [this] { Reload(); };
    link_.hooks.write = [this] { write(); };
    link_.hooks.readOnlyChanged = [this](bool readOnly) { apply_read_only(readOnly); };
    link_.hooks.paintMark = [this](TColor c) {
        if (TQelSpecialAdvEdit* e = getEditor(0))
            e->SetColor(c);
    };
    link_.hooks.pathChanged = [this](const std::string&) { refDef_ = nullptr; };

    savedColor_ = Color();
    savedBorder_ = get_BorderStyle();
    savedButton_ = DropButton() && DropButton()->Visible();
    PublishBinding(qelPublishAll);
    Publish<&TQelDataMultiEdit::get_NullRefsAllowed, &TQelDataMultiEdit::set_NullRefsAllowed>(
        "NullRefsAllowed");
    Publish<&TQelDataMultiEdit::get_SQLSelect, &TQelDataMultiEdit::set_SQLSelect>("SQLSelect");
    Publish<&TQelDataMultiEdit::get_SQLRestriction, &TQelDataMultiEdit::set_SQLRestriction>("SQLRestriction");
    Publish<&TQelDataMultiEdit::get_SQLOrder, &TQelDataMultiEdit::set_SQLOrder>("SQLOrder");
    Publish<&TQelDataMultiEdit::get_RestrictedClassType, &TQelDataMultiEdit::set_RestrictedClassType>(
        "RestrictedClassType");
    Publish<&TQelDataMultiEdit::get_DefaultViewName, &TQelDataMultiEdit::set_DefaultViewName>(
        "DefaultViewName");
}

TQelDataMultiEdit::~TQelDataMultiEdit() = default;

// --- values ------------------------------------------------------------------------------------

TObject* TQelDataMultiEdit::KeyItem(TQelObjectKey key)
{
    auto& item = items_[key.Id()];
    if (!item)
        item = std::make_unique<TQelComboItem>(key);
    return item.get();
}

TQelObjectKey TQelDataMultiEdit::get_SelectedKeys(int i) const
{
    const TStrings* v = getValues();
    if (i < 0 || i >= v->Count())
        return {};
    auto* item = dynamic_cast<TQelComboItem*>(v->Objects(i));
    return item ? item->key : TQelObjectKey();
}

TQelRefField* TQelDataMultiEdit::get_field(int n) const
{
    if (TQelVector* v = vector()) {
        TQelFieldList* fl = refDef_ ? v->FieldList(n) : nullptr;
        return fl ? QelSafeCast<TQelRefField>(fl->FieldByName(refDef_->Name())) : nullptr;
    }
    return n == 1 ? refField() : nullptr;
}

TQelClassKey TQelDataMultiEdit::get_RefClassType() const
{
    TQelClassKey cls = refDef_ ? refDef_->ReferencedClass() : TQelClassKey();
    if (cls.Valid() && !restrictedClassType_.empty())
        if (TQelDatabase* db = QelDatabase())
            if (const TQelKlasse* k = db->FindClass(restrictedClassType_); k && k->Key().DerivesFrom(cls))
                cls = k->Key();
    return cls;
}

std::string TQelDataMultiEdit::obj_name(TQelObject* obj)
{
    if (!obj)
        return {};
    std::string name = obj->Name();
    if (GetObjectName)
        GetObjectName(this, obj, name);
    return name;
}

void TQelDataMultiEdit::Reload()
{
    // Showing the values repaints, which would read them again; and while the control writes,
    // the elements it touches tell it so, but the values are its own.
    if (reloading_ || link_.Writing())
        return;
    TFlagScope guard(reloading_);
    TStringList list;
    const int n = vector() ? vector()->Count() : (refField() ? 1 : 0);
    for (int i = 1; i <= n; ++i) {
        TQelRefField* f = get_field(i);
        if (TQelObject* obj = f ? f->get_AsObject() : nullptr)
            list.AddObject(obj_name(obj), KeyItem(obj->Key()));
    }
    const auto showing = link_.ShowScope(); // what is shown is no user input
    setValues(&list);
}

void TQelDataMultiEdit::Repaint()
{
    // Not while the control writes: the values are its own then.
    if (!reloading_ && !link_.Writing())
        TQelDataControl::Repaint();
}

void TQelDataMultiEdit::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
        // Elements added or removed elsewhere; the control's own writes keep their values.
        if (vector() && !link_.Writing())
            Reload();
        m.Result = 0;
        return;
    case WM_OC_GETFIELD:
        // The bound vector or field; the link alone answers fields only.
        m.Result = QelOIToParam(link_.OI());
        return;
    default:
        TQelDataControl::WndProc(m);
    }
}

void TQelDataMultiEdit::AddKey(TQelObjectKey key)
{
    if (!key.Valid())
        return;
    const TStrings* v = getValues();
    for (int i = 0; i < v->Count(); ++i)
        if (get_SelectedKeys(i) == key)
            return;
    TQelDatabase* db = QelDatabase();
    TQelObject* obj = db ? db->GetObjectA(key) : nullptr;
    if (!obj)
        return;
    TStringList list;
    for (int i = 0; i < v->Count(); ++i)
        list.AddObject(v->Get(i), v->Objects(i));
    if (list.Count() > 0 && !get_SelectedKeys(list.Count() - 1).Valid())
        list.Delete(list.Count() - 1);
    list.AddObject(obj_name(obj), KeyItem(key));
    setValues(&list);
}

// --- writing -----------------------------------------------------------------------------------

void TQelDataMultiEdit::Change()
{
    if (get_Connected() && !link_.Showing()) {
        link_.Write();
        link_.Edited();
    }
    TQelMultiEdit::Change();
}

void TQelDataMultiEdit::write()
{
    const TStrings* v = getValues();
    TQelVector* vec = vector();
    int counter = 1;
    for (int i = 0; i < v->Count(); ++i) {
        const TQelObjectKey key = get_SelectedKeys(i);
        if (!key.Valid() && (!nullRefsAllowed_ || Trim(v->Get(i)).empty()))
            continue; // free text, and the empty editor that waits for typing
        if (vec) {
            while (vec->Count() < counter && vec->Add()) { }
            if (vec->Count() < counter)
                break; // the vector is full
        }
        if (TQelRefField* f = get_field(counter))
            f->set_AsKey(key);
        ++counter;
        if (!vec)
            break;
    }
    if (vec) {
        for (int j = vec->Count(); j >= counter; --j)
            vec->Delete(j);
    } else if (TQelRefField* f = refField(); f && counter == 1 && f->AsKey().Valid()) {
        f->set_AsKey(TQelObjectKey()); // the value was untied or removed
    }
}

bool TQelDataMultiEdit::RemoveItem(int index)
{
    if (!get_Connected())
        return false;
    if (index < 0)
        return true;
    const auto writing = link_.WriteScope();
    if (TQelVector* vec = vector())
        return index + 1 > vec->Count() ? true : vec->Delete(index + 1);
    if (index == 0)
        if (TQelRefField* f = refField())
            f->set_AsKey(TQelObjectKey());
    return true;
}

// --- lookup ------------------------------------------------------------------------------------

bool TQelDataMultiEdit::ignore_lookup_minlength()
{
    return TQelMultiEdit::ignore_lookup_minlength() || !sqlRestriction_.empty();
}

std::unique_ptr<TQelSQLQuery> TQelDataMultiEdit::lookup_query(
    TQelClassKey cls, std::string condition, int maxRows)
{
    TQelDatabase* db = QelDatabase();
    std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
    if (sqlSelect_.empty()) {
        const TQelKlasse* k = db->Klasse(cls);
        const TQelNameColumns names(k);
        const std::string head = names.Fields().empty()
            ? std::string("K")
            : k->TableName() + "." + names.Fields().front()->ColumnName();
        return engine->ListEx(
            cls, kLookupFlags, replaceAll(condition, "@HEAD@", head), names.FieldNames(), sqlOrder_, maxRows);
    }
    std::string statement = sqlSelect_;
    if (!condition.empty())
        statement
            = TQelCombo::sql_add_condition(statement, replaceAll(condition, "@HEAD@", headColumn(statement)));
    if (!sqlOrder_.empty())
        statement += " ORDER BY " + sqlOrder_;
    return engine->SetExtended(statement, cls);
}

bool TQelDataMultiEdit::DoLookup(const std::string& text, TStrings* results, int& index)
{
    results->Clear();
    TQelDatabase* db = QelDatabase();
    const TQelClassKey cls = get_RefClassType();
    if (!get_Connected() || !db || !db->Klasse(cls))
        return false;
    const std::string restriction = sqlRestriction_.empty()
        ? std::string()
        : TQelCommonMethods::ExpandRestriction(cls, sqlRestriction_, text);
    std::string condition;
    const std::string typed = Trim(text);
    if (!typed.empty())
        condition = prefixCondition(typed, *db->CreateSQLDialect());
    if (GetSearchConditionEvent)
        GetSearchConditionEvent(this, text, condition);
    if (!restriction.empty())
        condition = condition.empty() ? restriction : "(" + condition + ") AND " + restriction;

    const int maxItems = get_LookupMaxItems();
    std::unique_ptr<TQelSQLQuery> q;
    try {
        q = lookup_query(cls, condition, maxItems + 1);
    } catch (const std::exception& e) {
        QelLogError("TQelDataMultiEdit::DoLookup(): %s", e.what());
        return true;
    }
    if (!q->TryOpen()) {
        QelLogError("TQelDataMultiEdit::DoLookup(): %s", q->ErrorMessage());
        return true;
    }
    const TQelNameColumns names(db->Klasse(cls));
    int rows = 0;
    for (; !q->Eof(); q->Next()) {
        if (++rows > maxItems) {
            results->Clear(); // too many to offer: the user types on
            break;
        }
        const TQelObjectKey key(static_cast<int>(q->AsInteger(0)));
        const std::string name = sqlSelect_.empty() ? names.NameOf(*q, 1, key)
            : q->FieldCount() > 1                   ? q->AsString(1)
                                                    : key.ToString();
        results->AddObject(name, KeyItem(key));
    }
    q->Close();
    index = 0;
    return true;
}

void TQelDataMultiEdit::DoOpenObject(TObject* obj)
{
    TQelMultiEdit::DoOpenObject(obj);
    if (auto* item = dynamic_cast<TQelComboItem*>(obj))
        OnOpenObjectKey(this, item->key);
}

// --- look --------------------------------------------------------------------------------------

void TQelDataMultiEdit::ShowListbox()
{
    if (!get_ReadOnly())
        TQelMultiEdit::ShowListbox();
}

void TQelDataMultiEdit::ChangeEditors()
{
    TQelMultiEdit::ChangeEditors();
    for (int i = 0; i < getEditorsCount(); ++i) {
        getEditor(i)->SetReadOnly(readOnlyLook_);
        if (readOnlyLook_)
            getEditor(i)->SetColor(clBtnFace);
    }
}

void TQelDataMultiEdit::apply_read_only(bool readOnly)
{
    if (readOnly == readOnlyLook_)
        return;
    if (readOnly) {
        savedColor_ = Color();
        savedBorder_ = get_BorderStyle();
        savedButton_ = DropButton() && DropButton()->Visible();
        SetColor(clBtnFace);
        set_BorderStyle(mbsNone);
        if (DropButton())
            DropButton()->SetVisible(false);
    } else {
        SetColor(savedColor_);
        set_BorderStyle(savedBorder_);
        if (DropButton())
            DropButton()->SetVisible(savedButton_);
    }
    readOnlyLook_ = readOnly;
    ChangeEditors();
}

void TQelDataMultiEdit::set_mark(bool on, int flags, TColor color)
{
    link_.SetMark(on ? 1 : 0, color, static_cast<unsigned>(flags));
}

void TQelDataMultiEdit::DoExit()
{
    if (link_.Marked())
        link_.Unmark();
    TQelMultiEdit::DoExit();
}
