// TQelVectorGrid: editing commands, in-place editors, popup menus, keys and mouse.
#include "vectors/QelVectorGrid.h"

#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qellogging.h"
#include "vectors/qelvectorkit.h"

#include "toolkit/dialogs.h"
#include "toolkit/menus.h"

namespace {

constexpr const char* kMaxReached = "Maximale Anzahl der Einträge erreicht!";
constexpr std::size_t kMaxNameInQuestion = 255;

} // namespace

// ---- editor state -------------------------------------------------------------------------------

void TQelVectorGrid::close_editor()
{
    if (EditorMode())
        HideInplaceEdit();
    write_plain_text();
}

void TQelVectorGrid::write_plain_text()
{
    bool edited = false;
    TQelField* target = plain_.Take(edited);
    if (!target || !edited)
        return;
    // Only into the field the text was typed for, and only while the cell still shows it.
    if (get_Field(Col(), Row()) != target)
        return;
    target->set_AsString(Cells(Col(), Row()));
}

bool TQelVectorGrid::canChangeVector() const
{
    return Connected() && editable();
}

// ---- commands -----------------------------------------------------------------------------------

void TQelVectorGrid::add_item()
{
    TQelVector* v = Vector();
    if (!v)
        return;
    int cp = 0;
    try {
        if (refused_at_max())
            return;
        close_editor();
        TQelSubObject* e = nullptr;
        {
            TFlagScope quiet(reloading_); // one reload below, not one per notification
            e = v->NewItem(0);
        }
        if (!e)
            return;
        cp = 1;
        OnAddItem(this, e);
        cp = 2;
        Reload();
        cp = 3;
        FocusCell(FixedCols(), vix2row(v->IndexOf(e)));
        cp = 4;
        if (options_.Contains(voAutoChooseObject))
            for (int c = FixedCols(); c < ColCount(); ++c)
                if (auto* ref = dynamic_cast<TQelRefField*>(get_Field(c, Row()))) {
                    FocusCell(c, Row());
                    click_orf(ref);
                    break;
                }
    } catch (const std::exception& ex) {
        QelLogError("Exception in TQelVectorGrid::add_item(), nach CP %d: %s", cp, ex.what());
        throw;
    }
}

TQelSubObject* TQelVectorGrid::insert_at(TQelVectorGridOption option, int index)
{
    TQelVector* v = Vector();
    if (!canChangeVector() || !options_.Contains(option) || hasOrderMap() || Row() < 1 || Row() > v->Count()
        || refused_at_max())
        return nullptr;
    close_editor();
    return v->Insert(index, -1);
}

bool TQelVectorGrid::refused_at_max() const
{
    TQelVector* v = Vector();
    if (!v || v->MaxCount() <= 0 || v->Count() < v->MaxCount())
        return false;
    ShowMessage(kMaxReached);
    return true;
}

void TQelVectorGrid::insert_item_event()
{
    if (TQelSubObject* e = insert_at(voInsertAllowed, Row())) {
        OnAddItem(this, e);
        set_VectorIndex(Vector()->IndexOf(e));
    }
}

void TQelVectorGrid::copy_item_event()
{
    TQelSubObject* source = get_CurrentSubObject();
    if (TQelSubObject* e = insert_at(voCopyAllowed, Row() + 1)) {
        e->Assign(source, 128, "");
        set_VectorIndex(Vector()->IndexOf(e));
    }
}

void TQelVectorGrid::delete_item_event()
{
    TQelSubObject* e = get_CurrentSubObject();
    if (!canChangeVector() || !options_.Contains(voDeleteAllowed) || Row() < 1 || !e)
        return;
    bool allow = true;
    BeforeRemoveItem(this, e, allow);
    if (!allow)
        return;
    std::string name = e->Name();
    if (Utf8Length(name) > kMaxNameInQuestion)
        name = Utf8Substr(name, 0, kMaxNameInQuestion) + "...";
    const std::string phrase = name_info_phrase("d,gewählt", 1);
    if (options_.Contains(voDeleteQuery) && !QelConfirmDelete(phrase, name))
        return;
    // The editor's text goes into its own element before the rows shift; a field of the removed
    // element is forgotten when it goes away.
    close_editor();
    Vector()->Remove(e);
    AfterRemoveItem(this);
}

