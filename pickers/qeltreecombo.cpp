#include "pickers/qeltreecombo.h"
#include "binding/qelownmenu.h"
#include "pickers/qelrefdelete.h"

#include "binding/methods.h"

#include "toolkit/dialogs.h"

namespace {

const char* const kTreeCreate = "%s definieren...";
const char* const kTreeEdit = "%s '%s' bearbeiten...";
const char* const kTreeDelete = "%s '%s' löschen";

} // namespace

TQelTreeCombo::TQelTreeCombo(TComponent* owner)
    : TQelDataControl(owner)
{
    options_ << tcoObjCreate << tcoObjEdit << tcoObjDrop;
    link_.hooks.accepts = [](TQelObjectInterface* oi) { return QelSafeCast<TQelRefField>(oi) != nullptr; };
    link_.hooks.read = [this] { show(); };
    link_.hooks.write = [this] {
        if (TQelRefField* ref = get_RefField())
            ref->set_AsObject(get_SelectedObject());
    };
    link_.hooks.readOnlyChanged = [this](bool readOnly) {
        SetReadOnly(readOnly);
        init_popupmenu();
    };
    PublishBinding(qelPublishAll);
    Publish<&TQelTreeCombo::get_NullEntry, &TQelTreeCombo::set_NullEntry>("NullEntry");
    PublishSet<&TQelTreeCombo::get_TreeComboOptions, &TQelTreeCombo::set_TreeComboOptions,
        kQelTreeComboOptionNames>("TreeComboOptions");
}

TQelTreeCombo::~TQelTreeCombo() = default;

int TQelTreeCombo::ConnectFL(const TQelFieldList* fl, bool onlyIfNotConnected)
{
    const int result = link_.Connect(fl, onlyIfNotConnected);
    if (onlyIfNotConnected && result == 0 && get_Connected())
        return 0;
    TQelRefField* ref = get_RefField();
    TQelDatabase* db = QelDatabase();
    if (ref && db) {
        if (tree_ && tree_->ClassKey() != ref->ClassType())
            tree_.reset();
        if (!tree_) {
            tree_ = std::make_unique<TQelObjectTree>(db, ref->ClassType());
            tree_->Load();
            tree_->set_OnUpdate([this] {
                fill_treeview();
                link_.Show();
            });
        }
        fill_treeview();
        show();
        SetHint(ref->Description());
    } else {
        nodes_.Fill(nullptr);
        nullNode_ = nullptr;
        Tree().Clear();
    }
    init_popupmenu();
    return result;
}

int TQelTreeCombo::Reconnect()
{
    TQelFieldList* fl = FieldList();
    return fl ? ConnectFL(fl, false) : 0;
}

bool TQelTreeCombo::accepted(TQelObjectKey key)
{
    if (!BeforeAdd)
        return true;
    bool accept = true;
    TQelDatabase* db = QelDatabase();
    BeforeAdd(this, key, db ? db->GetObjectA(key) : nullptr, accept);
    return accept;
}

void TQelTreeCombo::fill_treeview()
{
    nodes_.Clear();
    nullNode_ = nullptr;
    Tree().BeginUpdate();
    Tree().Clear();
    if (!nullEntry_.empty())
        nullNode_ = Tree().AddChild(nullptr, nullEntry_);
    // Without BeforeAdd every object has a node and the tree is read as it opens.
    if (BeforeAdd)
        nodes_.accepts = [this](TQelObjectKey key) { return accepted(key); };
    else
        nodes_.accepts = nullptr;
    nodes_.Fill(tree_.get());
    Tree().EndUpdate();
}

TQelObject* TQelTreeCombo::get_SelectedObject() const
{
    TQelObjectKey key = get_SelectedKey();
    TQelDatabase* db = QelDatabase();
    return key.Valid() && db ? db->GetObjectA(key) : nullptr;
}

TQelObjectKey TQelTreeCombo::get_SelectedKey() const
{
    if (TTreeNode* node = Selection())
        return KeyOfNode(node);
    const std::string text = GetText();
    for (TTreeNode* node : Tree().AllNodes())
        if (node->Text() == text)
            return KeyOfNode(node);
    return {};
}

void TQelTreeCombo::set_SelectedObject(TQelObject* obj)
{
    set_SelectedKey(obj ? obj->Key() : TQelObjectKey());
}

void TQelTreeCombo::set_SelectedKey(TQelObjectKey key)
{
    TTreeNode* node = key.Valid() ? NodeOfKey(key) : nullNode_;
    SetSelection(node);
    if (node && DroppedDown())
        Tree().MakeVisible(node);
}

