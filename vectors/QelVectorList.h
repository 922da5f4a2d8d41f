#pragma once
// TQelVectorList: a vector field as a one-column HTML list, one item per element (named by
// NameFormat), standard elements bold and inactive ones grey and struck out, and a grey last item
// for the next element. Choosing an item connects the Panel to that element: the list is the index
// of a master/detail form. The next-element item connects the panel below the path of an element
// not there yet, so the element is created only when a field on the panel is written.
#include "binding/qeldatacontrol.h"
#include "vectors/qelelementpanel.h"

#include "toolkit/htmllistbox.h"

#include <string>
#include <vector>

class TQelPanel;

enum TQelVectorListOption {
    vloDeactivate,
    vloDeleteAllowed,
    vloDeleteQuery,
    vloInsertAllowed,
    vloMarkInvalid,
    vloMarkStandard,
    vloSetStandard,
    vloCopyAllowed,
    vloDummy
};
using TQelVectorListOptions = TSet<TQelVectorListOption>;
inline constexpr const char* kQelVectorListOptionNames[]
    = { "vloDeactivate", "vloDeleteAllowed", "vloDeleteQuery", "vloInsertAllowed", "vloMarkInvalid",
          "vloMarkStandard", "vloSetStandard", "vloCopyAllowed", "vloDummy" };
static_assert(std::size(kQelVectorListOptionNames) == vloDummy + 1);

using TQelVLSubObjectEvent = TEvent<TObject*, TQelSubObject*>;
using TQelVLItemNameEvent = TEvent<TObject*, TQelSubObject*, std::string&>;
using TQelVLBeforeRemoveEvent = TEvent<TObject*, TQelSubObject*, bool&>;
using TQelVLExchangeEvent = TEvent<TObject*, int, int>;
// OnCopy(sender, source element, its new copy, copy_succeeded preset true).
using TQelVLCopyEvent = TEvent<TObject*, TQelSubObject*, TQelSubObject*, bool&>;

class TQelVectorList : public TQelDataControl<THTMListBox> {
public:
    static constexpr int WatchDelayMs = 500;

    explicit TQelVectorList(TComponent* owner);
    ~TQelVectorList() override;
    static TQelVectorListOptions DefaultOptions();

    TQelVectorListOptions get_VectorListOptions() const { return options_; }
    void set_VectorListOptions(TQelVectorListOptions o);
    TQelPanel* get_Panel() const { return panel_.Panel(); }
    void set_Panel(TQelPanel* panel);
    bool get_ReadOnly() const { return readOnly_; }
    void set_ReadOnly(bool v);
    const std::string& get_NameFormat() const { return nameFormat_; }
    void set_NameFormat(const std::string& f);
    const std::string& get_ClassNameInfo() const { return classNameInfo_; }
    void set_ClassNameInfo(const std::string& info) { classNameInfo_ = info; }
    int get_MaxEntries() const { return maxEntries_; }
    void set_MaxEntries(int n);
    const std::string& get_MemberConstraint() const { return memberConstraint_; }
    void set_MemberConstraint(const std::string& c);
    TStringList& WatchFields() { return watchFields_; }
    const TStringList& get_WatchFields() const { return watchFields_; }
    void set_WatchFields(const TStrings& names) { watchFields_.Assign(names); }
    // Items can be moved by dragging them with the left button onto another item.
    bool get_DragItem() const { return dragItem_; }
    void set_DragItem(bool v);
    // Whether a drag is under way (pressed on an item, not yet released or left).
    bool Dragging() const { return dragFrom_ >= 0; }
    // Moves element `from` to position `to` by exchanges with its neighbours; false when nothing moved.
    bool move_item(int from, int to);
    bool get_Frozen() const { return frozen_; }
    void set_Frozen(bool v);

    // The element of the selected item; none on the next-element item.
    TQelSubObject* get_CurrentSubObject() const;
    void set_CurrentSubObject(TQelSubObject* e);
    int get_VectorIndex() const;
    void set_VectorIndex(int vix);
    // Item of an element index (-1 when not listed), and element index of an item (the
    // next-element item gives count + 1, other positions 0).
    int vex_to_itex(int vix) const;
    int itex_to_vex(int item) const;
    bool IsNewItem(int item) const;

    // delay >= 1: later through the timer tasks (a pending rebuild is reset).
    void RefreshItems(int delay = 0);
    std::string item_name(int vix) const;
    std::string make_np(const std::string& adjective) const;

    void insert_event();
    void delete_event();
    void copy_event();
    void moveup_event();
    void movedown_event();
    void deactivate_event();
    void set_standard_event();
    bool exchange_items(int a, int b);

    TNotifyEvent BeforeSubConnect;
    TNotifyEvent AfterSubConnect;
    TNotifyEvent AfterRemoveItem;
    TQelVLSubObjectEvent OnAddItem;
    TQelVLItemNameEvent OnGetItemName;
    TQelVLBeforeRemoveEvent BeforeRemoveItem;
    TQelVLExchangeEvent AfterExchangeItems;
    TQelVLSubObjectEvent OnOutOfList;
    TQelVLCopyEvent OnCopy;

protected:
    void WndProc(TMessage& m) override;
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Notification(TComponent* component, TOperation operation) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    bool has_guelt() const;
    bool listed(TQelSubObject* e) const;
    void refresh_items(int selectVix);
    void refresh_new_item();
    void sub_connect();
    void make_menu();
    void update_menu();
    bool editable() const { return !readOnly_ && Vector(); }
    int limit() const;

    TQelVectorListOptions options_;
    TQelElementPanel panel_ { this };
    bool readOnly_ = false;
    std::string nameFormat_;
    std::string classNameInfo_;
    int maxEntries_ = 0;
    std::string memberConstraint_;
    TStringList watchFields_;
    bool frozen_ = false;
    bool dragItem_ = false;
    // The element index where a drag started; -1 while none runs.
    int dragFrom_ = -1;
    bool filling_ = false;
    bool hasNewItem_ = false;
    // The element index of each item as listed (items' elements may be gone when a removal is
    // reported, so they are never read back).
    std::vector<int> itemVix_;
    // The element the panel shows (compared only), and the element index it was connected for.
    const TQelSubObject* shown_ = nullptr;
    int shownVix_ = 0;
    TPopupMenu* menu_ = nullptr;
    TQelTimerScope timer_ { this };
};
