// TQelRevVectorGrid: creating, deleting, committing and rolling back the referring objects,
// in-place editing, keys, mouse, the reference menu and hints.
#include "vectors/QelRevVectorGrid.h"

#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qellogging.h"
#include "objdb/qelfilefield.h"
#include "vectors/qelvectorkit.h"

#include "toolkit/dialogs.h"
#include "toolkit/menus.h"
#include "toolkit/minihtml.h"
#include "toolkit/toolbar.h"

namespace {

constexpr const char* kDeleteCaption = "Element löschen";
constexpr const char* kEditDropped
    = "Das Objekt dieser Zeile gibt es nicht mehr; die Eingabe wurde verworfen.";

// A field whose contents a program of their own opens: text and file contents.
bool opensWithProgram(const TQelField* f)
{
    return dynamic_cast<const TQelBlobField*>(f) || dynamic_cast<const TQelFileField*>(f);
}

std::string className(TQelClassKey key)
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* cls = db ? db->Klasse(key) : nullptr;
    return cls ? cls->name : std::string();
}

} // namespace

// ---- creating -----------------------------------------------------------------------------------

std::string TQelRevVectorGrid::instance_field_name() const
{
    const TQelRVGBase base = get_base_fd();
    if (fieldName_.empty())
        return base.Field ? base.Field->Name() : std::string();
    const std::size_t dot = fieldName_.find('.');
    if (dot == std::string::npos)
        return Trim(fieldName_);
    const std::string vectorPart = Trim(fieldName_.substr(0, dot));
    if (!vectorPart.empty() && vectorPart.back() == ']')
        return fieldName_;
    if (fieldName_.find('[') != std::string::npos) {
        // "Vector[condition].Field": the new object gets the reference in its first element.
        const std::size_t close = fieldName_.rfind(']');
        const std::size_t fieldDot
            = close == std::string::npos ? std::string::npos : fieldName_.find('.', close);
        if (fieldDot == std::string::npos)
            return {};
        return Trim(fieldName_.substr(0, fieldName_.find('['))) + "[0]" + fieldName_.substr(fieldDot);
    }
    return vectorPart + "[0]." + Trim(fieldName_.substr(dot + 1));
}

void TQelRevVectorGrid::add_item()
{
    if (readOnly_ || !addLink_ || !Connected())
        return;
    int cp = 1;
    try {
        TQelDatabase* db = QelDatabase();
        const TQelKlasse* cls = db ? db->FindClass(className_) : nullptr;
        if (!cls)
            return;
        TQelObject* obj = nullptr;
        if (OnCreateObject)
            OnCreateObject(this, cls->Key(), obj);
        else
            obj = db->CreateObject(cls->Key());
        if (!obj)
            return;
        cp = 2;
        if (auto* ref = dynamic_cast<TQelRefField*>(obj->FieldList()->FindField(instance_field_name(), true)))
            ref->set_AsObject(current_);
        cp = 3;
        if (!keyRow_.count(obj->Key().Id())) {
            keyRow_.emplace(obj->Key().Id(), ObjectCount());
            rows_.push_back({ obj->Key() });
        }
        cp = 4;
        Reload(0);
        cp = 5;
        const int row = get_row(obj);
        if (row > 0)
            FocusCell(0, row);
        cp = 6;
        if (options_.Contains(rvoAutoOpenObject))
            click_orf(nullptr);
        cp = 7;
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelRevVectorGrid::add_item(), nach CP %d: %s", cp, e.what());
        throw;
    }
}

// ---- deleting -----------------------------------------------------------------------------------

