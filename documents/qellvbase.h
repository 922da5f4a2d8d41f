#pragma once
// TQelLVBase: the list view under the document lists. One row per stored document (TQelDokument)
// with name, size, type and date; a popup menu opens, imports, chooses, exports, renames and
// deletes documents; files dropped from the desktop are imported. Where the documents come from
// is the subclasses' business (TQelDocVecView: a vector; TQelListView: the documents assigned to
// an object): they fill the virtual operations below.
#include "binding/qeldatacontrol.h"
#include "objdb/qeldocuments.h"
#include "toolkit/listview.h"
#include "toolkit/menus.h"

#include <map>
#include <string>
#include <vector>

enum TQelListViewOption { lvoAutoConnect, lvoCommitOnImport, lvoDummy };
using TQelListViewOptions = TSet<TQelListViewOption>;
inline constexpr const char* kQelListViewOptionNames[]
    = { "lvoAutoConnect", "lvoCommitOnImport", "lvoDummy" };
static_assert(std::size(kQelListViewOptionNames) == lvoDummy + 1);
enum TQelLVColumn { colSize, colType, colDate };
using TQelLVColumns = TSet<TQelLVColumn>;
inline constexpr const char* kQelLVColumnNames[] = { "colSize", "colType", "colDate" };
static_assert(std::size(kQelLVColumnNames) == colDate + 1);
enum TQelBlobExecuteOption { beoIgnoreChanges, beoInstantCommit };
using TQelBlobExecuteOptions = TSet<TQelBlobExecuteOption>;
inline constexpr const char* kQelBlobExecuteOptionNames[] = { "beoIgnoreChanges", "beoInstantCommit" };
static_assert(std::size(kQelBlobExecuteOptionNames) == beoInstantCommit + 1);

class TQelLVBase : public TQelDataControl<TCustomListView> {
public:
    explicit TQelLVBase(TComponent* owner);
    ~TQelLVBase() override;

    // Events (Sender first).
    TEvent<TObject*, const std::string&, bool&> OnImporting;
    TEvent<TObject*, TListItem*, bool> AfterImport;
    TEvent<TObject*, std::vector<TQelObjectKey>&> OnChoosing;
    TEvent<TObject*, TQelDokument*> AfterChoose;
    TEvent<TObject*, TQelDokument*, std::string&, bool&> OnExporting;
    TEvent<TObject*, TQelDokument*, int&> OnOpenDocument;
    TEvent<TObject*, const std::string&, std::string&> OnGetValue;
    TEvent<TObject*, TQelZuordnung&> OnInitZuordnung;
    TEvent<TObject*, TListItem*> OnDeleteItem;
    TEvent<TObject*, TListItem*, bool&> OnCanDeleteItem;
    TEvent<TObject*, TPopupMenu*> OnAddMenuItems;
    TEvent<TObject*, TPopupMenu*> OnMenuPopup;
    TEvent<TObject*, TQelDokument*, std::string&, TBitmap&> OnGetDocumentIcon;
    TEvent<TObject*, TQelDokument*> OnEditProps;
    TEvent<TObject*, TListItem*, bool&> OnCanEditItem;
    TNotifyEvent AfterLoad;
    // The view was connected or disconnected (a folder tree follows it).
    TNotifyEvent OnConnectionChanged;

    TQelListViewOptions ListViewOptions { lvoAutoConnect };
    TQelLVColumns ShowColumns { colSize, colType, colDate };
    std::string DocumentType;
    std::string AdditionalColumns;
    std::string ImportTypes = "Alle Dateien (*.*)|*.*|Textdateien (*.txt)|*.TXT|Word-Dokumente (*.doc)|*.DOC|"
                              "PDF-Dateien (*.pdf)|*.PDF";
    std::string DefaultArt;
    std::string DefaultKategorie;
    TQelBlobExecuteOptions ExecuteOptions;
    TQelListViewOptions get_ListViewOptions() const { return ListViewOptions; }
    void set_ListViewOptions(TQelListViewOptions o) { ListViewOptions = o; }
    TQelLVColumns get_ShowColumns() const { return ShowColumns; }
    void set_ShowColumns(TQelLVColumns c) { ShowColumns = c; }
    std::string get_DocumentType() const { return DocumentType; }
    void set_DocumentType(const std::string& s) { DocumentType = s; }
    std::string get_AdditionalColumns() const { return AdditionalColumns; }
    void set_AdditionalColumns(const std::string& s) { AdditionalColumns = s; }
    std::string get_ImportTypes() const { return ImportTypes; }
    void set_ImportTypes(const std::string& s) { ImportTypes = s; }
    std::string get_DefaultArt() const { return DefaultArt; }
    void set_DefaultArt(const std::string& s) { DefaultArt = s; }
    std::string get_DefaultKategorie() const { return DefaultKategorie; }
    void set_DefaultKategorie(const std::string& s) { DefaultKategorie = s; }
    TQelBlobExecuteOptions get_ExecuteOptions() const { return ExecuteOptions; }
    void set_ExecuteOptions(TQelBlobExecuteOptions o) { ExecuteOptions = o; }

