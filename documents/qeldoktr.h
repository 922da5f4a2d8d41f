#pragma once
// TQelDokTree: the categories of the documents assigned to an object as a folder tree beside a
// TQelListView. Selecting a folder shows its documents in the list; folders are created and
// renamed from the popup menu; rows of the list dropped on a folder move their documents there,
// and a folder dropped on another moves below it. A category is a folder path "a/b"; the root
// node stands for the object itself (path "/").
#include "documents/QelListView.h"
#include "toolkit/menus.h"
#include "toolkit/treeview.h"

#include <string>
#include <vector>

class TQelDokTree : public TTreeView {
public:
    explicit TQelDokTree(TComponent* owner);
    ~TQelDokTree() override;

    TQelListView* get_ListView() const { return listView_; }
    void set_ListView(TQelListView* lv);

    void Reload(bool full);
    std::string get_NodePath(const TTreeNode* node) const;
    TTreeNode* FindNode(const std::string& path) const;
    // Folders the user created that may have no documents yet.
    const std::vector<std::string>& UserFolders() const { return userFolders_; }

    void cmd_new_folder();
    void cmd_rename_folder();
    // Moves every document below `from` to `to` (the folder and its subfolders).
    void move_dir(std::string from, const std::string& to);
    // Moves the documents of the list's rows into the folder `path`.
    void move_rows(const std::vector<TListItem*>& rows, const std::string& path);
    TPopupMenu* Menu() const { return menu_; }

    bool DragOver(TControl* source, int x, int y) override;
    void DragDrop(TControl* source, int x, int y) override;

protected:
    void Change(TTreeNode* node) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // An assignment moved to another folder, with the category it had.
    struct TMovedZuordnung {
        TQelZuordnung zuordnung;
        std::string category;
    };
    // Commits the documents of the moved assignments; a document that cannot be stored gets its
    // categories back, and the user is told which and why.
    void commit_moved(const std::vector<TMovedZuordnung>& moved);
    void remove_dir(const std::string& path);
    void reload_nodes(bool full);
    static std::string join(const std::string& base, const std::string& name);

    TQelListView* listView_ = nullptr;
    TPopupMenu* menu_ = nullptr;
    std::vector<std::string> userFolders_;
    int folderImage_ = -1;
    int rootImage_ = -1;
    bool reloading_ = false;
};