void TQelVectorGrid::moveup_event()
{
    const int i = get_VectorIndex();
    if (canChangeVector() && !hasOrderMap() && i >= 2 && i <= ElementCount())
        exchange_items(i - 1, i, true);
}

void TQelVectorGrid::movedown_event()
{
    const int i = get_VectorIndex();
    if (canChangeVector() && !hasOrderMap() && i >= 1 && i < ElementCount())
        exchange_items(i, i + 1, true);
}

bool TQelVectorGrid::exchange_items(int a, int b, bool follow)
{
    TQelVector* v = Vector();
    if (!v || a < 1 || a >= b || b > v->Count())
        return false;
    bool allow = true;
    BeforeExchangeItems(this, a, b, allow);
    if (!allow)
        return false;
    close_editor();
    const int current = get_VectorIndex();
    bool done = false;
    {
        TFlagScope quiet(reloading_);
        done = v->Exchange(a, b);
    }
    if (!done)
        return false;
    sync_rows();
    if (follow && (current == a || current == b))
        set_VectorIndex(current == a ? b : a);
    AfterExchangeItems(this, a, b);
    return true;
}

void TQelVectorGrid::show_details_event()
{
    TQelVector* v = Vector();
    if (!v)
        return;
    close_editor();
    if (OnShowDetails)
        OnShowDetails(this, v, Row());
    else if (TCustomForm* form = GetParentForm(this))
        form->Perform(0x1C3B, reinterpret_cast<WPARAM>(v), Row());
    Reload();
    refresh_colwidths(true, 0);
}

void TQelVectorGrid::set_standard_event()
{
    TQelGueltigkeit* g = validity_element(Row());
    if (!canChangeVector() || !options_.Contains(voSetStandard) || !g || g->Standard())
        return;
    close_editor();
    g->set_Standard(true);
    Invalidate();
}

void TQelVectorGrid::deactivate_item_event()
{
    TQelGueltigkeit* g = validity_element(Row());
    if (!canChangeVector() || !options_.Contains(voDeactivate) || !g || !g->Active())
        return;
    close_editor();
    g->Deactivate(-2147483647.0, "");
    Invalidate();
}

TQelRefField* TQelVectorGrid::current_orf() const
{
    return dynamic_cast<TQelRefField*>(get_CurrentField());
}

TQelObjectKey TQelVectorGrid::current_key() const
{
    TQelRefField* ref = current_orf();
    return ref ? ref->AsKey() : TQelObjectKey();
}

void TQelVectorGrid::choose_obj_event()
{
    TQelRefField* ref = current_orf();
    if (!OnChooseObject || !ref || !editable())
        return;
    TQelObjectKey key = ref->AsKey();
    OnChooseObject(this, ref->ClassType(), key);
    ref->set_AsKey(key);
    read(-1, -1);
}

void TQelVectorGrid::edit_obj_event()
{
    if (!OnOpenObject)
        return;
    OnOpenObject(this, current_key().Object(), readOnly_);
    read(-1, -1);
}

void TQelVectorGrid::del_ref_event()
{
    if (TQelRefField* ref = current_orf(); ref && editable())
        ref->set_Null(true);
}