void TQelRevVectorGrid::delete_obj_event()
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->FindClass(className_) || !editable() || !options_.Contains(rvoDeleteAllowed))
        return;
    TQelObject* obj = nullptr;
    if (options_.Contains(rvoMRD))
        obj = get_Object(Row());
    else if (TQelRefField* ref = current_orf(); ref && ref->AsKey().Valid())
        obj = ref->get_AsObject();
    if (!obj)
        return;
    const std::string name = obj->Name();
    bool allow = obj->IsNew() || obj->CanDelete(true, true);
    if (!allow) {
        Dialogs().MessageBox(MakeNP(obj->ClassKey(), "D", 1, true, 'm') + " '" + name
                + "' kann nicht gelöscht werden.\n\n" + obj->ErrorMessage(),
            kDeleteCaption, MB_OK | MB_ICONERROR);
        return;
    }
    if (!obj->IsNew())
        BeforeDeleteObject(this, obj->Key(), allow);
    if (!allow)
        return;
    if (options_.Contains(rvoDeleteQuery)
        && !QelConfirmDelete(MakeNP(obj->ClassKey(), "d,gewählt", 1, true, 'm'), name))
        return;
    SetEditMode(false);
    plain_.Drop();
    const TQelObjectKey key = obj->Key();
    if (obj->IsNew()) {
        db->FreeObject(obj, 0);
        Reload(0);
        return;
    }
    if (!db->DeleteObject(key, true)) {
        Dialogs().MessageBox(
            "Löschen gescheitert:\n\n" + obj->ErrorMessage(), kDeleteCaption, MB_OK | MB_ICONERROR);
        return;
    }
    remove_row(key);
}

// ---- committing and rolling back ----------------------------------------------------------------

// Nothing but the reference to the current object (and defaults) is filled in.
bool TQelRevVectorGrid::only_link(TQelFieldList* fl) const
{
    for (int i = 1; i <= fl->FieldCount(); ++i) {
        TQelField* f = fl->Field(i);
        if (auto* ref = dynamic_cast<TQelRefField*>(f); ref && current_ && ref->AsKey() == current_->Key())
            continue;
        if (!f->NullOrDefault())
            return false;
    }
    for (int i = 1; i <= fl->VectorCount(); ++i) {
        TQelVector* v = fl->Vector(i);
        for (int e = 1; e <= v->Count(); ++e)
            if (!only_link(v->FieldList(e)))
                return false;
    }
    return true;
}

void TQelRevVectorGrid::drop_edit()
{
    const bool edited = plain_.Edited;
    plain_.Drop();
    if (!edited)
        return;
    Dialogs().MessageBox(kEditDropped, "Hinweis", MB_OK | MB_ICONWARNING);
}

void TQelRevVectorGrid::CommitAll()
{
    TQelDatabase* db = QelDatabase();
    if (!db)
        return;
    write_plain_text();
    const std::vector<TRow> rows = rows_;
    for (const TRow& row : rows) {
        TQelObject* obj = cached(row.key);
        if (!obj)
            continue; // not in memory: nothing changed
        if (obj->IsNew() && only_link(obj->FieldList())) {
            db->FreeObject(obj, 0);
            continue;
        }
        if (!obj->get_Touched() && !obj->IsNew())
            continue;
        if (!obj->Commit())
            MessageDlg("Speichern " + MakeNP(obj->ClassKey(), "d", 1, true, 'm') + " '" + obj->Name()
                    + "' gescheitert:\n\n" + obj->ErrorMessage(),
                mtError, TMsgDlgButtons() << mbOK);
    }
}

void TQelRevVectorGrid::RollbackAll()
{
    TQelDatabase* db = QelDatabase();
    if (!db)
        return;
    plain_.Cancel(this);
    const std::vector<TRow> rows = rows_;
    for (const TRow& row : rows) {
        TQelObject* obj = cached(row.key);
        if (!obj)
            continue;
        if (obj->IsNew())
            db->FreeObject(obj, 0);
        else
            obj->Rollback("");
    }
    Reload(0);
}

// ---- activating cells ---------------------------------------------------------------------------

