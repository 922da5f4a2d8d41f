#pragma once
// TQelObjectTreeView: a navigation tree of the object database: its classes (all, only meta or
// only other classes), its field types, or the objects of one class arranged by their parent
// field. Selecting a node points a linked select grid at the node's class and stored view, and
// a linked field panel at the node's object. Object levels are read when they open.
#include "binding/objdb.h"
#include "binding/qelobjecttreenodes.h"

#include "toolkit/menus.h"
#include "toolkit/treeview.h"

#include <memory>
#include <unordered_map>

class TQelSelectGrid;
class TQelPanel;

enum TQelObjectTreeViewOption { otoShowRoot };
using TQelObjectTreeViewOptions = TSet<TQelObjectTreeViewOption>;
inline constexpr const char* kQelObjectTreeViewOptionNames[] = { "otoShowRoot" };
static_assert(std::size(kQelObjectTreeViewOptionNames) == otoShowRoot + 1);

enum TQelObjectTreeMode { otmAllClasses, otmMetaClasses, otmDataClasses, otmFieldTypes, otmObjects };

// Before a class node is added: its caption may change, `accept` false leaves it out.
using TQelAddClassEvent = TEvent<TObject*, TQelClassKey, std::string&, bool&>;
// The "Neu..." command with the selected node's key and the node.
using TQelNewObjectEvent = TEvent<TObject*, TQelObjectKey, TTreeNode*>;

class TQelObjectTreeView : public TTreeView {
public:
    explicit TQelObjectTreeView(TComponent* owner);
    ~TQelObjectTreeView() override;

    static inline const char* const NeuText = "Neu...";

    void Reload();
    TQelObjectTreeMode get_Mode() const { return mode_; }
    void set_Mode(TQelObjectTreeMode m) { mode_ = m; }
    // The class whose objects mode otmObjects shows.
    TQelClassKey get_ClassType() const { return cls_; }
    void set_ClassType(TQelClassKey cls);
    int get_Kategorie() const { return kategorie_; }
    void set_Kategorie(int k) { kategorie_ = k; }
    TQelObjectTreeViewOptions get_ObjectTreeViewOptions() const { return options_; }
    void set_ObjectTreeViewOptions(TQelObjectTreeViewOptions o) { options_ = o; }

    TQelSelectGrid* get_SelectGrid() const { return grid_; }
    void set_SelectGrid(TQelSelectGrid* grid);
    TQelPanel* get_Panel() const { return panel_; }
    void set_Panel(TQelPanel* panel);

    // A node for `cls` under `parent` with `view` as its filter (caption: the class's name when
    // empty); a non-negative image index sets the node's images. Class 0 is added unchecked.
    TTreeNode* AddManually(TTreeNode* parent, TQelClassKey cls, TQelAnsichtKey view,
        const std::string& caption, int imageIndex = -1);
    // The key a node stands for (a class, a field type or an object), and its stored view.
    static TQelObjectKey KeyOfNode(const TTreeNode* node) { return TQelObjectTreeNodes::KeyOfNode(node); }
    TQelAnsichtKey ViewOfNode(const TTreeNode* node) const;
    TTreeNode* FindKey(TQelObjectKey key);
    TQelObjectKey get_SelectedKey() const { return KeyOfNode(Selected()); }
    void set_SelectedKey(TQelObjectKey key);
    TQelObjectTree* ObjectTree() const { return tree_.get(); }

    TQelAddClassEvent OnAddClass;
    TQelNewObjectEvent OnNewObject;

    void cmd_new(TObject*);

protected:
    void Change(TTreeNode* node) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void add_klassen(const TQelKlasse* cls, TTreeNode* parent);
    void add_typen(const TQelFeldtyp* type, TTreeNode* parent);
    std::string make_name(const TQelKlasse* cls) const;

    TQelObjectTreeMode mode_ = otmAllClasses;
    TQelClassKey cls_;
    int kategorie_ = 2;
    TQelObjectTreeViewOptions options_;
    bool reloading_ = false;
    TQelSelectGrid* grid_ = nullptr;
    TQelPanel* panel_ = nullptr;
    std::unique_ptr<TQelObjectTree> tree_;
    TQelObjectTreeNodes objects_ { *this };
    std::unordered_map<const TTreeNode*, TQelAnsichtKey> views_;
    TPopupMenu* menu_ = nullptr;
};
