// TQelVectorList: items, the next-element item, the panel that follows the selection, commands.
#include "vectors/QelVectorList.h"

#include "binding/qeltimerglue.h"
#include "controls/QelPanel.h"
#include "vectors/qelcellmarkup.h"
#include "vectors/qelvectorkit.h"

#include "toolkit/dialogs.h"
#include "toolkit/menus.h"
#include "toolkit/screen.h"

namespace {

constexpr int kRefreshTimer = 1;
constexpr const char* kGreyFont = "<FONT COLOR=\"#808080\">";

} // namespace

TQelVectorListOptions TQelVectorList::DefaultOptions()
{
    TQelVectorListOptions o;
    o << vloDeactivate << vloDeleteAllowed << vloDeleteQuery << vloInsertAllowed << vloMarkInvalid
      << vloMarkStandard << vloSetStandard;
    return o;
}

TQelVectorList::TQelVectorList(TComponent* owner)
    : TQelDataControl<THTMListBox>(owner)
    , options_(DefaultOptions())
{
    link_.kinds = TQelObjectInterface::oiVector;
    link_.hooks.read = [this] { refresh_items(get_VectorIndex()); };
    link_.hooks.touched = [this](TQelObjectInterface* field, bool) {
        const bool all = watchFields_.Count() == 0 || watchFields_.IndexOf("*") >= 0;
        if (all || (field && watchFields_.IndexOf(field->Name()) >= 0))
            RefreshItems(WatchDelayMs);
    };
    link_.hooks.bound = [this] { make_menu(); };
    // A mark colours the list until the user chooses another item.
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };
    PublishBinding(qelPublishFieldPath);
    PublishSet<&TQelVectorList::get_VectorListOptions, &TQelVectorList::set_VectorListOptions,
        kQelVectorListOptionNames>("VectorListOptions");
    PublishComponent<&TQelVectorList::get_Panel, &TQelVectorList::set_Panel>("Panel");
    Publish<&TQelVectorList::get_ReadOnly, &TQelVectorList::set_ReadOnly>("ReadOnly");
    Publish<&TQelVectorList::get_DragItem, &TQelVectorList::set_DragItem>("DragItem");
    Publish<&TQelVectorList::get_NameFormat, &TQelVectorList::set_NameFormat>("NameFormat");
    Publish<&TQelVectorList::get_ClassNameInfo, &TQelVectorList::set_ClassNameInfo>("ClassNameInfo");
    Publish<&TQelVectorList::get_MaxEntries, &TQelVectorList::set_MaxEntries>("MaxEntries");
    Publish<&TQelVectorList::get_MemberConstraint, &TQelVectorList::set_MemberConstraint>("MemberConstraint");
    PublishLines<&TQelVectorList::get_WatchFields, &TQelVectorList::set_WatchFields>("WatchFields");
}

TQelVectorList::~TQelVectorList()
{
    timer_.StopAll();
}

void TQelVectorList::Notification(TComponent* component, TOperation operation)
{
    TQelDataControl<THTMListBox>::Notification(component, operation);
    if (operation == opRemove)
        panel_.Removed(component);
}

void TQelVectorList::set_Panel(TQelPanel* panel)
{
    panel_.Set(panel);
    shown_ = nullptr;
    shownVix_ = 0;
    if (panel)
        panel->set_PendingElements(true);
}

void TQelVectorList::set_VectorListOptions(TQelVectorListOptions o)
{
    if (o == options_)
        return;
    options_ = o;
    make_menu();
    RefreshItems();
}

void TQelVectorList::set_ReadOnly(bool v)
{
    if (v == readOnly_)
        return;
    readOnly_ = v;
    RefreshItems();
}

void TQelVectorList::set_NameFormat(const std::string& f)
{
    nameFormat_ = f;
    RefreshItems();
}

void TQelVectorList::set_MaxEntries(int n)
{
    maxEntries_ = n;
    RefreshItems();
}

void TQelVectorList::set_MemberConstraint(const std::string& c)
{
    memberConstraint_ = c;
    RefreshItems();
}