void TQelRevVectorGrid::activate_field(TQelField* field, bool explicitly, const TQelRVGInfo* info)
{
    int cp = 0;
    try {
        auto* ref = dynamic_cast<TQelRefField*>(field);
        if (!info || info->NoRef || info->Combo
            || (!ref && !info->ObjRef && (!explicitly || options_.Contains(rvoFieldEdit)))) {
            cp = 1;
            if (options_.Contains(rvoFieldEdit) && field) {
                if (auto* tf = dynamic_cast<TQelTextField*>(field))
                    OnOpenText(this, tf, readOnly_);
                else if (opensWithProgram(field))
                    TQelCommonMethods::OpenFieldWithProgram(field);
            }
            return;
        }
        cp = 2;
        click_orf(info->ObjRef ? nullptr : ref);
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelRevVectorGrid::activate_field(fi = %s), nach CP %d: %s",
            field ? field->Name() : std::string("(null)"), cp, e.what());
        throw;
    }
}

void TQelRevVectorGrid::click_orf(TQelRefField* ref)
{
    int cp = 0;
    try {
        if (!ref) {
            cp = 1;
            if (OnOpenObject)
                if (TQelObject* obj = get_Object(Row()))
                    OnOpenObject(this, obj, readOnly_);
            return;
        }
        if (ref->AsKey().Id() == 0) {
            cp = 2;
            if (!OnChooseObject)
                return;
            TQelObjectKey key;
            OnChooseObject(this, ref->ClassType(), key);
            if (key.Id() != 0) {
                ref->set_AsKey(key);
                read(-1, -1);
            }
            return;
        }
        cp = 3;
        if (OnOpenObject)
            if (TQelObject* target = ref->get_AsObject())
                OnOpenObject(this, target, readOnly_);
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelRevVectorGrid::click_orf(orf = %s), nach CP %d: %s",
            ref ? ref->Name() : std::string("(null)"), cp, e.what());
        throw;
    }
}

// ---- in-place editing ---------------------------------------------------------------------------

void TQelRevVectorGrid::write_plain_text()
{
    bool edited = false;
    TQelField* target = plain_.Take(edited);
    if (!edited)
        return;
    if (!target) {
        // The row's object went away while the text was typed.
        Dialogs().MessageBox(kEditDropped, "Hinweis", MB_OK | MB_ICONWARNING);
        return;
    }
    // Only into the field the text was typed for, and only while the cell still shows it.
    if (get_Field(Col(), Row()) != target)
        return;
    target->set_AsString(Cells(Col(), Row()));
}

void TQelRevVectorGrid::GetCellReadOnly(int col, int row, bool& answer)
{
    const TQelRVGColumn* c = ColumnAt(col);
    answer = false;
    if (!editable() || row < 1 || row > ObjectCount() || !c || !c->Info || c->Info->ReadOnly
        || c->Info->ObjRef)
        return;
    TQelField* f = get_Field(col, row);
    if (!f || f->IsA(qelft::LongText))
        return;
    answer = !f->IsA(qelft::Reference) || c->Info->Combo;
}

void TQelRevVectorGrid::GetEditorType(int col, int row, TEditorType& editor)
{
    int kind = editor;
    if (row == 0)
        kind = edNone;
    else if (row > ObjectCount())
        kind = editable() && col == 0 ? edNormal : edNone;
    else if (TQelField* f = get_Field(col, row))
        kind = TQelCommonMethods::SelectFieldEditor(&editorLinks_, this, f, 0);
    editor = static_cast<TEditorType>(kind);
    plain_.Open(kind, get_Field(col, row));
}

void TQelRevVectorGrid::SetEditText(int col, int row, const std::string& value)
{
    if (plain_.Kind == edCustom) {
        // The editor control wrote its field itself: the cell shows the field as it is now.
        read(col, row);
        return;
    }
    if (value != Cells(col, row))
        plain_.Edited = true;
    TQelGrid::SetEditText(col, row, value);
}

std::string TQelRevVectorGrid::GetEditText(int col, int row)
{
    // An editor starts from the field's own value: the cell shows a value that reads like
    // mark-up escaped, and an editor control writes what it is given.
    if (TQelField* f = row >= 1 && row <= ObjectCount() ? get_Field(col, row) : nullptr)
        return f->AsString();
    return TQelGrid::GetEditText(col, row);
}

