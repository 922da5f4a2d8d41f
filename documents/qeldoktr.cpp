#include "documents/qeldoktr.h"

#include "binding/qellogging.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"
#include "toolkit/dialogs.h"
#include "toolkit/icons.h"
#include "toolkit/screen.h"

#include <algorithm>

namespace {

const char* const kNewFolder = "Neuen Ordner anlegen ...";
const char* const kNewFolderTitle = "Neuen Ordner anlegen";
const char* const kNewFolderPrompt = "Bitte geben Sie einen Ordner an:";
const char* const kRename = "Ordner umbenennen ...";
const char* const kRenameTitle = "Ordner umbenennen";
const char* const kRenamePrompt = "Bitte geben Sie einen neuen Ordnernamen an:";
const char* const kNotMoved = "Das Dokument \"%s\" konnte nicht verschoben werden:\n\n%s";
const char* const kNotMovedCaption = "Verschieben gescheitert";

// The path without leading and trailing "/" and blanks around its names; "" for the root.
std::string normalPath(const std::string& path)
{
    std::string out;
    for (const std::string& part : SplitString(path, "/")) {
        const std::string name = Trim(part);
        if (name.empty())
            continue;
        if (!out.empty())
            out += "/";
        out += name;
    }
    return out;
}

bool samePath(const std::string& a, const std::string& b)
{
    return TextFold(normalPath(a)) == TextFold(normalPath(b));
}

// Whether `path` is `dir` or lies below it (without regard to case); the rest after `dir`.
bool below(const std::string& path, const std::string& dir, std::string& rest)
{
    const std::string p = normalPath(path), d = normalPath(dir);
    if (d.empty()) {
        rest = p.empty() ? std::string() : "/" + p;
        return true;
    }
    const std::size_t n = Utf8Length(d);
    if (Utf8Length(p) < n || TextFold(Utf8Substr(p, 0, n)) != TextFold(d))
        return false;
    rest = Utf8Substr(p, n);
    return rest.empty() || rest.front() == '/';
}

} // namespace

TQelDokTree::TQelDokTree(TComponent* owner)
    : TTreeView(owner)
{
    TBitmap b;
    StockIcon(siFolder, 16, b);
    folderImage_ = AddImage(b);
    StockIcon(siObject, 16, b);
    rootImage_ = AddImage(b);
    menu_ = new TPopupMenu(this);
    auto add = [this](const char* caption, const char* shortcut, void (TQelDokTree::*cmd)()) {
        auto* item = new TMenuItem(menu_);
        item->SetCaption(caption);
        item->SetShortCut(TextToShortCut(shortcut));
        item->OnClick = [this, cmd](TObject*) { (this->*cmd)(); };
        menu_->Items()->Add(item);
    };
    add(kNewFolder, "Ctrl+N", &TQelDokTree::cmd_new_folder);
    add(kRename, "F2", &TQelDokTree::cmd_rename_folder);
    SetPopupMenu(menu_);
    SetDragEnabled(true);
    PublishComponent<&TQelDokTree::get_ListView, &TQelDokTree::set_ListView>("ListView");
}

TQelDokTree::~TQelDokTree()
{
    set_ListView(nullptr);
}

void TQelDokTree::set_ListView(TQelListView* lv)
{
    if (listView_ == lv)
        return;
    if (listView_) {
        listView_->OnConnectionChanged = nullptr;
        RemoveFreeNotification(listView_);
    }
    listView_ = lv;
    if (listView_) {
        FreeNotification(listView_);
        listView_->OnConnectionChanged = [this](TObject*) { Reload(true); };
    }
    Reload(true);
}

void TQelDokTree::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component == listView_)
        listView_ = nullptr;
    TTreeView::Notification(component, operation);
}

std::string TQelDokTree::join(const std::string& base, const std::string& name)
{
    const std::string b = normalPath(base);
    return b.empty() ? normalPath(name) : b + "/" + normalPath(name);
}

std::string TQelDokTree::get_NodePath(const TTreeNode* node) const
{
    std::string path;
    for (const TTreeNode* n = node; n && n->Parent(); n = n->Parent())
        path = path.empty() ? n->Text() : n->Text() + "/" + path;
    return path.empty() ? std::string("/") : path;
}