void TQelVectorGrid::activate_field(TQelField* field, int col)
{
    int cp = 0;
    try {
        if (auto* ref = dynamic_cast<TQelRefField*>(field)) {
            cp = 1;
            click_orf(ref);
            return;
        }
        const TQelVGColumn* c = ColumnAt(col);
        if (field && field->IsA(qelft::LongText) && !(c && c->Info && c->Info->Has(TQelVGInfo::STRING))) {
            cp = 2;
            if (auto* tf = dynamic_cast<TQelTextField*>(field); tf && OnOpenText)
                OnOpenText(this, tf, readOnly_);
            else
                TQelCommonMethods::OpenFieldWithProgram(field);
        }
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelVectorGrid::activate_field(fi = %s, col = %d), nach CP %d: %s",
            field ? field->Name() : std::string("-"), col, cp, e.what());
        throw;
    }
}

void TQelVectorGrid::click_orf(TQelRefField* ref)
{
    int cp = 0;
    try {
        if (!ref)
            return;
        if (ref->AsKey().Id() != 0 && OnOpenObject) {
            cp = 1;
            OnOpenObject(this, ref->AsKey().Object(), readOnly_);
            cp = 2;
            read(-1, -1);
        } else if (OnChooseObject && editable()) {
            TQelObjectKey key = ref->AsKey();
            cp = 3;
            OnChooseObject(this, ref->ClassType(), key);
            if (key.Id() != 0) {
                cp = 4;
                ref->set_AsKey(key);
                cp = 5;
                read(-1, -1);
            }
        }
    } catch (const std::exception& e) {
        QelLogError(
            "Exception in TQelVectorGrid::click_orf(orf = %s), nach CP %d: %s", ref->Name(), cp, e.what());
        throw;
    }
}

bool TQelVectorGrid::write(const std::string& text, int col, int row)
{
    if (row < 0)
        row = Row();
    const TQelVGColumn* c = ColumnAt(col);
    if (!c)
        return false;
    bool done = false;
    if (TQelField* f = get_Field(col, row)) {
        auto* blob = dynamic_cast<TQelBlobField*>(f);
        if (blob && c->Info && c->Info->Has(TQelVGInfo::STRING))
            blob->set_BufferAsString(text);
        else
            f->set_AsString(text);
        done = true;
    } else if (c->Info && !c->Info->PropName.empty()) {
        if (TQelVector* sv = get_SubVec(col, row))
            done = sv->SetAll(c->Info->PropName, text, ',', true);
        else if (TQelFieldList* fl = get_fl(row); fl && row >= 1)
            done = fl->SetPropA(c->Info->PropName, text, false);
    }
    Invalidate();
    return done;
}

// ---- in-place editors ---------------------------------------------------------------------------

void TQelVectorGrid::GetEditorType(int col, int row, TEditorType& editor)
{
    int kind = editor;
    const TQelVGColumn* c = ColumnAt(col);
    if (row == 0) {
        kind = edNone;
    } else if (row > ElementCount()) {
        kind = editable() && col == 0 ? edNormal : edNone;
    } else if (!c || !c->Info) {
        // the toolkit's proposal stands
    } else if (TQelField* f = get_Field(col, row)) {
        const bool string = c->Info->Has(TQelVGInfo::STRING) && f->IsA(qelft::LongText);
        kind = TQelCommonMethods::SelectFieldEditor(&editorLinks_, this, f, string ? qelft::Text : 0);
    } else if (TQelVector* sv = get_SubVec(col, row)) {
        kind = TQelCommonMethods::SelectCellEditor(&editorLinks_, this, sv, c->Info->PropName);
    } else if (TQelFieldList* fl = get_fl(row)) {
        kind = c->Info->Has(TQelVGInfo::CUSTOM)
            ? static_cast<int>(edNormal)
            : TQelCommonMethods::SelectCellEditor(&editorLinks_, this, fl, c->Info->PropName);
    }
    editor = static_cast<TEditorType>(kind);
    plain_.Open(kind, get_Field(col, row));
}

