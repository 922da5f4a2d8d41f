#include "documents/qellvbase.h"

#include "binding/qellogging.h"
#include "objdb/qelfiles.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"
#include "toolkit/dialogs.h"
#include "toolkit/icons.h"
#include "toolkit/screen.h"

#include <algorithm>
#include <filesystem>

namespace {

const char* const kDirectory = "Verzeichnisse können nicht importiert werden.";
const char* const kCreateFailed = "Erzeugen des Dokument-Objekts gescheitert.";
const char* const kImportFailed = "Import gescheitert: ";
const char* const kOverwrite = "Es existiert bereits ein Dokument %s. Soll es ersetzt werden?";
const char* const kOverwriteCaption = "Dokument überschreiben?";
const char* const kImported = "Importiert am %s";
const char* const kDocNotStored = "Das Dokument \"%s\" konnte nicht gespeichert werden:\n\n%s";
const char* const kNotStoredCaption = "Import gescheitert";
const char* const kRenamed
    = "Da im Ordner\n\n%s\n\nbereits eine Datei mit Namen\n\n%s\n\nexistiert, wird das Dokument "
      "als\n\n%s\n\n gespeichert.";
const char* const kDocExportTitle
    = "Wählen Sie das Verzeichnis, in dem die selektierten Dokumente gespeichert werden sollen.";
const char* const kDocImportTitle = "Dokument(e) importieren";
const char* const kDocDeleteOne = "Soll das selektierte Dokument";
const char* const kDocDeleteMany = "Sollen die %d selektierten Dokumente";
const char* const kDeleteTail = " wirklich gelöscht werden?";
const char* const kDeleteCaption = "Dokument(e) löschen";
const char* const kMissing
    = "Der Inhalt des Dokuments \"%s\" fehlt in der Datenbank; es kann nicht geöffnet werden.";
const char* const kMissingType = "(Inhalt fehlt)";

std::string withDelimiter(const std::string& folder)
{
    return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

} // namespace

TQelLVBase::TQelLVBase(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.edits = true;
    link_.hooks.read = [] {};
    link_.hooks.connectedChanged = [](bool) {};
    SetViewStyle(vsReport);
    SetReadOnly(false);
    SetHideSelection(false);
    SetMultiSelect(true);
    SetDragEnabled(true);
    SetEnabled(false);
    PublishSet<&TQelLVBase::get_ListViewOptions, &TQelLVBase::set_ListViewOptions, kQelListViewOptionNames>(
        "ListViewOptions");
    PublishSet<&TQelLVBase::get_ShowColumns, &TQelLVBase::set_ShowColumns, kQelLVColumnNames>("ShowColumns");
    Publish<&TQelLVBase::get_DocumentType, &TQelLVBase::set_DocumentType>("DocumentType");
    Publish<&TQelLVBase::get_AdditionalColumns, &TQelLVBase::set_AdditionalColumns>("AdditionalColumns");
    Publish<&TQelLVBase::get_ImportTypes, &TQelLVBase::set_ImportTypes>("ImportTypes");
    Publish<&TQelLVBase::get_DefaultArt, &TQelLVBase::set_DefaultArt>("DefaultArt");
    Publish<&TQelLVBase::get_DefaultKategorie, &TQelLVBase::set_DefaultKategorie>("DefaultKategorie");
    PublishSet<&TQelLVBase::get_ExecuteOptions, &TQelLVBase::set_ExecuteOptions, kQelBlobExecuteOptionNames>(
        "ExecuteOptions");
}

TQelLVBase::~TQelLVBase() = default;

// --- binding -----------------------------------------------------------------------------------

int TQelLVBase::ConnectFL(const TQelFieldList* fl, bool onlyIfNotConnected)
{
    if (!ListViewOptions.Contains(lvoAutoConnect))
        return 0;
    if (onlyIfNotConnected && connected_)
        return 0;
    const int n = connect_fl(fl);
    connected_ = n > 0;
    SetAcceptFiles(connected_);
    if (!loading_)
        SetEnabled(connected_);
    OnConnectionChanged(this);
    return n;
}

int TQelLVBase::Connect(const TQelObject* obj, bool onlyIfNotConnected)
{
    const bool had = ListViewOptions.Contains(lvoAutoConnect);
    ListViewOptions << lvoAutoConnect;
    const int n = ConnectFL(obj ? obj->FieldList() : nullptr, onlyIfNotConnected);
    if (!had)
        ListViewOptions >> lvoAutoConnect;
    return n;
}

int TQelLVBase::Disconnect()
{
    connect_fl(nullptr);
    connected_ = false;
    clear_rows();
    SetAcceptFiles(false);
    SetEnabled(false);
    OnConnectionChanged(this);
    return 0;
}

// --- loading -----------------------------------------------------------------------------------

void TQelLVBase::add_default_image()
{
    TBitmap b;
    StockIcon(siFile, 32, b);
    AddImage(b);
}

void TQelLVBase::init_columns()
{
    ClearColumns();
    const int x = TextWidth(Font(), "X"), nine = TextWidth(Font(), "9");
    AddColumn("Dokument", 30 * x);
    if (ShowColumns.Contains(colSize))
        AddColumn("Größe", 10 * nine, taRightJustify);
    if (ShowColumns.Contains(colType))
        AddColumn("Typ", 20 * x);
    if (ShowColumns.Contains(colDate))
        AddColumn("Datum", 15 * x);
    for (const std::string& entry : make_sl(AdditionalColumns, ",")) {
        const std::size_t open = entry.find('(');
        std::string caption = Trim(entry.substr(0, open));
        int width = 10;
        if (open != std::string::npos) {
            const std::size_t close = entry.find(')', open);
            try {
                width = std::stoi(entry.substr(open + 1, close - open - 1));
            } catch (...) {
                width = 10;
            }
        }
        if (!caption.empty())
            AddColumn(caption, std::max(1, width) * x);
    }
}

bool TQelLVBase::Reload(int)
{
    if (!connected_)
        return false;
    TFlagScope scope(loading_);
    iconKeys_.assign(1, std::string());
    ClearImages();
    TBitmap blank;
    blank.SetSize(32, 32, clWindow);
    AddImage(blank);
    add_default_image();
    iconKeys_.push_back("*default*");
    build_menu();
    clear_rows();
    init_columns();
    bool ok = false;
    try {
        ok = load_items();
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelLVBase::Reload(): %s", e.what());
    }
    if (sortColumn_ != 0)
        CustomSort([this](const TListItem* a, const TListItem* b) {
            return custom_sort(const_cast<TListItem*>(a), const_cast<TListItem*>(b));
        });
    Arrange();
    if (ok)
        AfterLoad(this);
    return ok;
}

void TQelLVBase::clear_rows()
{
    rowDocs_.clear();
    ClearItems();
}

void TQelLVBase::set_row_doc(TListItem* item, TQelObjectKey doc)
{
    rowDocs_[item] = doc;
}

TQelDokument* TQelLVBase::doc_of_key(TQelObjectKey key) const
{
    TQelDatabase* db = QelDatabase();
    if (!db || !key.Valid())
        return nullptr;
    TQelObject* o = db->CachedObject(key);
    return QelAsDokument(o ? o : db->GetObjectA(key));
}

TQelDokument* TQelLVBase::get_doc(TListItem* item) const
{
    auto it = rowDocs_.find(item);
    return it == rowDocs_.end() ? nullptr : doc_of_key(it->second);
}

TListItem* TQelLVBase::add_item(TQelDokument* doc)
{
    TListItem* item = AddItem();
    set_row_doc(item, doc ? doc->Key() : TQelObjectKey());
    return item;
}

int TQelLVBase::get_image_index(TQelDokument* doc)
{
    std::string key;
    if (OnGetDocumentIcon) {
        TBitmap icon;
        OnGetDocumentIcon(this, doc, key, icon);
        if (!key.empty()) {
            auto it = std::find(iconKeys_.begin(), iconKeys_.end(), key);
            if (it != iconKeys_.end())
                return static_cast<int>(it - iconKeys_.begin());
            iconKeys_.push_back(key);
            AddImage(icon);
            return static_cast<int>(iconKeys_.size()) - 1;
        }
    }
    TQelFileField* blob = doc ? doc->Blob() : nullptr;
    const bool missing = blob && blob->Missing();
    key = missing ? "*missing*" : doc ? doc->DataFormat() : std::string();
    if (key.empty())
        key = "*default*";
    auto it = std::find(iconKeys_.begin(), iconKeys_.end(), key);
    if (it != iconKeys_.end())
        return std::max(1, static_cast<int>(it - iconKeys_.begin()));
    TBitmap icon;
    if (missing)
        StockIcon(siMissing, 32, icon);
    else
        FileTypeIcon(key, 32, icon);
    iconKeys_.push_back(key);
    AddImage(icon);
    return static_cast<int>(iconKeys_.size()) - 1;
}

std::string TQelLVBase::get_name(TQelDokument* doc) const
{
    std::string name = doc ? doc->DocName() : std::string();
    OnGetValue(const_cast<TQelLVBase*>(this), "Name", name);
    TQelDatabase* db = QelDatabase();
    if (db && db->Debug() && doc && doc->Blob() && doc->Blob()->HasContent())
        name = "(INT) " + name; // contents are always kept inside the store
    return name;
}

std::string TQelLVBase::get_size(TQelDokument* doc) const
{
    std::string size;
    if (doc && doc->DefaultOpenAction() != 2 && doc->Blob() && doc->Blob()->HasContent())
        size = std::to_string(doc->Blob()->DataLength());
    OnGetValue(const_cast<TQelLVBase*>(this), "Size", size);
    return Trim(size);
}

std::string TQelLVBase::get_type(TQelDokument* doc) const
{
    std::string type;
    if (doc)
        type = doc->Blob() && doc->Blob()->Missing() ? kMissingType : doc->FriendlyDataFormat();
    OnGetValue(const_cast<TQelLVBase*>(this), "Type", type);
    return type;
}

std::string TQelLVBase::get_date(TQelDokument* doc) const
{
    std::string date;
    if (TQelField* f = doc ? doc->FieldByName("Zeitstempel") : nullptr)
        date = f->AsString();
    OnGetValue(const_cast<TQelLVBase*>(this), "Date", date);
    return date;
}

void TQelLVBase::refresh_item(TListItem* item)
{
    if (!item)
        return;
    TQelDokument* doc = get_doc(item);
    if (item->ImageIndex() < 0)
        item->SetImageIndex(get_image_index(doc));
    item->SetCaption(get_name(doc));
    std::vector<std::string> sub;
    if (ShowColumns.Contains(colSize))
        sub.push_back(get_size(doc));
    if (ShowColumns.Contains(colType))
        sub.push_back(get_type(doc));
    if (ShowColumns.Contains(colDate))
        sub.push_back(get_date(doc));
    for (int c = static_cast<int>(sub.size()) + 1; c < ColumnCount(); ++c) {
        std::string v;
        OnGetValue(this, ColumnCaption(c), v);
        sub.push_back(v);
    }
    item->SetSubItems(std::move(sub));
    item->SetGreyed(doc && doc->Blob() && doc->Blob()->Missing());
}

bool TQelLVBase::custom_sort(TListItem* a, TListItem* b) const
{
    const int col = std::abs(sortColumn_) - 1;
    auto text = [col](TListItem* i) {
        if (col == 0)
            return i->Caption();
        const auto k = static_cast<std::size_t>(col - 1);
        return k < i->SubItems().size() ? i->SubItems()[k] : std::string();
    };
    const std::string ta = text(a), tb = text(b);
    int c;
    if (col > 0 && ColumnCaption(col) == "Größe")
        c = (ta.empty() ? -1 : std::stoll(ta)) < (tb.empty() ? -1 : std::stoll(tb)) ? -1 : ta == tb ? 0 : 1;
    else
        c = AnsiCompareText(ta, tb);
    return sortColumn_ < 0 ? c > 0 : c < 0;
}

void TQelLVBase::ColClick(int column)
{
    sortColumn_ = std::abs(sortColumn_) == column + 1 ? -sortColumn_ : column + 1;
    CustomSort([this](const TListItem* a, const TListItem* b) {
        return custom_sort(const_cast<TListItem*>(a), const_cast<TListItem*>(b));
    });
}

// --- selection ---------------------------------------------------------------------------------

TQelDokument* TQelLVBase::get_SelectedDocument() const
{
    return get_doc(Selected());
}

void TQelLVBase::set_SelectedDocument(TQelDokument* doc)
{
    if (TListItem* item = find_item(doc))
        SetItemIndex(item->Index());
}

TListItem* TQelLVBase::find_item(const TQelDokument* doc) const
{
    if (!doc)
        return nullptr;
    for (int i = 0; i < Count(); ++i) {
        auto it = rowDocs_.find(Item(i));
        if (it != rowDocs_.end() && it->second == doc->Key())
            return Item(i);
    }
    return nullptr;
}

TQelFileField* TQelLVBase::get_SelectedBlobField() const
{
    TQelDokument* doc = get_SelectedDocument();
    return doc ? doc->Blob() : nullptr;
}

std::string TQelLVBase::docinfo(TListItem* item, TQelFileField** blob, TQelDokument** doc) const
{
    TQelDokument* d = get_doc(item);
    if (doc)
        *doc = d;
    if (blob)
        *blob = d ? d->Blob() : nullptr;
    return d ? d->DocName() : std::string();
}

// --- import ------------------------------------------------------------------------------------

TQelDokument* TQelLVBase::create_doc()
{
    TQelDatabase* db = QelDatabase();
    if (!db)
        return nullptr;
    const TQelKlasse* cls
        = DocumentType.empty() ? db->Klasse(TQelClassKey(qelcls::Dokument)) : db->FindClass(DocumentType);
    if (!cls || !cls->IsA(qelcls::Dokument))
        return nullptr;
    return QelAsDokument(db->CreateObject(cls->Key()));
}

TQelDokument* TQelLVBase::check_overwrite(TQelDokument* doc, TListItem** item)
{
    for (int i = Count() - 1; i >= 0; --i) {
        TQelDokument* other = get_doc(Item(i));
        if (!other || other == doc || other->DocName() != doc->DocName()
            || other->DataFormat() != doc->DataFormat())
            continue;
        const std::string q = FormatStr(kOverwrite, doc->DocName());
        if (Dialogs().MessageBox(q, kOverwriteCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            if (item)
                *item = Item(i);
            return other;
        }
    }
    return nullptr;
}

void TQelLVBase::init_zuordnung(TQelZuordnung& z)
{
    if (!z)
        return;
    z.set_Art(DefaultArt);
    z.set_Kategorie(DefaultKategorie);
    OnInitZuordnung(this, z);
    if (z.ArtNull())
        z.set_Art(TQelZuordnung::DefaultArt());
}

bool TQelLVBase::import_document(const std::string& path, TListItem** item)
{
    if (item)
        *item = nullptr;
    if (!connected_)
        return false;
    bool accept = true;
    OnImporting(this, path, accept);
    if (!accept)
        return false;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return false;
    if (std::filesystem::is_directory(status)) {
        ShowMessage(kDirectory);
        return false;
    }
    TQelDatabase* db = QelDatabase();
    TQelDokument* doc = create_doc();
    if (!doc) {
        ShowMessage(kCreateFailed);
        return false;
    }
    if (!doc->Import(path)) {
        const std::string why = doc->ErrorMessage();
        db->FreeObject(doc);
        ShowMessage(kImportFailed + why);
        return false;
    }
    doc->set_Zeitstempel(db->TimeStamp());
    std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    doc->set_DocName(name); // cut to the length of its field
    const std::string remark = FormatStr(kImported, doc->FieldByName("Zeitstempel")->AsString());

    TListItem* row = nullptr;
    bool replaced = false;
    bool hadChanges = false;
    TQelDokument* used = doc;
    if (TQelDokument* existing = check_overwrite(doc, &row)) {
        // The existing document takes the new content's row; the new object goes.
        hadChanges = existing->IsNew() || existing->Touched();
        existing->Blob()->TakeContent(doc->Blob());
        existing->set_Dateidatum(doc->Dateidatum());
        existing->set_Bemerkung(remark);
        db->FreeObject(doc);
        used = existing;
        replaced = true;
    } else {
        doc->set_Bemerkung(remark);
        std::string error;
        row = add_doc(doc, error);
        if (!row) {
            db->FreeObject(doc);
            ShowMessage(error);
            return false;
        }
    }
    refresh_item(row);
    if (ListViewOptions.Contains(lvoCommitOnImport)) {
        if (!used->Commit()) {
            // Not stored is not imported: the new document goes again, a replaced one that had
            // nothing else unsaved keeps its stored content.
            const std::string text = FormatStr(kDocNotStored, used->DocName(), used->ErrorMessage());
            if (!replaced) {
                const TQelObjectKey key = used->Key();
                delete_item(row);
                if (TQelObject* left = db->CachedObject(key); left && left->IsNew())
                    db->FreeObject(left);
            } else if (!hadChanges) {
                used->Rollback();
                if (TListItem* again = find_item(used))
                    refresh_item(again);
            }
            Dialogs().MessageBox(text, kNotStoredCaption, MB_OK | MB_ICONERROR);
            return false;
        }
        // A list that follows its documents was loaded again by the commit: its rows are new.
        row = find_item(used);
    }
    doc_changed(used);
    if (item)
        *item = row;
    if (row)
        AfterImport(this, row, replaced);
    return true;
}

void TQelLVBase::import_files(const std::vector<std::string>& files)
{
    TListItem* last = nullptr;
    for (const std::string& f : files) {
        TListItem* row = nullptr;
        if (import_document(f, &row) && row)
            last = row;
    }
    if (last) {
        Repaint();
        SetItemIndex(last->Index());
    }
}

void TQelLVBase::cmd_import()
{
    if (!connected_ || get_ReadOnly())
        return;
    TFileDialogRequest r;
    r.title = kDocImportTitle;
    r.defaultExt = "txt";
    r.filter = ImportTypes;
    r.multiSelect = true;
    if (!Dialogs().OpenFile(r))
        return;
    import_files(r.files);
}

void TQelLVBase::FilesDropped(const std::vector<std::string>& files)
{
    if (connected_ && !get_ReadOnly())
        import_files(files);
}

void TQelLVBase::cmd_choose()
{
    if (!connected_ || get_ReadOnly())
        return;
    std::vector<TQelObjectKey> keys;
    OnChoosing(this, keys);
    for (TQelObjectKey k : keys) {
        TQelDokument* doc = doc_of_key(k);
        if (!doc)
            continue;
        std::string error;
        TListItem* row = add_doc(doc, error);
        if (!row) {
            ShowMessage(error);
            continue;
        }
        refresh_item(row);
        AfterChoose(this, doc);
    }
}

// --- export and open ---------------------------------------------------------------------------

std::string TQelLVBase::export_document(const std::string& folder, const std::string& name, TQelDokument* doc)
{
    if (!doc || !doc->Blob())
        return {};
    const std::string dir = withDelimiter(folder);
    const std::string base = QelSafeFileName(name, "Dokument");
    const std::string ext = ExchangeWrongFileChars(doc->FileExtension());
    std::string path = dir + base + ext;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(path, ec)); ++n)
        path = FormatStr("%s%s (%d)%s", dir, base, n, ext);
    if (path != dir + base + ext)
        ShowMessage(FormatStr(kRenamed, folder, base + ext, path.substr(dir.size())));
    if (!doc->Blob()->Export(path)) {
        ShowMessage(doc->Blob()->ErrorMessage());
        return {};
    }
    return path;
}