void TQelVectorList::set_DragItem(bool v)
{
    dragItem_ = v;
    if (!v)
        dragFrom_ = -1;
}

void TQelVectorList::set_Frozen(bool v)
{
    frozen_ = v;
    if (!v)
        RefreshItems();
}

// ---- items --------------------------------------------------------------------------------------

bool TQelVectorList::has_guelt() const
{
    return QelHasValidity(Vector());
}

int TQelVectorList::limit() const
{
    TQelVector* v = Vector();
    int max = v ? v->MaxCount() : 0;
    if (maxEntries_ >= 1 && (max == 0 || maxEntries_ < max))
        max = maxEntries_;
    return max; // 0: no limit
}

bool TQelVectorList::IsNewItem(int item) const
{
    return hasNewItem_ && item == Count() - 1 && item >= 0;
}

int TQelVectorList::itex_to_vex(int item) const
{
    if (IsNewItem(item))
        return Vector() ? Vector()->Count() + 1 : 0;
    return item >= 0 && item < static_cast<int>(itemVix_.size()) ? itemVix_[static_cast<std::size_t>(item)]
                                                                 : 0;
}

int TQelVectorList::vex_to_itex(int vix) const
{
    for (int i = 0; i < Count(); ++i)
        if (itex_to_vex(i) == vix)
            return i;
    return -1;
}

TQelSubObject* TQelVectorList::get_CurrentSubObject() const
{
    TQelVector* v = Vector();
    const int vix = itex_to_vex(ItemIndex());
    return v && vix >= 1 && vix <= v->Count() ? v->Item(vix) : nullptr;
}

void TQelVectorList::set_CurrentSubObject(TQelSubObject* e)
{
    if (e)
        set_VectorIndex(e->VectorIndex());
}

int TQelVectorList::get_VectorIndex() const
{
    return itex_to_vex(ItemIndex());
}

void TQelVectorList::set_VectorIndex(int vix)
{
    SetItemIndex(vex_to_itex(vix));
    sub_connect();
}

std::string TQelVectorList::make_np(const std::string& adjective) const
{
    TQelVector* v = Vector();
    if (!v && classNameInfo_.empty())
        return {};
    const TQelNameInfo info
        = ParseNameInfo(classNameInfo_, v ? GetNameInfo(v->ClassType()) : TQelNameInfo {});
    return FreeMakeNP(info, adjective, 1, true, 'm');
}

std::string TQelVectorList::item_name(int vix) const
{
    TQelVector* v = Vector();
    TQelSubObject* e = v ? v->Item(vix) : nullptr;
    if (!e)
        return {};
    std::string name = QelCellEscaped(e->MakeName(nameFormat_, ""));
    OnGetItemName(const_cast<TQelVectorList*>(this), e, name);
    if (name.empty())
        name = "[" + QelCellEscaped(make_np("")) + "]";
    return name;
}

bool TQelVectorList::listed(TQelSubObject* e) const
{
    return memberConstraint_.empty() || e->Check(memberConstraint_);
}

void TQelVectorList::RefreshItems(int delay)
{
    if (delay >= 1) {
        timer_.set_Tasks(QelTimerTasksOf(nullptr));
        if (timer_.get_Tasks()) {
            timer_.Start(kRefreshTimer, delay, [this](TQelTaskId, std::intptr_t) {
                timer_.Stop(kRefreshTimer);
                refresh_items(get_VectorIndex());
            });
            return;
        }
    }
    refresh_items(get_VectorIndex());
}