TTreeNode* TQelDokTree::FindNode(const std::string& path) const
{
    TTreeNode* node = Root(0);
    for (const std::string& part : SplitString(normalPath(path), "/")) {
        if (!node)
            return nullptr;
        TTreeNode* next = nullptr;
        for (int i = 0; i < node->Count() && !next; ++i)
            if (TextFold(node->Item(i)->Text()) == TextFold(part))
                next = node->Item(i);
        node = next;
    }
    return node;
}

void TQelDokTree::Reload(bool full)
{
    {
        TFlagScope scope(reloading_);
        reload_nodes(full);
    }
    Change(Selected());
}

void TQelDokTree::reload_nodes(bool full)
{
    TQelObject* obj = listView_ ? listView_->BoundObject() : nullptr;
    const std::string selected = Selected() ? get_NodePath(Selected()) : std::string();
    BeginUpdate();
    Clear();
    if (full)
        userFolders_.clear();
    if (!obj) {
        EndUpdate();
        return;
    }
    std::vector<std::string> paths = TQelDokument::AllePfade(QelDatabase(), obj->Key());
    paths.insert(paths.end(), userFolders_.begin(), userFolders_.end());
    TTreeNode* root = AddChild(nullptr, obj->Name());
    root->SetImageIndex(rootImage_);
    for (const std::string& path : paths) {
        TTreeNode* node = root;
        for (const std::string& raw : SplitString(path, "/")) {
            const std::string part = Trim(raw);
            if (part.empty())
                continue;
            TTreeNode* next = nullptr;
            for (int i = 0; i < node->Count() && !next; ++i)
                if (TextFold(node->Item(i)->Text()) == TextFold(part))
                    next = node->Item(i);
            if (!next) {
                next = AddChild(node, part);
                next->SetImageIndex(folderImage_);
            }
            node = next;
        }
    }
    AlphaSort();
    FullExpand();
    EndUpdate();
    TTreeNode* again = selected.empty() ? nullptr : FindNode(selected == "/" ? "" : selected);
    SetSelected(again ? again : root);
}

void TQelDokTree::Change(TTreeNode* node)
{
    if (reloading_)
        return;
    if (listView_ && node)
        listView_->set_Category(normalPath(get_NodePath(node)));
    TTreeView::Change(node);
}

void TQelDokTree::cmd_new_folder()
{
    if (!listView_ || !listView_->BoundObject())
        return;
    std::string name;
    if (!InputQuery(kNewFolderTitle, kNewFolderPrompt, name) || normalPath(name).empty())
        return;
    const std::string base = Selected() ? get_NodePath(Selected()) : std::string("/");
    const std::string path = join(base == "/" ? std::string() : base, name);
    if (std::none_of(userFolders_.begin(), userFolders_.end(),
            [&](const std::string& f) { return samePath(f, path); }))
        userFolders_.push_back(path);
    Reload(false);
    if (TTreeNode* node = FindNode(path))
        SetSelected(node);
}

void TQelDokTree::cmd_rename_folder()
{
    TTreeNode* node = Selected();
    if (!node || !node->Parent())
        return; // the root is the object, not a folder
    try {
        std::string name = node->Text();
        if (!InputQuery(kRenameTitle, kRenamePrompt, name) || normalPath(name).empty())
            return;
        const std::string from = get_NodePath(node);
        const std::string parent = node->Parent()->Parent() ? get_NodePath(node->Parent()) : std::string();
        move_dir(from, join(parent, name));
    } catch (const std::exception& e) {
        QelLogError("Exception bei evUmbenennen: %s", e.what());
    } catch (...) {
        QelLogError("Unbekannte Exception bei evUmbenennen");
    }
}

void TQelDokTree::remove_dir(const std::string& path)
{
    std::string rest;
    userFolders_.erase(std::remove_if(userFolders_.begin(), userFolders_.end(),
                           [&](const std::string& f) { return below(f, path, rest); }),
        userFolders_.end());
}