void TQelTreeCombo::show()
{
    TQelRefField* ref = get_RefField();
    if (!ref) {
        SetSelection(nullptr);
        return;
    }
    const TQelObjectKey key = ref->AsKey();
    TTreeNode* node = key.Valid() ? NodeOfKey(key) : nullNode_;
    if (node != Selection() || !node)
        SetSelection(node);
    if (!node)
        SetTextQuietly(key.Valid() ? ref->ObjectName() : std::string()); // an object outside the tree
}

void TQelTreeCombo::Change()
{
    if (SettingText())
        return;
    // Typed text that names no node leaves the stored reference alone; an empty text or the
    // null entry clears it.
    const bool chosen
        = get_SelectedKey().Valid() || (Selection() && Selection() == nullNode_) || GetText().empty();
    if (get_Connected() && !link_.Showing() && chosen) {
        link_.Write();
        link_.Edited();
        init_popupmenu();
    }
    TAdvTreeComboBox::Change();
}

void TQelTreeCombo::DoEnter()
{
    TAdvTreeComboBox::DoEnter();
    link_.TellFormEnter();
}

void TQelTreeCombo::DoExit()
{
    TAdvTreeComboBox::DoExit();
    if (get_Connected()) {
        link_.Show();
        link_.TellFormExit();
    }
}

void TQelTreeCombo::set_TreeComboOptions(TQelTreeComboOptions o)
{
    options_ = o;
    init_popupmenu();
}

// --- popup menu --------------------------------------------------------------------------------

void TQelTreeCombo::init_popupmenu()
{
    TQelRefField* ref = get_RefField();
    const bool wanted = ref && !link_.ReadOnly()
        && (options_.Contains(tcoObjCreate) || options_.Contains(tcoObjEdit)
            || options_.Contains(tcoObjDrop));
    TPopupMenu* menu = QelOwnPopupMenu(this, wanted);
    if (!menu)
        return;
    const TQelClassKey cls = ref->ClassType();
    TQelObject* obj = ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    const std::string np = MakeNP(cls, "", 4, true, 'm');
    if (OnEditObj && options_.Contains(tcoObjCreate))
        menu->Items()->Add(
            TQelCommonMethods::MakeMenuItem(menu, FormatStr(kTreeCreate, MakeNP(cls, "Neu", 4, true, 'm')),
                "Ctrl+N", TNotifyEvent(this, &TQelTreeCombo::create_obj_event)));
    if (obj && OnEditObj && options_.Contains(tcoObjEdit))
        menu->Items()->Add(TQelCommonMethods::MakeMenuItem(menu, FormatStr(kTreeEdit, np, obj->Name()),
            "Ctrl+B", TNotifyEvent(this, &TQelTreeCombo::edit_obj_event)));
    if (obj && options_.Contains(tcoObjDrop))
        menu->Items()->Add(TQelCommonMethods::MakeMenuItem(menu, FormatStr(kTreeDelete, np, obj->Name()),
            "Ctrl+L", TNotifyEvent(this, &TQelTreeCombo::drop_obj_event)));
}

void TQelTreeCombo::create_obj_event(TObject*)
{
    TQelRefField* ref = get_RefField();
    TQelDatabase* db = QelDatabase();
    if (!ref || !db || !OnEditObj || !options_.Contains(tcoObjCreate))
        return;
    TQelObject* obj = db->CreateObject(ref->ClassType());
    if (!obj)
        return;
    const std::weak_ptr<bool> alive = obj->LifeToken();
    OnEditObj(this, obj);
    if (alive.expired())
        return;
    if (obj->IsNew()) {
        db->FreeObject(obj); // not stored: nothing to refer to
        return;
    }
    if (tree_)
        tree_->Load();
    fill_treeview();
    ref->set_AsObject(obj);
    init_popupmenu();
}

void TQelTreeCombo::edit_obj_event(TObject*)
{
    TQelRefField* ref = get_RefField();
    TQelObject* obj = ref && ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    if (!obj || !OnEditObj || !options_.Contains(tcoObjEdit))
        return;
    const TQelObjectKey key = obj->Key();
    const std::string before = obj->Name();
    OnEditObj(this, obj);
    TQelObject* after = key.Object();
    if (after && after->Name() != before)
        if (TTreeNode* node = NodeOfKey(key)) {
            node->SetText(after->Name());
            if (node == Selection())
                SetTextQuietly(after->Name());
        }
    init_popupmenu();
}

void TQelTreeCombo::drop_obj_event(TObject*)
{
    TQelRefField* ref = get_RefField();
    TQelObject* obj = ref && ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    if (!obj || !options_.Contains(tcoObjDrop) || !QelDeleteReferencedObject(ref, obj->Name()))
        return;
    if (tree_)
        tree_->Load();
    fill_treeview();
    show();
    init_popupmenu();
}