void TQelVectorList::refresh_items(int selectVix)
{
    TQelVector* v = Vector();
    if (frozen_ || filling_)
        return;
    TFlagScope guard(filling_);
    Items().BeginUpdate();
    Items().Clear();
    itemVix_.clear();
    hasNewItem_ = false;
    if (!v) {
        Items().EndUpdate();
        return;
    }
    // Empty elements at the end, left by abandoned new entries, go (not the one to be selected:
    // it was just created by the panel's first write).
    if (editable() && options_.Contains(vloInsertAllowed))
        while (v->Count() > 0 && v->Count() != selectVix && v->Item(v->Count())->Null())
            v->Delete(v->Count());
    const bool guelt = has_guelt();
    for (int i = 1; i <= v->Count(); ++i) {
        TQelSubObject* e = v->Item(i);
        if (!e)
            continue;
        if (!listed(e))
            continue;
        std::string text = item_name(i);
        if (auto* g = guelt ? dynamic_cast<TQelGueltigkeit*>(e) : nullptr) {
            if (options_.Contains(vloMarkStandard) && g->Standard())
                text = "<B>" + text + "</B>";
            if (options_.Contains(vloMarkInvalid) && !g->Active())
                text = kGreyFont + ("<S>" + text + "</S></FONT>");
        }
        Items().Add(text);
        itemVix_.push_back(i);
    }
    Items().EndUpdate();
    refresh_new_item();
    int item = vex_to_itex(selectVix);
    if (item < 0 && selectVix >= 1 && selectVix <= v->Count())
        if (TQelSubObject* e = v->Item(selectVix); e && !listed(e))
            OnOutOfList(this, e);
    if (item < 0 && Count() > 0)
        item = std::min(std::max(0, selectVix - 1), Count() - 1);
    SetItemIndex(item);
    sub_connect();
}

void TQelVectorList::refresh_new_item()
{
    TQelVector* v = Vector();
    if (!v || !editable() || !options_.Contains(vloInsertAllowed))
        return;
    const int n = v->Count();
    const int max = limit();
    if (max != 0 && n >= max)
        return;
    std::string text;
    if (maxEntries_ == 1)
        text = n == 0 ? make_np("") : std::string();
    else
        text = make_np(n == 0 ? "Erst" : "Weiter");
    if (text.empty())
        return;
    text = QelCellEscaped(text);
    if (n > 0)
        text = std::string(kGreyFont) + text + "</FONT>";
    Items().Add(text);
    hasNewItem_ = true;
}

// ---- the panel ----------------------------------------------------------------------------------

void TQelVectorList::Change()
{
    THTMListBox::Change();
    link_.Unmark();
    sub_connect();
}

void TQelVectorList::sub_connect()
{
    TQelVector* v = Vector();
    TQelFieldList* fl = FieldList();
    TQelPanel* panel = panel_.Panel();
    if (!panel || !v || !fl)
        return;
    const int vix = get_VectorIndex();
    TQelSubObject* e = v->Item(vix);
    if (e && !listed(e))
        return;
    // The next entry's element, just created by the panel's first write, is what the panel shows.
    if (vix == shownVix_ && (e == shown_ || !shown_) && panel->Connected()) {
        shown_ = e;
        return;
    }
    shown_ = e;
    shownVix_ = vix;
    BeforeSubConnect(this);
    if (vix < 1) {
        panel_.Panel()->Disconnect();
    } else {
        // An element not there yet (the next entry) binds pending: its first written field creates it.
        panel_.Panel()->set_FieldPath(link_.EffectivePath() + "[" + std::to_string(vix - 1) + "]");
        panel_.Panel()->ConnectFL(fl, false);
    }
    AfterSubConnect(this);
}

// ---- commands -----------------------------------------------------------------------------------

void TQelVectorList::insert_event()
{
    TQelVector* v = Vector();
    const int vix = get_VectorIndex();
    if (!editable() || !options_.Contains(vloInsertAllowed) || IsNewItem(ItemIndex()) || vix < 1)
        return;
    if (limit() != 0 && v->Count() >= limit())
        return;
    v->Insert(vix);
}

void TQelVectorList::delete_event()
{
    TQelVector* v = Vector();
    TQelSubObject* e = get_CurrentSubObject();
    if (!editable() || !options_.Contains(vloDeleteAllowed) || !e)
        return;
    const int item = ItemIndex();
    if (options_.Contains(vloDeleteQuery)
        && !QelConfirmDelete(MakeNP(v->ClassType(), "d,gewählt", 1, true, 'm'),
            qel::minihtml::Strip(item_name(e->VectorIndex()))))
        return;
    bool allow = true;
    BeforeRemoveItem(this, e, allow);
    if (!allow)
        return;
    shown_ = nullptr;
    shownVix_ = 0;
    v->Delete(e->VectorIndex());
    refresh_items(0);
    SetItemIndex(std::min(item, Count() - 1));
    sub_connect();
    AfterRemoveItem(this);
}