bool TQelRevVectorGrid::SelectCell(int col, int row)
{
    // Inside the merged add row the base cell is selected.
    if (IsAddRow(row) && col != 0) {
        FocusCell(0, row);
        return false;
    }
    if (col != Col() || row != Row()) {
        const std::string text = Cells(Col(), Row());
        TQelField* f = plain_.Target;
        write_plain_text();
        if (!text.empty() && OnInvalidRefString)
            if (auto* ref = dynamic_cast<TQelRefField*>(f); ref && ref->Null())
                OnInvalidRefString(this, text, ref);
    }
    if (!TQelGrid::SelectCell(col, row))
        return false;
    // A value is edited in its raw form.
    if (TQelField* f = row >= 1 && row <= ObjectCount() ? get_Field(col, row) : nullptr;
        f && QelEditsRawValue(f))
        SetCells(col, row, f->AsString());
    return true;
}

void TQelRevVectorGrid::DoExit()
{
    if (!EditorMode())
        write_plain_text();
    TQelGrid::DoExit();
    link_.TellFormExit();
}

// ---- keys and mouse -----------------------------------------------------------------------------

void TQelRevVectorGrid::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_ESCAPE) {
        plain_.Cancel(this);
        if (TQelField* f = get_CurrentField()) {
            f->Rollback("");
            read(-1, -1);
        }
        key = 0;
        return;
    }
    if (key == VK_F5) {
        Reload(0);
        key = 0;
        return;
    }
    TQelGrid::KeyDown(key, shift);
}

void TQelRevVectorGrid::KeyPress(char32_t& key)
{
    if (key == U' ' && Connected() && !EditorMode()) {
        if (IsAddRow(Row())) {
            key = 0;
            add_item();
            return;
        }
        if (Row() >= 1 && Row() <= ObjectCount()) {
            TQelField* f = get_CurrentField();
            if (!f || f->IsA(qelft::Reference) || opensWithProgram(f) || !options_.Contains(rvoFieldEdit)) {
                key = 0;
                activate_field(f, true, current_rvgi());
                return;
            }
        }
    }
    TQelGrid::KeyPress(key);
}

void TQelRevVectorGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TQelGrid::MouseDown(button, shift, x, y);
    if (!Connected())
        return;
    int col = 0, row = 0;
    MouseToCell(x, y, col, row);
    if (button == mbLeft) {
        if (IsAddRow(row)) {
            add_item();
            return;
        }
        if (row >= 1 && row <= ObjectCount()) {
            const TQelRVGColumn* c = ColumnAt(col);
            activate_field(get_Field(col, row), false, c ? c->Info.get() : nullptr);
        }
        return;
    }
    if (button == mbRight && editable() && row >= 1 && row <= ObjectCount() && menu_) {
        FocusCell(col, row);
        const TQelRVGInfo* info = current_rvgi();
        if (!current_orf() && !(info && info->ObjRef))
            return;
        update_menu();
        QelPopupAt(this, menu_, x, y);
    }
}

// ---- menu and hints -----------------------------------------------------------------------------