void TQelDokTree::move_dir(std::string from, const std::string& to)
{
    if (!listView_)
        return;
    while (!from.empty() && from.back() == '/')
        from.pop_back();
    if (normalPath(from).empty())
        return; // the root does not move
    std::string rest;
    // Not into itself; the same name in other case is a rename.
    if (below(to, from, rest) && (!rest.empty() || normalPath(to) == normalPath(from)))
        return;
    const TWaitCursor wait;
    BeginUpdate();
    std::vector<TMovedZuordnung> moved;
    for (TQelZuordnung& z : listView_->GetZuordnungen()) {
        if (!below(z.Kategorie(), from, rest))
            continue;
        moved.push_back({ z, z.Kategorie() });
        z.set_Kategorie(normalPath(to + rest));
    }
    commit_moved(moved);
    // User folders below `from` move along.
    std::vector<std::string> folders;
    for (const std::string& f : userFolders_)
        if (below(f, from, rest))
            folders.push_back(normalPath(to + rest));
    remove_dir(from);
    userFolders_.insert(userFolders_.end(), folders.begin(), folders.end());
    EndUpdate();
    listView_->Reload();
    Reload(false);
    if (TTreeNode* node = FindNode(to))
        SetSelected(node);
}

void TQelDokTree::move_rows(const std::vector<TListItem*>& rows, const std::string& path)
{
    if (!listView_)
        return;
    const std::string target = path == "/" ? std::string() : normalPath(path);
    std::vector<TMovedZuordnung> moved;
    for (TListItem* row : rows) {
        TQelZuordnung z = listView_->get_zuordnung(row);
        if (!z)
            continue;
        moved.push_back({ z, z.Kategorie() });
        z.set_Kategorie(target);
    }
    commit_moved(moved);
    listView_->Reload();
    Reload(false);
}

void TQelDokTree::commit_moved(const std::vector<TMovedZuordnung>& moved)
{
    std::vector<TQelDokument*> docs;
    for (const TMovedZuordnung& m : moved)
        if (TQelDokument* doc = m.zuordnung.Dokument();
            doc && std::find(docs.begin(), docs.end(), doc) == docs.end())
            docs.push_back(doc);
    std::string failures;
    for (TQelDokument* doc : docs) {
        if (doc->Commit())
            continue;
        // Not stored: the document stays in the folder it is stored in.
        const std::string error = doc->ErrorMessage();
        for (const TMovedZuordnung& m : moved)
            if (TQelZuordnung z = m.zuordnung; z.Dokument() == doc)
                z.set_Kategorie(m.category);
        QelLogError("Dokument %s: %s", doc->DocName(), error);
        failures += (failures.empty() ? "" : "\n\n") + FormatStr(kNotMoved, doc->DocName(), error);
    }
    if (!failures.empty())
        Dialogs().MessageBox(failures, kNotMovedCaption, MB_OK | MB_ICONERROR);
}

bool TQelDokTree::DragOver(TControl* source, int x, int y)
{
    TTreeNode* target = GetNodeAt(x, y);
    if (!target || !listView_)
        return false;
    if (source == listView_)
        return listView_->SelCount() > 0 && !listView_->get_ReadOnly();
    if (source == this) {
        TTreeNode* moving = Selected();
        if (!moving || !moving->Parent() || moving->Parent() == target)
            return false;
        for (TTreeNode* n = target; n; n = n->Parent())
            if (n == moving)
                return false; // not into itself or below
        return true;
    }
    return false;
}

void TQelDokTree::DragDrop(TControl* source, int x, int y)
{
    try {
        TTreeNode* target = GetNodeAt(x, y);
        if (!DragOver(source, x, y))
            return;
        const std::string to = get_NodePath(target);
        if (source == listView_) {
            move_rows(listView_->SelectedItems(), to);
        } else {
            TTreeNode* moving = Selected();
            move_dir(get_NodePath(moving), join(to == "/" ? std::string() : to, moving->Text()));
        }
    } catch (const std::exception& e) {
        QelLogError("Exception bei evDargDrop: %s", e.what());
    } catch (...) {
        QelLogError("Unbekannte Exception bei evDragDrop");
    }
}