void TQelVectorGrid::GetCellReadOnly(int col, int row, bool& answer)
{
    const TQelVGColumn* c = ColumnAt(col);
    answer = editable() && row >= FixedRows() && row <= ElementCount() && c
        && !(c->Info && c->Info->Has(TQelVGInfo::READONLY));
    TQelGrid::GetCellReadOnly(col, row, answer);
    if (!answer)
        return;
    if (!c->Info) {
        answer = false;
        return;
    }
    TQelField* f = get_Field(col, row);
    if (!f) {
        answer = c->Info->Has(TQelVGInfo::CUSTOM) || !c->Info->PropName.empty();
        return;
    }
    if (f->IsA(qelft::Reference) || (f->IsA(qelft::LongText) && !c->Info->Has(TQelVGInfo::STRING)))
        answer = false;
}

void TQelVectorGrid::SetEditText(int col, int row, const std::string& value)
{
    if (plain_.Kind == edCustom)
        return; // the editor control wrote its field itself
    if (value != Cells(col, row))
        plain_.Edited = true;
    TQelGrid::SetEditText(col, row, value);
}

std::string TQelVectorGrid::GetEditText(int col, int row)
{
    // An editor starts from the field's own value: the cell shows a value that reads like
    // mark-up escaped, and an editor control writes what it is given.
    if (TQelField* f = row >= 1 && row <= ElementCount() ? get_Field(col, row) : nullptr)
        return f->AsString();
    return TQelGrid::GetEditText(col, row);
}

void TQelVectorGrid::EllipsClick(int col, int row, std::string& value)
{
    (void)col;
    (void)row;
    std::string text = value;
    if (InputQuery("Caption", "Text", text))
        value = text;
}

bool TQelVectorGrid::SelectCell(int col, int row)
{
    if (col != Col() || row != Row()) {
        const int oldRow = Row();
        remove_mark();
        const TQelVGColumn* c = ColumnAt(Col());
        const std::string text = Cells(Col(), Row());
        TQelField* f = get_CurrentField();
        write_plain_text();
        if (!text.empty() && OnInvalidRefString)
            if (auto* ref = dynamic_cast<TQelRefField*>(f); ref && ref->Null() && text != ref->NullValue())
                OnInvalidRefString(this, text, ref);
        if (!f && c && Row() >= 1 && Row() <= ElementCount())
            OnValueChanged(this, Vector(), get_VectorIndex(), AnsiUpperCase(c->Entry), text);
        if (oldRow != row)
            Invalidate();
    }
    const int oldRow = Row();
    if (!TQelGrid::SelectCell(col, row))
        return false;
    // The move is accepted but not made yet: the panel and the tool bar follow the row it goes to.
    if (row != oldRow) {
        sub_connect(row);
        update_toolbar(row);
    }
    return true;
}

void TQelVectorGrid::DoEnter()
{
    TQelGrid::DoEnter();
    link_.TellFormEnter();
}

void TQelVectorGrid::DoExit()
{
    remove_mark();
    if (!EditorMode())
        write_plain_text();
    TQelGrid::DoExit();
    link_.TellFormExit();
}

int TQelVectorGrid::SortEndRow()
{
    // The add row stays last.
    return isAddRow(RowCount() - 1) ? RowCount() - 1 : RowCount();
}

// ---- marks --------------------------------------------------------------------------------------

void TQelVectorGrid::set_mark(unsigned wParam, TColor color)
{
    const int level = static_cast<int>(wParam & 0xFF);
    const bool on = level != 0;
    if (on && (wParam & 512))
        set_ReadOnly(false);
    SetColors(Col(), Row(), on ? TQelCommonMethods::StandardMarkColor(level, color) : clWindow);
    marked_ = on && (wParam & 256);
}

void TQelVectorGrid::remove_mark()
{
    if (!marked_)
        return;
    marked_ = false;
    SetColors(Col(), Row(), clWindow);
}

// ---- popup menus --------------------------------------------------------------------------------