void TQelVectorList::copy_event()
{
    TQelVector* v = Vector();
    TQelSubObject* src = get_CurrentSubObject();
    if (!editable() || !options_.Contains(vloCopyAllowed) || !src)
        return;
    TWaitCursor wait;
    const int from = src->VectorIndex();
    const int at = from + 1;
    TQelSubObject* copy = v->Insert(at);
    if (!copy)
        return;
    src = v->Item(from);
    bool ok = true;
    if (OnCopy)
        OnCopy(this, src, copy, ok);
    else
        copy->Assign(src, 128, ""); // the values and the nested vectors
    if (!ok) {
        // The failed copy goes again; the source stays selected.
        if (at <= v->Count())
            v->Delete(at);
        refresh_items(from);
        return;
    }
    refresh_items(at);
}

bool TQelVectorList::exchange_items(int a, int b)
{
    TQelVector* v = Vector();
    if (!editable() || !v || a < 1 || b < 1 || a > v->Count() || b > v->Count() || !v->Exchange(a, b))
        return false;
    AfterExchangeItems(this, a, b);
    refresh_items(b);
    return true;
}

bool TQelVectorList::move_item(int from, int to)
{
    TQelVector* v = Vector();
    if (!editable() || !v || from == to || from < 1 || to < 1 || from > v->Count() || to > v->Count())
        return false;
    const int step = to < from ? -1 : 1;
    for (int at = from; at != to; at += step)
        if (!exchange_items(at, at + step))
            return at != from;
    return true;
}

void TQelVectorList::moveup_event()
{
    const int item = ItemIndex();
    if (item >= 1 && !IsNewItem(item))
        exchange_items(itex_to_vex(item), itex_to_vex(item - 1));
}

void TQelVectorList::movedown_event()
{
    const int item = ItemIndex();
    if (item >= 0 && !IsNewItem(item) && !IsNewItem(item + 1) && item + 1 < Count())
        exchange_items(itex_to_vex(item), itex_to_vex(item + 1));
}

void TQelVectorList::deactivate_event()
{
    if (auto* g = dynamic_cast<TQelGueltigkeit*>(get_CurrentSubObject());
        g && editable() && has_guelt() && g->Active())
        g->Deactivate(-2147483647.0, "");
}

void TQelVectorList::set_standard_event()
{
    if (auto* g = dynamic_cast<TQelGueltigkeit*>(get_CurrentSubObject());
        g && editable() && has_guelt() && options_.Contains(vloSetStandard) && !g->Standard())
        g->set_Standard(true);
}

void TQelVectorList::make_menu()
{
    if (!menu_) {
        menu_ = new TPopupMenu(this);
        menu_->OnPopup = [this](TObject*) { update_menu(); };
        SetPopupMenu(menu_);
    }
    menu_->Items()->Clear();
    QelAddMenuItem(menu_, "Eintrag löschen", [this] { delete_event(); });
    QelAddMenuItem(menu_, "Eintrag einfügen", [this] { insert_event(); });
    QelAddMenuItem(menu_, "Eintrag kopieren", [this] { copy_event(); });
    QelAddMenuItem(menu_, "nach oben", [this] { moveup_event(); });
    QelAddMenuItem(menu_, "nach unten", [this] { movedown_event(); });
    if (options_.Contains(vloSetStandard) && has_guelt())
        QelAddMenuItem(menu_, "Als Standard definieren", [this] { set_standard_event(); });
}

void TQelVectorList::update_menu()
{
    TMenuItem* items = menu_->Items();
    if (items->Count() < 5)
        return;
    items->Items(0)->SetVisible(options_.Contains(vloDeleteAllowed));
    items->Items(1)->SetVisible(options_.Contains(vloInsertAllowed));
    items->Items(2)->SetVisible(options_.Contains(vloCopyAllowed));
}

