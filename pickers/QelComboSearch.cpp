// The database side of the combo: the listed class, search conditions, the query that fills the
// list of a reference field, the popup commands on the referenced object and extending a choice
// field's value domain.
#include "binding/qelownmenu.h"
#include "pickers/QelCombo.h"
#include "pickers/qelrefdelete.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/dialogs.h"

namespace {

const char* const kCreate = "%s definieren...";
const char* const kEdit = "%s '%s' bearbeiten...";
const char* const kDelete = "%s '%s' löschen";
const char* const kExtendCaption = "Wertebereich erweitern?";

// Flags of the list query: objects not deleted, no meta fields.
constexpr int kListFlags = lfNotDeleted | lfNoMetaFields;

} // namespace

TQelClassKey TQelCombo::ref_ct() const
{
    TQelClassKey cls;
    if (TQelRefField* ref = get_RefField())
        cls = ref->ClassType();
    if (get_SearchMode() && searchDef_->ReferencedClass().Valid())
        cls = searchDef_->ReferencedClass();
    if (cls.Valid() && !restrictedClassType_.empty())
        if (TQelDatabase* db = QelDatabase())
            if (const TQelKlasse* k = db->FindClass(restrictedClassType_); k && k->Key().DerivesFrom(cls))
                cls = k->Key();
    return cls;
}

std::string TQelCombo::get_ColumnName() const
{
    if (TQelField* f = Field())
        return TQelCommonMethods::SqlColumnName(f);
    if (get_SearchMode() && searchDef_->owner)
        return searchDef_->owner->TableName() + "." + searchDef_->ColumnName();
    return {};
}

std::string TQelCombo::list_column() const
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* cls = db ? db->Klasse(ref_ct()) : nullptr;
    if (!cls)
        return {};
    std::string column = Trim(showColumn_);
    if (column.size() > 2 && column.front() == '<' && column.back() == '>')
        column = column.substr(1, column.size() - 2);
    const TQelFelddefinition* def = column.empty() ? nullptr : cls->FindFelddefinition(column);
    if (!def) {
        const auto fields = QelTemplateFields(cls, column.empty() ? cls->NameFormat() : showColumn_);
        def = fields.empty() ? nullptr : fields.front();
    }
    return def ? cls->TableName() + "." + def->ColumnName() : std::string();
}

std::string TQelCombo::sql_add_condition(const std::string& statement, const std::string& condition)
{
    if (condition.empty())
        return statement;
    const bool hasWhere = AnsiUpperCase(statement).find(" WHERE ") != std::string::npos;
    return statement + (hasWhere ? " AND " : " WHERE ") + "(" + condition + ")";
}

std::string TQelCombo::make_search_condition(const std::string& text, bool byKeys)
{
    return search_condition(text, byKeys, get_ColumnName());
}

std::string TQelCombo::search_condition(const std::string& text, bool byKeys, const std::string& column)
{
    std::string t = Trim(text);
    if (t.empty() && Style() == csDropDown) {
        const std::string selected = get_SelectedText();
        if (static_cast<int>(Utf8Length(selected)) >= minSelTextLength_) {
            t = selected;
            const int start = SelStart(), length = SelLength();
            if (Focused() && start > 0 && length > 0) // the completed tail is no search text
                t = Utf8Substr(selected, 0, static_cast<std::size_t>(start))
                    + Utf8Substr(selected, static_cast<std::size_t>(start + length));
            if (const std::size_t bracket = t.find('['); bracket != std::string::npos)
                t = TrimRight(t.substr(0, bracket));
            t = Trim(t);
        }
    }
    if (t.empty() || column.empty())
        return {};
    TQelDatabase* db = QelDatabase();
    const std::unique_ptr<TQelSQLDialect> dialect
        = db ? db->CreateSQLDialect() : std::make_unique<TQelSQLDialect>();
    const TStrings& items = Items();

    if (byKeys && ref_ct().Valid()) {
        std::vector<int> keys;
        for (int i = 0; i < items.Count(); ++i) {
            const std::string item = items[i];
            const TQelObjectKey key = get_Key(i);
            if (!key.Valid())
                continue;
            if (AnsiSameText(item, t)) {
                keys.assign(1, key.Id());
                break;
            }
            if (TextStartsWithCI(item, t) && std::find(keys.begin(), keys.end(), key.Id()) == keys.end())
                keys.push_back(key.Id());
        }
        if (static_cast<int>(keys.size()) > dialect->MaxElemsInValueList())
            return {};
        if (keys.empty())
            return column + " = 0";
        if (keys.size() == 1)
            return column + " = " + std::to_string(keys.front());
        std::string in = column + " IN (" + std::to_string(keys.front());
        for (std::size_t i = 1; i < keys.size(); ++i)
            in += "," + std::to_string(keys[i]);
        return in + ")";
    }

    for (int i = 0; i < items.Count(); ++i)
        if (items[i] == t)
            return column + " = " + dialect->ValueString(t);

    return TQelCommonMethods::TextSearchCond(column, t);
}