void TQelLVBase::cmd_export()
{
    const std::vector<TListItem*> rows = SelectedItems();
    if (rows.empty())
        return;
    std::string folder;
    if (!Dialogs().BrowseForFolder(kDocExportTitle, folder) || folder.empty())
        return;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        ShowMessage("Ungültiger Ordner: " + folder);
        return;
    }
    for (TListItem* row : rows) {
        TQelDokument* doc = get_doc(row);
        if (!doc)
            continue;
        std::string name = doc->DocName();
        bool accept = true;
        OnExporting(this, doc, name, accept);
        if (accept)
            export_document(folder, name, doc);
    }
}

std::string TQelLVBase::OpenFolder(std::string& error)
{
    return QelFreshTempFolder(error);
}

void TQelLVBase::cmd_open()
{
    for (TListItem* row : SelectedItems()) {
        TQelDokument* doc = get_doc(row);
        int action = doc ? doc->DefaultOpenAction() : 0;
        OnOpenDocument(this, doc, action);
        if (action != 1 || !doc)
            continue;
        TQelFileField* blob = doc->Blob();
        if (!blob || blob->Missing() || !blob->HasContent()) {
            ShowMessage(FormatStr(kMissing, doc->DocName()));
            continue;
        }
        // A folder of its own for every opened document: nobody else can put anything there.
        std::string error;
        const std::string folder = OpenFolder(error);
        if (folder.empty()) {
            ShowMessage(error);
            continue;
        }
        const std::string path = export_document(folder, doc->DocName(), doc);
        if (!path.empty() && !Dialogs().OpenWithProgram(path, ""))
            ShowMessage("Das Dokument \"" + doc->DocName() + "\" kann nicht geöffnet werden.");
    }
}