void TQelVectorList::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_DELETE && !IsNewItem(ItemIndex())) {
        delete_event();
        key = 0;
    } else if (key == VK_INSERT) {
        insert_event();
        key = 0;
    } else if (key == VK_UP && shift.Contains(ssCtrl)) {
        moveup_event();
        key = 0;
    } else if (key == VK_DOWN && shift.Contains(ssCtrl)) {
        movedown_event();
        key = 0;
    }
    THTMListBox::KeyDown(key, shift);
}

// ---- dragging ----------------------------------------------------------------------------------

void TQelVectorList::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    dragFrom_ = -1;
    if (button == mbLeft && dragItem_ && editable()) {
        const int item = ItemAtPos(x, y);
        if (item >= 0 && !IsNewItem(item))
            dragFrom_ = itex_to_vex(item);
    }
    THTMListBox::MouseDown(button, shift, x, y);
}

void TQelVectorList::MouseMove(TShiftState shift, int x, int y)
{
    // Leaving the control ends the drag.
    if (Dragging() && (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()))
        dragFrom_ = -1;
    THTMListBox::MouseMove(shift, x, y);
}

void TQelVectorList::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const int from = dragFrom_;
    dragFrom_ = -1;
    THTMListBox::MouseUp(button, shift, x, y);
    if (button != mbLeft || from < 1 || !editable())
        return;
    const int item = ItemAtPos(x, y);
    const int to = item >= 0 && !IsNewItem(item) ? itex_to_vex(item) : 0;
    if (to < 1 || to == from)
        return;
    const std::string q = FormatStr("Soll das %d.Element an die %d.Position verschoben werden?", from, to);
    if (Dialogs().MessageBox(q, "Element verschieben", MB_YESNO | MB_ICONQUESTION) == IDYES)
        move_item(from, to);
}

// ---- messages -----------------------------------------------------------------------------------

void TQelVectorList::WndProc(TMessage& m)
{
    TQelVector* v = Vector();
    const bool ours = v && QelOIFromParam(m.LParam) == v;
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        set_ReadOnly(m.WParam != 0);
        m.Result = 0;
        return;
    case WM_OC_SETVECTORINDEX:
        set_VectorIndex(static_cast<int>(m.WParam));
        m.Result = 1;
        return;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(v);
        return;
    case WM_OC_LOCATE: {
        TQelObjectInterface* oi = QelOIFromParam(m.LParam);
        m.Result = 0;
        if (!v || !oi || !oi->IsPartOf(v))
            return;
        m.Result = 1;
        for (int i = 1; i <= v->Count(); ++i)
            if (oi == v->Item(i) || oi->IsPartOf(v->Item(i))) {
                set_VectorIndex(i);
                m.Result = 2;
            }
        return;
    }
    case WM_ODB_OIDESTROYED:
        TQelDataControl<THTMListBox>::WndProc(m);
        if (!Vector()) {
            shown_ = nullptr;
            shownVix_ = 0;
            hasNewItem_ = false;
            itemVix_.clear();
            Items().Clear();
        }
        return;
    case WM_ODB_ELEMENTADDED:
        if (ours) {
            const int vix = static_cast<int>(m.WParam);
            refresh_items(vix);
            OnAddItem(this, v->Item(vix));
            return;
        }
        break;
    case WM_ODB_ELEMENTREMOVED:
        if (ours) {
            // The selection stays on its element: the ones after the removed index move up.
            int vix = get_VectorIndex();
            if (vix > static_cast<int>(m.WParam))
                --vix;
            if (shownVix_ == static_cast<int>(m.WParam)) {
                shown_ = nullptr;
                shownVix_ = 0;
            }
            refresh_items(vix);
            return;
        }
        break;
    case WM_ODB_ELEMENTSTATE:
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_STANDARDCHANGED:
        if (ours) {
            refresh_items(get_VectorIndex());
            return;
        }
        break;
    default:
        break;
    }
    TQelDataControl<THTMListBox>::WndProc(m);
}