std::string TQelCombo::expand_restriction(TQelClassKey cls) const
{
    return TQelCommonMethods::ExpandRestriction(cls, sqlRestriction_, GetText());
}

void TQelCombo::load_list(bool notify, const std::string& condition, bool)
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized())
        return;
    const bool hadFocus = !link_.ReadOnly() && Focused();
    TStrings& items = Items();
    if (showCompleteList_ && items.Count() > 0)
        return; // the complete list is loaded once
    const TQelClassKey cls = ref_ct();
    // An application's own statement is restricted even where no class is listed.
    const std::string restriction = (cls.Valid() || !sqlSelect_.empty()) && !sqlRestriction_.empty()
        ? expand_restriction(cls)
        : std::string();

    std::string cond = condition;
    if (sqlSelect_.empty()) {
        if (showCompleteList_) {
            cond = restriction;
        } else {
            if (cond.empty())
                cond = search_condition("", false, list_column());
            if (minSelTextLength_ > 0 && cond.empty()) {
                clear_items();
                return; // too little typed
            }
            if (!restriction.empty())
                cond = cond.empty() ? restriction : restriction + " AND (" + cond + ")";
        }
    }
    // Cleared once the typed text was read (clearing drops the edit field's selection).
    clear_items();

    const TQelKlasse* k = db->Klasse(cls);
    std::string column = Trim(showColumn_);
    if (column.size() > 2 && column.front() == '<' && column.back() == '>'
        && column.find('<', 1) == std::string::npos)
        column = column.substr(1, column.size() - 2);
    std::vector<const TQelFelddefinition*> nameFields;
    std::string format;
    std::unique_ptr<TQelNameColumns> rowTemplate;
    std::unique_ptr<TQelSQLQuery> q;
    try {
        std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
        if (sqlSelect_.empty()) {
            if (!k)
                return;
            std::string fields;
            if (!column.empty() && k->FindFelddefinition(column)) {
                fields = column;
            } else if (column.empty()) {
                // The object's name from the columns its template names, without loading objects.
                format = k->NameFormat();
                rowTemplate = std::make_unique<TQelNameColumns>(k, format);
                nameFields = rowTemplate->Fields();
                fields = rowTemplate->FieldNames();
            }
            q = engine->ListEx(cls, kListFlags, cond, fields, "", 0);
        } else {
            q = engine->SetExtended(sql_add_condition(sql_add_condition(sqlSelect_, restriction), cond), cls);
        }
    } catch (const std::exception& e) {
        QelLogError("TQelCombo::load_list(): %s", e.what());
        return;
    }
    if (!q->TryOpen()) {
        QelLogError("TQelCombo::load_list(): %s", q->ErrorMessage());
        return;
    }
    const int textColumn = column.empty() ? -1 : q->FindField(column);
    BeforeReload(this, cond);
    int widest = 0;
    std::size_t longest = 0;
    int measured = 0;
    items.BeginUpdate();
    SetSorted(sorted_);
    const std::string template_
        = Trim(showColumn_).find('<') == std::string::npos ? "<" + column + ">" : Trim(showColumn_);
    for (; !q->Eof(); q->Next()) {
        const TQelObjectKey key(static_cast<int>(q->AsInteger(0)));
        std::string text;
        if (textColumn >= 0) {
            text = q->AsString(textColumn);
        } else if (!format.empty() || (column.empty() && sqlSelect_.empty())) {
            text = nameFields.empty() ? k->Name() + " " + key.ToString() : rowTemplate->Fill(*q, 1);
        } else if (!sqlSelect_.empty() || column.empty()) {
            for (int c = 1; c < q->FieldCount(); ++c)
                text += (c > 1 ? ";" : "") + q->AsString(c);
        } else {
            TQelObject* obj = db->GetObjectA(key);
            text = obj ? obj->MakeName(template_, "") : std::string();
        }
        if (OnAddItem) {
            bool accept = true;
            OnAddItem(this, key, text, accept);
            if (!accept)
                continue;
        }
        if (text.empty())
            continue;
        items.AddObject(text, pool_item(key));
        // Measuring every text costs more than the query: only the few longest are measured.
        if (text.size() > longest || (text.size() == longest && measured < 8)) {
            measured = text.size() > longest ? 1 : measured + 1;
            longest = text.size();
            widest = std::max(widest, TextWidth(text));
        }
    }
    items.EndUpdate();
    SetSorted(false);
    insert_fav();
    AfterReload(this, cond);
    q->Close();
    set_drop_width(widest);

    // What was typed is completed by the first item that starts with it; the field takes it
    // when the user accepts it (Enter, leaving the combo).
    const std::string text = GetText();
    if (Editable() && !text.empty() && find_prefix(text) >= 0)
        set_SelectedText(text + "*");
    if (hadFocus && items.Count() > 0)
        SetDroppedDown(true);
    if (notify && get_SearchMode() && searchPanel_)
        searchPanel_->Perform(WM_OC_SEARCHCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(this)));
    else if (!get_SearchMode() && !hadFocus)
        Repaint(); // the field's value again (not while the user types)
}