void TQelVectorGrid::make_popupmenus()
{
    if (!elementMenu_) {
        elementMenu_ = new TPopupMenu(this);
        referenceMenu_ = new TPopupMenu(this);
        elementMenu_->SetAutoPopup(false);
        referenceMenu_->SetAutoPopup(false);
    }
    elementMenu_->Items()->Clear();
    referenceMenu_->Items()->Clear();
    QelAddMenuItem(referenceMenu_, "... ändern", [this] { choose_obj_event(); });
    QelAddMenuItem(referenceMenu_, "Auswahl entfernen", [this] { del_ref_event(); });
    QelAddMenuItem(referenceMenu_, "... bearbeiten", [this] { edit_obj_event(); });
    QelAddMenuItem(referenceMenu_, "-", nullptr);
    add_custom_menu_items(elementMenu_, 2);
    add_custom_menu_items(referenceMenu_, 65538);
    for (TMenuItem*& item : toolItems_)
        item = nullptr;
    for (TPopupMenu* menu : { elementMenu_, referenceMenu_ }) {
        // The element menu's items with a tool-bar slot are mirrored on the tool bar.
        const auto slot = [this, menu](TMenuItem* item, int index) {
            if (menu == elementMenu_) {
                toolItems_[index] = item;
                add_to_tb(item, index);
            }
        };
        if (options_.Contains(voInsertAllowed))
            slot(QelAddMenuItem(
                     menu, "Neues Element einfügen", [this] { insert_item_event(); }, 6),
                0);
        if (options_.Contains(voDetails))
            QelAddMenuItem(menu, "Details anzeigen", [this] { show_details_event(); });
        if (options_.Contains(voDeleteAllowed))
            slot(QelAddMenuItem(
                     menu, "Element löschen", [this] { delete_item_event(); }, 11),
                1);
        if (options_.Contains(voInsertAllowed)) {
            slot(QelAddMenuItem(
                     menu, "Element nach oben verschieben", [this] { moveup_event(); }, 23),
                2);
            slot(QelAddMenuItem(
                     menu, "Element nach unten verschieben", [this] { movedown_event(); }, 24),
                3);
        }
        if (options_.Contains(voCopyAllowed))
            QelAddMenuItem(menu, "Element kopieren", [this] { copy_item_event(); });
        if (options_.Contains(voImportAllowed))
            QelAddMenuItem(menu, "Importieren...", [this] { import_event(); });
        if (options_.Contains(voExportAllowed))
            QelAddMenuItem(menu, "Exportieren...", [this] { export_event(); });
        if (options_.Contains(voSetStandard) && has_guelt())
            QelAddMenuItem(menu, "Als Standard definieren", [this] { set_standard_event(); });
    }
    update_toolbar();
}

void TQelVectorGrid::update_reference_menu()
{
    TQelRefField* ref = current_orf();
    TMenuItem* items = referenceMenu_->Items();
    if (!ref || items->Count() < 3)
        return;
    TQelDatabase* db = ref->Database();
    const TQelKlasse* cls = db ? db->Klasse(ref->ClassType()) : nullptr;
    const std::string className = cls ? cls->name : std::string();
    items->Items(0)->SetCaption(className + " auswählen...");
    items->Items(0)->SetEnabled(static_cast<bool>(OnChooseObject));
    items->Items(1)->SetEnabled(!ref->Null());
    items->Items(2)->SetCaption(className + " \"" + (ref->AsKey().Id() != 0 ? get_name(ref) : std::string())
        + "\" ansehen/bearbeiten...");
    items->Items(2)->SetEnabled(static_cast<bool>(OnOpenObject));
}

void TQelVectorGrid::popup_at(TPopupMenu* menu, int x, int y)
{
    if (!menu)
        return;
    if (menu == referenceMenu_)
        update_reference_menu();
    update_menu_items();
    QelPopupAt(this, menu, x, y);
}