// --- delete, rename, properties ----------------------------------------------------------------

void TQelLVBase::DeleteItem(TListItem* item)
{
    OnDeleteItem(this, item);
    delete_item(item);
}

void TQelLVBase::delete_item(TListItem* item)
{
    rowDocs_.erase(item);
    TCustomListView::DeleteItem(item);
}

void TQelLVBase::cmd_delete()
{
    const std::vector<TListItem*> rows = SelectedItems();
    if (rows.empty() || get_ReadOnly())
        return;
    const std::string q = (rows.size() == 1 ? std::string(kDocDeleteOne)
                                            : FormatStr(kDocDeleteMany, static_cast<int>(rows.size())))
        + kDeleteTail;
    if (Dialogs().MessageBox(q, kDeleteCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        bool allow = true;
        OnCanDeleteItem(this, *it, allow);
        if (allow)
            DeleteItem(*it);
    }
    Reload();
}

bool TQelLVBase::CanEdit(TListItem* item)
{
    bool allow = TCustomListView::CanEdit(item) && !get_ReadOnly() && get_doc(item) != nullptr;
    OnCanEditItem(this, item, allow);
    return allow;
}

void TQelLVBase::Edit(TListItem* item, std::string& text)
{
    const std::string name = Trim(text);
    TQelDokument* doc = get_doc(item);
    if (name.empty() || !doc) {
        text.clear(); // keeps the old caption
        return;
    }
    if (name != doc->DocName()) {
        doc->set_DocName(name);
        doc_changed(doc);
    }
    text = get_name(doc);
}

void TQelLVBase::edit_props(TListItem* item)
{
    OnEditProps(this, get_doc(item));
}

void TQelLVBase::cmd_props()
{
    TListItem* item = ItemFocused();
    if (!OnEditProps || SelCount() != 1 || !item)
        return;
    // The handler may reload the list: the row is found again by its document.
    TQelDokument* doc = get_doc(item);
    const TQelObjectKey key = doc ? doc->Key() : TQelObjectKey();
    edit_props(item);
    if (TListItem* row = find_item(doc_of_key(key)))
        refresh_item(row);
}

// --- menu and input ----------------------------------------------------------------------------

void TQelLVBase::build_menu()
{
    if (menu_)
        return;
    menu_ = new TPopupMenu(this);
    auto add = [this](TMenuItem* parent, const std::string& caption, const char* shortcut,
                   std::function<void()> run) {
        auto* item = new TMenuItem(menu_);
        item->SetCaption(caption);
        if (shortcut)
            item->SetShortCut(TextToShortCut(shortcut));
        if (run)
            item->OnClick = [run](TObject*) { run(); };
        (parent ? parent : menu_->Items())->Add(item);
        items_[caption] = item;
        return item;
    };
    add(nullptr, "Öffnen", "Ctrl+O", [this] { cmd_open(); })->SetDefault(true);
    add(nullptr, "-", nullptr, nullptr);
    TMenuItem* view = add(nullptr, "Ansicht", nullptr, nullptr);
    add(view, "Große Symbole", nullptr, [this] { set_view_style(vsIcon); });
    add(view, "Kleine Symbole", nullptr, [this] { set_view_style(vsSmallIcon); });
    add(view, "Liste", nullptr, [this] { set_view_style(vsList); });
    add(view, "Details", nullptr, [this] { set_view_style(vsReport); });
    if (OnEditProps)
        add(nullptr, "Dokument-Eigenschaften...", "Ctrl+P", [this] { cmd_props(); });
    add(nullptr, "Interne Dokument-Struktur", nullptr, [this] {
        TQelDokument* doc = get_SelectedDocument();
        std::string format = "<Name>";
        while (doc && InputQuery("MakeName()-Test", "Format:", format))
            ShowMessage(doc->MakeName(format, ""));
    });
    add(nullptr, "-", nullptr, nullptr);
    add(nullptr, "Importieren ...", "Ctrl+I", [this] { cmd_import(); });
    add(nullptr, "Auswählen ...", nullptr, [this] { cmd_choose(); });
    add(nullptr, "Exportieren ...", "Ctrl+E", [this] { cmd_export(); });
    add(nullptr, "-", nullptr, nullptr);
    add(nullptr, "Löschen", "Ctrl+L", [this] { cmd_delete(); });
    add_menu_items(menu_);
    OnAddMenuItems(this, menu_);
    menu_->OnPopup = [this](TObject*) { menu_popup(); };
    SetPopupMenu(menu_);
}

void TQelLVBase::menu_popup()
{
    const bool sel = SelCount() > 0, ro = get_ReadOnly();
    TQelDatabase* db = QelDatabase();
    auto set = [this](const char* caption, bool enabled) {
        auto it = items_.find(caption);
        if (it != items_.end())
            it->second->SetEnabled(enabled);
    };
    set("Öffnen", sel);
    set("Exportieren ...", sel);
    set("Importieren ...", !ro && connected_);
    set("Auswählen ...", !ro && connected_);
    set("Löschen", sel && !ro);
    if (TMenuItem* rename = menu_->Items()->Find("Umbenennen"))
        rename->SetEnabled(sel && !ro);
    items_["Interne Dokument-Struktur"]->SetVisible(db && db->Debug());
    const TViewStyle styles[] = { vsIcon, vsSmallIcon, vsList, vsReport };
    const char* names[] = { "Große Symbole", "Kleine Symbole", "Liste", "Details" };
    for (int i = 0; i < 4; ++i)
        items_[names[i]]->SetChecked(ViewStyle() == styles[i]);
    update_menu_items(menu_);
    OnMenuPopup(this, menu_);
}

void TQelLVBase::set_view_style(TViewStyle style)
{
    SetViewStyle(style);
    Arrange();
}

void TQelLVBase::KeyDown(WORD& key, TShiftState shift)
{
    if (IsEditing()) {
        TQelDataControl::KeyDown(key, shift);
        return;
    }
    if (key == VK_DELETE && shift.Empty()) {
        cmd_delete();
        key = 0;
    } else if (key == 'A' && shift == TShiftState { ssCtrl }) {
        SelectAll();
        key = 0;
    } else if (key == VK_F4 && shift.Empty()) {
        Arrange();
        key = 0;
    } else if (key == VK_F5 && shift.Empty()) {
        Reload();
        key = 0;
    } else {
        TQelDataControl::KeyDown(key, shift);
    }
}

void TQelLVBase::DblClick()
{
    TQelDataControl::DblClick();
    cmd_open();
}

void TQelLVBase::DoEnter()
{
    TQelDataControl::DoEnter();
    link_.TellFormEnter();
}

void TQelLVBase::DoExit()
{
    TQelDataControl::DoExit();
    link_.TellFormExit();
}

void TQelLVBase::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_SETREADONLY:
        set_ReadOnly(m.WParam != 0);
        m.Result = 1;
        return;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(get_oi());
        return;
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return;
    default:
        TQelDataControl::WndProc(m);
    }
}