// Popup menu.

void TQelCombo::init_popupmenu()
{
    TQelRefField* ref = get_RefField();
    const bool wanted = !link_.ReadOnly() && get_Connected()
        && ((options_.Contains(coChoiceAdmin) && get_ChoiceField())
            || (options_.Contains(coRefObjAdmin) && ref));
    TPopupMenu* menu = QelOwnPopupMenu(this, wanted);
    if (!menu)
        return;
    if (!ref)
        return;
    const TQelClassKey cls = ref_ct();
    TQelObject* obj = ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    const std::string np = MakeNP(cls, "", 4, true, 'm');
    if (OnEditRefObj)
        menu->Items()->Add(
            TQelCommonMethods::MakeMenuItem(menu, FormatStr(kCreate, MakeNP(cls, "Neu", 4, true, 'm')),
                "Ctrl+N", TNotifyEvent(this, &TQelCombo::create_refobj_event)));
    if (obj && OnEditRefObj)
        menu->Items()->Add(TQelCommonMethods::MakeMenuItem(menu, FormatStr(kEdit, np, ref_name(obj)),
            "Ctrl+B", TNotifyEvent(this, &TQelCombo::edit_refobj_event)));
    if (obj)
        menu->Items()->Add(TQelCommonMethods::MakeMenuItem(menu, FormatStr(kDelete, np, ref_name(obj)),
            "Ctrl+L", TNotifyEvent(this, &TQelCombo::drop_refobj_event)));
}

void TQelCombo::create_refobj_event(TObject*)
{
    TQelRefField* ref = get_RefField();
    TQelDatabase* db = QelDatabase();
    if (!ref || !db || !OnEditRefObj || !options_.Contains(coRefObjAdmin))
        return;
    TQelObject* obj = db->CreateObject(ref_ct());
    if (!obj)
        return;
    const std::weak_ptr<bool> alive = obj->LifeToken();
    OnEditRefObj(this, obj);
    if (alive.expired())
        return;
    if (obj->IsNew()) {
        db->FreeObject(obj); // not stored: nothing to refer to
        return;
    }
    clear_items();
    load_list(true, "");
    ref->set_AsObject(obj);
}

void TQelCombo::edit_refobj_event(TObject*)
{
    TQelRefField* ref = get_RefField();
    TQelObject* obj = ref && ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    if (!obj || !OnEditRefObj || !options_.Contains(coRefObjAdmin))
        return;
    const TQelObjectKey key = obj->Key();
    const std::string before = ref_name(obj);
    OnEditRefObj(this, obj);
    TQelObject* after = ref->get_AsObject();
    const std::string now = after ? ref_name(after) : std::string();
    if (now.empty() || now == before)
        return;
    for (int i = 0; i < Items().Count(); ++i)
        if (get_Key(i) == key)
            Items().Put(i, now);
    Repaint();
}

void TQelCombo::drop_refobj_event(TObject*)
{
    TQelRefField* ref = get_RefField();
    TQelObject* obj = ref && ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    if (!obj || !options_.Contains(coRefObjAdmin) || !QelDeleteReferencedObject(ref, ref_name(obj)))
        return;
    clear_items();
    load_list(true, "");
}

// Value domains.

void TQelCombo::extend_domain_event(
    TQelChoiceField* field, TQelFieldKey fieldType, const std::string& value, int& result)
{
    if (!field && !fieldType.Valid()) {
        result = IDCANCEL;
        return;
    }
    std::string question = "Soll der Wertebereich für ";
    question += fieldType.Valid() ? FormatStr("den Datentyp '%s' ", fieldType.Name())
                                  : FormatStr("das Feld '%s' ", field->Name());
    question += FormatStr(" um den Wert '%s' erweitert werden?", value);
    result = Application()->MessageBox(question, kExtendCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
}

bool TQelCombo::ExtendDomain(const std::string& value)
{
    TQelChoiceField* choice = get_ChoiceField();
    TQelDatabase* db = choice ? choice->Database() : nullptr;
    const std::string v = Trim(value);
    if (!db || v.empty() || choice->InDomain(v))
        return false;
    // A domain declared by the field type is the type's; otherwise the field's own.
    const TQelFelddefinition* def = choice->Definition();
    const TQelFieldKey type = def->domain.empty() ? def->Feldtyp() : TQelFieldKey();
    int result = IDCANCEL;
    extend_domain_event(choice, type, v, result);
    if (result != IDYES)
        return false;
    if (!db->ExtendDomain(def, type, v)) {
        QelLogError("TQelCombo::ExtendDomain(): %s", db->LastDomainError());
        return false;
    }
    load_choice_domain();
    {
        auto writing = link_.WriteScope();
        choice->set_AsString(v);
    }
    set_SelectedText(v);
    return true;
}
