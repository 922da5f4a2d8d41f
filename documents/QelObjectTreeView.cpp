#include "documents/QelObjectTreeView.h"

#include "binding/methods.h"
#include "controls/QelPanel.h"
#include "lists/QelSelectGrid.h"

#include "toolkit/flagscope.h"

TQelObjectTreeView::TQelObjectTreeView(TComponent* owner)
    : TTreeView(owner)
{
    menu_ = new TPopupMenu(this);
    menu_->Items()->Add(TQelCommonMethods::MakeMenuItem(
        menu_, NeuText, "Ctrl+N", TNotifyEvent(this, &TQelObjectTreeView::cmd_new)));
    SetPopupMenu(menu_);
    Publish<&TQelObjectTreeView::get_Kategorie, &TQelObjectTreeView::set_Kategorie>("Kategorie");
    PublishSet<&TQelObjectTreeView::get_ObjectTreeViewOptions, &TQelObjectTreeView::set_ObjectTreeViewOptions,
        kQelObjectTreeViewOptionNames>("ObjectTreeViewOptions");
}

TQelObjectTreeView::~TQelObjectTreeView()
{
    set_SelectGrid(nullptr);
    set_Panel(nullptr);
}

void TQelObjectTreeView::set_ClassType(TQelClassKey cls)
{
    if (cls == cls_)
        return;
    cls_ = cls;
    tree_.reset(); // built anew for the other class at the next Reload
}

void TQelObjectTreeView::set_SelectGrid(TQelSelectGrid* grid)
{
    if (grid_ == grid)
        return;
    if (grid_)
        RemoveFreeNotification(grid_);
    grid_ = grid;
    if (grid_)
        FreeNotification(grid_);
}

void TQelObjectTreeView::set_Panel(TQelPanel* panel)
{
    if (panel_ == panel)
        return;
    if (panel_)
        RemoveFreeNotification(panel_);
    panel_ = panel;
    if (panel_)
        FreeNotification(panel_);
}

void TQelObjectTreeView::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove) {
        if (component == grid_)
            grid_ = nullptr;
        if (component == panel_)
            panel_ = nullptr;
    }
    TTreeView::Notification(component, operation);
}

std::string TQelObjectTreeView::make_name(const TQelKlasse* cls) const
{
    return cls->nameInfo.plural.empty() ? cls->Name() : cls->nameInfo.plural;
}

void TQelObjectTreeView::Reload()
{
    TQelDatabase* db = QelDatabase();
    const TQelObjectKey selected = get_SelectedKey();
    {
        TFlagScope reloading(reloading_);
        BeginUpdate();
        objects_.Clear();
        views_.clear();
        Clear();
        if (db && db->Initialized()) {
            if (mode_ == otmFieldTypes) {
                for (const TQelFeldtyp* t : db->Schema().FieldTypes())
                    if (!t->get_Parent())
                        add_typen(t, nullptr);
            } else if (mode_ == otmObjects) {
                if (!tree_ && db->Klasse(cls_)) {
                    tree_ = std::make_unique<TQelObjectTree>(db, cls_);
                    tree_->Load();
                }
                objects_.Fill(tree_.get());
            } else if (const TQelKlasse* root = db->Klasse(TQelClassKey(qelcls::Objekt))) {
                add_klassen(root, nullptr);
            }
        }
        // Classes and types are few: all of them show. Objects open a level at a time.
        if (mode_ != otmObjects)
            FullExpand();
        EndUpdate();
        set_SelectedKey(selected);
    }
}

void TQelObjectTreeView::add_klassen(const TQelKlasse* cls, TTreeNode* parent)
{
    const bool metaFits = mode_ == otmAllClasses || (mode_ == otmMetaClasses) == cls->Meta();
    const bool isRoot = cls->id == qelcls::Objekt;
    TTreeNode* node = parent;
    if (cls->CategoryIndex() >= kategorie_ && metaFits && (!isRoot || options_.Contains(otoShowRoot))) {
        std::string caption = make_name(cls);
        bool accept = true;
        OnAddClass(this, cls->Key(), caption, accept);
        if (accept) {
            node = AddChild(parent, caption);
            node->SetData(TQelObjectTreeNodes::KeyData(TQelObjectKey(cls->id)));
        }
    }
    // A class left out still shows its subclasses, below the nearest shown ancestor.
    for (const TQelKlasse* sub : cls->Subclasses())
        add_klassen(sub, node);
}

void TQelObjectTreeView::add_typen(const TQelFeldtyp* type, TTreeNode* parent)
{
    TTreeNode* node = AddChild(parent, type->name);
    node->SetData(TQelObjectTreeNodes::KeyData(TQelObjectKey(type->id)));
    TQelDatabase* db = QelDatabase();
    for (const TQelFeldtyp* t : db->Schema().FieldTypes())
        if (t->get_Parent() == type)
            add_typen(t, node);
}

TTreeNode* TQelObjectTreeView::AddManually(
    TTreeNode* parent, TQelClassKey cls, TQelAnsichtKey view, const std::string& caption, int imageIndex)
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db && cls.Valid() ? db->Klasse(cls) : nullptr;
    if (cls.Valid() && !k)
        return nullptr;
    TTreeNode* node = AddChild(parent, caption.empty() && k ? make_name(k) : caption);
    node->SetData(TQelObjectTreeNodes::KeyData(TQelObjectKey(cls.Id())));
    if (view.Valid())
        views_[node] = view;
    if (imageIndex >= 0)
        node->SetImageIndex(imageIndex);
    return node;
}

TQelAnsichtKey TQelObjectTreeView::ViewOfNode(const TTreeNode* node) const
{
    auto it = views_.find(node);
    return it != views_.end() ? it->second : TQelAnsichtKey();
}

TTreeNode* TQelObjectTreeView::FindKey(TQelObjectKey key)
{
    if (!key.Valid())
        return nullptr;
    if (mode_ == otmObjects)
        return objects_.NodeOfKey(key);
    for (TTreeNode* node : AllNodes())
        if (KeyOfNode(node) == key)
            return node;
    return nullptr;
}

void TQelObjectTreeView::set_SelectedKey(TQelObjectKey key)
{
    TTreeNode* node = FindKey(key);
    if (node)
        MakeVisible(node);
    SetSelected(node);
}

void TQelObjectTreeView::Change(TTreeNode* node)
{
    if (reloading_)
        return;
    TQelDatabase* db = QelDatabase();
    const TQelObjectKey key = KeyOfNode(node);
    if (grid_) {
        if (!key.Valid()) {
            grid_->set_ClassType(TQelClassKey());
        } else if (mode_ != otmObjects && mode_ != otmFieldTypes) {
            if (grid_->get_ClassType() != TQelClassKey(key.Id()))
                grid_->set_ClassType(TQelClassKey(key.Id()));
            grid_->set_BaseFilter(ViewOfNode(node));
        }
        grid_->SetVisible(key.Valid());
    }
    if (panel_) {
        TQelObject* obj = mode_ == otmObjects && key.Valid() && db ? db->GetObjectA(key) : nullptr;
        panel_->ConnectFL(obj ? obj->FieldList() : nullptr, false);
    }
    TTreeView::Change(node);
}

void TQelObjectTreeView::cmd_new(TObject*)
{
    OnNewObject(this, get_SelectedKey(), Selected());
}
