#pragma once
// TQelTreeCombo: edits a reference field whose referenced class is a hierarchy (its objects
// point to a parent of the same class). The drop-down shows the objects as a tree whose levels
// are read when they open; picking a node stores its object in the field. A stored value whose
// node is not open yet is found through the object tree and its branch opened. The popup menu
// creates, edits and deletes referenced objects.
#include "binding/qeldatacontrol.h"
#include "binding/qelobjecttreenodes.h"

#include "toolkit/menus.h"
#include "toolkit/treecombo.h"

#include <memory>
#include <string>

enum TQelTreeComboOption { tcoObjCreate, tcoObjEdit, tcoObjDrop };
using TQelTreeComboOptions = TSet<TQelTreeComboOption>;
inline constexpr const char* kQelTreeComboOptionNames[] = { "tcoObjCreate", "tcoObjEdit", "tcoObjDrop" };
static_assert(std::size(kQelTreeComboOptionNames) == tcoObjDrop + 1);
using TQelBeforeAddEvent = TEvent<TObject*, TQelObjectKey, TQelObject*, bool&>;
using TQelEditObjEvent = TEvent<TObject*, TQelObject*>;

class TQelTreeCombo : public TQelDataControl<TAdvTreeComboBox> {
public:
    explicit TQelTreeCombo(TComponent* owner);
    ~TQelTreeCombo() override;

    int ConnectFL(const TQelFieldList* fl, bool onlyIfNotConnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    int Reconnect();
    bool get_Connected() const { return get_RefField() != nullptr; }
    TQelRefField* get_RefField() const { return QelSafeCast<TQelRefField>(Field()); }
    TQelObjectTree* ObjectTree() const { return tree_.get(); }

    // The object of the selected node; without a selection the first node whose text is the
    // combo's text; else none.
    TQelObject* get_SelectedObject() const;
    TQelObjectKey get_SelectedKey() const;
    void set_SelectedObject(TQelObject* obj);
    void set_SelectedKey(TQelObjectKey key);
    // The node of `key`, its branch read on the way (none when the key is not in the tree).
    TTreeNode* NodeOfKey(TQelObjectKey key) { return nodes_.NodeOfKey(key); }
    static TQelObjectKey KeyOfNode(const TTreeNode* node) { return TQelObjectTreeNodes::KeyOfNode(node); }
    void fill_treeview();

    TQelTreeComboOptions get_TreeComboOptions() const { return options_; }
    void set_TreeComboOptions(TQelTreeComboOptions o);
    std::string get_NullEntry() const { return nullEntry_; }
    void set_NullEntry(const std::string& s) { nullEntry_ = s; }
    void set_Text(const std::string& text) { SetTextQuietly(text); }

    TQelBeforeAddEvent BeforeAdd;
    TQelEditObjEvent OnEditObj;

    void init_popupmenu();
    void create_obj_event(TObject*);
    void edit_obj_event(TObject*);
    void drop_obj_event(TObject*);

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;

private:
    void show();
    bool accepted(TQelObjectKey key);

    TQelTreeComboOptions options_;
    std::string nullEntry_;
    std::unique_ptr<TQelObjectTree> tree_;
    TQelObjectTreeNodes nodes_ { Tree() };
    TTreeNode* nullNode_ = nullptr;
};