void TQelRevVectorGrid::make_menu()
{
    if (!menu_)
        menu_ = new TPopupMenu(this);
    menu_->Items()->Clear();
    for (TMenuItem*& item : menuItems_)
        item = nullptr;
    menuItems_[0] = QelAddMenuItem(menu_, "... ändern", [this] {
        if (TQelRefField* ref = current_orf(); ref && OnChooseObject) {
            TQelObjectKey key = ref->AsKey();
            OnChooseObject(this, ref->ClassType(), key);
            ref->set_AsKey(key);
            read(-1, -1);
        }
    });
    menuItems_[1] = QelAddMenuItem(menu_, "Auswahl entfernen", [this] {
        if (TQelRefField* ref = current_orf()) {
            ref->set_Null(true);
            read(-1, -1);
        }
    });
    menuItems_[2] = QelAddMenuItem(menu_, "... bearbeiten", [this] {
        const TQelRVGInfo* info = current_rvgi();
        click_orf(info && info->ObjRef ? nullptr : current_orf());
    });
    if (options_.Contains(rvoDeleteAllowed)) {
        menuItems_[3] = QelAddMenuItem(
            menu_, "... löschen", [this] { delete_obj_event(); }, 11);
        if (toolBar_ && toolBar_->ButtonCount() > 0)
            toolBar_->Buttons(0)->OnClick = [this](TObject*) { delete_obj_event(); };
    }
}

void TQelRevVectorGrid::update_menu()
{
    const TQelRVGInfo* info = current_rvgi();
    TQelRefField* ref = current_orf();
    for (TMenuItem* item : menuItems_)
        if (item)
            item->SetVisible(true);
    if (info && info->ObjRef) {
        TQelObject* obj = get_Object(Row());
        for (int i : { 0, 1, 3 })
            if (menuItems_[i])
                menuItems_[i]->SetVisible(false);
        if (obj)
            menuItems_[2]->SetCaption(
                className(obj->ClassKey()) + " \"" + obj->Name() + "\" ansehen/bearbeiten...");
        menuItems_[2]->SetEnabled(static_cast<bool>(OnOpenObject));
        return;
    }
    if (!ref)
        return;
    const std::string type = className(ref->ClassType());
    TQelObject* target = ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    menuItems_[0]->SetCaption(type + " auswählen...");
    menuItems_[0]->SetEnabled(static_cast<bool>(OnChooseObject));
    menuItems_[1]->SetEnabled(!ref->Null());
    menuItems_[2]->SetVisible(ref->AsKey().Id() != 0);
    menuItems_[2]->SetCaption(
        type + " \"" + (target ? target->Name() : std::string()) + "\" ansehen/bearbeiten...");
    menuItems_[2]->SetEnabled(static_cast<bool>(OnOpenObject));
    if (menuItems_[3]) {
        TQelObject* victim = options_.Contains(rvoMRD) ? get_Object(Row()) : target;
        menuItems_[3]->SetCaption(
            (victim ? className(victim->ClassKey()) + " \"" + victim->Name() + "\"" : type) + " löschen...");
        menuItems_[3]->SetEnabled(victim != nullptr);
    }
}

void TQelRevVectorGrid::GetCellHint(int col, int row, std::string& hint)
{
    const TQelRVGColumn* c = ColumnAt(col);
    std::string mine;
    if (row == 0) {
        if (c && c->Info)
            mine = c->Info->Hint;
    } else if (c && c->Info && row <= ObjectCount()) {
        if (HintShowCells() && IsCellTruncated(col, row))
            mine = qel::minihtml::Strip(Cells(col, row));
        TQelField* f = get_Field(col, row);
        if (auto* ref = dynamic_cast<TQelRefField*>(f); ref && !c->Info->NoRef) {
            const std::string type = className(ref->ClassType());
            TQelObject* target = ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
            mine = ref->AsKey().Id() == 0
                ? type + " auswählen"
                : type + " \"" + (target ? target->Name() : std::string()) + "\" ansehen/bearbeiten";
        } else if (c->Info->ObjRef) {
            if (TQelObject* obj = get_Object(row))
                mine = className(obj->ClassKey()) + " \"" + obj->Name() + "\" ansehen/bearbeiten";
        } else if (f && f->IsA(qelft::LongText)) {
            TQelDatabase* db = f->Database();
            const TQelFeldtyp* ft = db ? db->Feldtyp(f->FieldType()) : nullptr;
            mine = (ft ? ft->name : std::string()) + " ansehen/bearbeiten";
        }
    }
    if (!mine.empty())
        hint = mine;
    else
        TQelGrid::GetCellHint(col, row, hint);
}