namespace {

// Debug aid: the connection information of what column `col` shows, as the template element
// holds it: its field, its sub-vector, or the element (or sub-vector) whose property it is.
void show_column_info(TQelVectorGrid* grid, int col)
{
    const TQelVGColumn* c = grid->ColumnAt(col);
    if (!c)
        return;
    const std::string prop = c->Info ? c->Info->PropName : std::string();
    TQelObjectInterface* oi = grid->get_Field(col, 0);
    if (!oi)
        oi = grid->get_SubVec(col, 0);
    if (!oi && !prop.empty())
        oi = grid->get_fl(0);
    if (!oi)
        return;
    const std::string path = c->Entry == "@" ? "@" + prop : prop.empty() ? c->Entry : c->Entry + "@" + prop;
    ShowMessage(TQelCommonMethods::ConnectionInfo(grid, oi, grid->get_fl(0), path));
}

} // namespace

// ---- keys and mouse -----------------------------------------------------------------------------

void TQelVectorGrid::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_ESCAPE) {
        plain_.Cancel(this); // the typed text is dropped, not written
        if (TQelField* f = get_CurrentField())
            f->Rollback("");
        else if (TQelVector* sv = get_CurrentSubVec())
            sv->Rollback("");
        read(-1, -1);
        key = 0;
        return;
    }
    if (key == VK_F5) {
        Reload();
        key = 0;
        return;
    }
    if (key == VK_F6) {
        if (shift.Contains(ssCtrl) && shift.Contains(ssShift) && QelDebugMode())
            edit_coldefs();
        key = 0;
        return;
    }
    TQelGrid::KeyDown(key, shift);
}

void TQelVectorGrid::KeyPress(char32_t& key)
{
    if (key == U' ' && Connected()) {
        if (isAddRow(Row()) && Col() >= FixedCols()) {
            key = 0;
            add_item();
            return;
        }
        if (TQelField* f = get_CurrentField(); f && (f->IsA(qelft::Reference) || f->IsA(qelft::LongText))) {
            key = 0;
            activate_field(f, Col());
            return;
        }
    }
    TQelGrid::KeyPress(key);
}

void TQelVectorGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TQelGrid::MouseDown(button, shift, x, y);
    if (!Connected())
        return;
    int col = 0, row = 0;
    MouseToCell(x, y, col, row);
    if (button == mbLeft) {
        if (row == 0 && shift.Contains(ssCtrl) && shift.Contains(ssShift) && QelDebugMode()) {
            show_column_info(this, col);
            return;
        }
        if (isAddRow(row) && col >= FixedCols()) {
            add_item();
            return;
        }
        if (TQelField* f = get_Field(col, row); f && row >= 1)
            activate_field(f, col);
        return;
    }
    if (button == mbRight && editable() && row >= 1 && row <= ElementCount()) {
        TQelField* f = get_Field(col, row);
        if (!f && !get_SubVec(col, row))
            return;
        FocusCell(col, row);
        popup_at(dynamic_cast<TQelRefField*>(f) ? referenceMenu_ : elementMenu_, x, y);
    }
}

void TQelVectorGrid::MouseMove(TShiftState shift, int x, int y)
{
    TQelGrid::MouseMove(shift, x, y);
    int col = 0, row = 0;
    MouseToCell(x, y, col, row);
    bool hand = false;
    if (editable() && Connected()) {
        if (isAddRow(row))
            hand = true;
        else if (row >= 1 && row <= ElementCount() && ColumnAt(col)) {
            const std::string text = Cells(col, row);
            hand = AnsiUpperCase(text.substr(0, 7)) == "<A HREF";
            if (!hand && (OnOpenObject || OnChooseObject))
                if (TQelField* t = get_Field(col, 0)) {
                    const TQelVGColumn* c = ColumnAt(col);
                    hand = t->IsA(qelft::Reference)
                        || (t->IsA(qelft::LongText) && !(c->Info && c->Info->Has(TQelVGInfo::STRING)));
                }
        }
    }
    SetCursor(hand ? crHandPoint : crDefault);
}