    // Binding.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfNotConnected);
    int Connect(const TQelObject* obj, bool onlyIfNotConnected);
    int Disconnect();
    bool Connected() const { return connected_; }

    bool Reload(int reserved = 0);
    void RefreshItem(TListItem* item) { refresh_item(item); }
    void DeleteItem(TListItem* item);
    TQelDokument* get_SelectedDocument() const;
    void set_SelectedDocument(TQelDokument* doc);
    TListItem* find_item(const TQelDokument* doc) const;
    TQelFileField* get_SelectedBlobField() const;
    // The document's name; the blob and document of the row through the pointers.
    std::string docinfo(TListItem* item, TQelFileField** blob, TQelDokument** doc) const;

    bool import_document(const std::string& path, TListItem** item);
    // The path written, or "" (the user was told why).
    std::string export_document(const std::string& folder, const std::string& name, TQelDokument* doc);
    TQelDokument* create_doc();
    TQelDokument* check_overwrite(TQelDokument* doc, TListItem** item);
    void init_zuordnung(TQelZuordnung& z);

    // The commands of the popup menu.
    void cmd_open();
    void cmd_import();
    void cmd_choose();
    void cmd_export();
    void cmd_delete();
    void cmd_props();
    TPopupMenu* Menu() const { return menu_; }
    // A new private folder for a document to be opened with its program ("" and `error` when none
    // can be made).
    static std::string OpenFolder(std::string& error);

    // The document of a row, or null.
    virtual TQelDokument* get_doc(TListItem* item) const;
    // The bound object interface.
    virtual TQelObjectInterface* get_oi() const { return nullptr; }

protected:
    // Subclass operations.
    virtual int connect_fl(const TQelFieldList* fl) = 0;
    virtual void edit_props(TListItem* item);
    virtual void doc_changed(TQelDokument*) { }
    virtual bool load_items() = 0;
    // Attaches a new document to the bound data; its row, or null with the reason in `error`.
    virtual TListItem* add_doc(TQelDokument* doc, std::string& error) = 0;
    virtual void delete_item(TListItem* item);
    virtual TListItem* add_item(TQelDokument* doc);
    virtual void refresh_item(TListItem* item);
    virtual std::string get_name(TQelDokument* doc) const;
    virtual std::string get_size(TQelDokument* doc) const;
    virtual std::string get_type(TQelDokument* doc) const;
    virtual std::string get_date(TQelDokument* doc) const;
    virtual bool custom_sort(TListItem* a, TListItem* b) const;
    // The popup menu after the base items (subclasses add theirs).
    virtual void add_menu_items(TPopupMenu*) { }
    // The menu pops up: subclasses enable their items (before OnMenuPopup).
    virtual void update_menu_items(TPopupMenu*) { }
    // The row belongs to document `doc` (kept as its key, so a freed document is no dangling pointer).
    void set_row_doc(TListItem* item, TQelObjectKey doc);
    TQelDokument* doc_of_key(TQelObjectKey key) const;
    void clear_rows();
    bool loading() const { return loading_; }

    void WndProc(TMessage& m) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    bool CanEdit(TListItem* item) override;
    void Edit(TListItem* item, std::string& text) override;
    void DblClick() override;
    void ColClick(int column) override;
    void FilesDropped(const std::vector<std::string>& files) override;
    void DoEnter() override;
    void DoExit() override;

    bool connected_ = false;

private:
    void init_columns();
    void build_menu();
    void menu_popup();
    int get_image_index(TQelDokument* doc);
    void add_default_image();
    void import_files(const std::vector<std::string>& files);
    void set_view_style(TViewStyle style);

    TPopupMenu* menu_ = nullptr;
    std::map<std::string, TMenuItem*> items_;
    std::vector<std::string> iconKeys_;
    std::map<const TListItem*, TQelObjectKey> rowDocs_;
    int sortColumn_ = 0; // 1-based; negative descending; 0 unsorted
    bool loading_ = false;
};
