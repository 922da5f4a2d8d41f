// TQelSelectGrid: the command entries of the popup menu, their visibility and captions for the
// current selection, the tool bar that mirrors create, edit and delete, and the shortcuts.
#include "lists/QelSelectGrid.h"

#include "toolkit/stdctrls.h"
#include "toolkit/toolbar.h"

#include <functional>

namespace {

const char* const kMenuCreate = "%s anlegen";
const char* const kEditOne = "%s '%s' bearbeiten";
const char* const kMenuEditMany = "%d %s bearbeiten";
const char* const kMenuDeleteOne = "%s '%s' löschen";
const char* const kMenuDeleteMany = "%d %s löschen";
const char* const kPrintOne = "%s '%s' drucken";
const char* const kPrintMany = "%d %s drucken";
const char* const kPrintExportOne = "%s '%s' drucken/exportieren/mailen";
const char* const kPrintExportMany = "%d %s drucken/exportieren/mailen";
const char* const kCopyOne = "%s '%s' kopieren";
const char* const kMergeMany = "%d %s zusammenfassen";
const char* const kRestoreOne = "%s '%s' wiederherstellen";
const char* const kMenuRestoreMany = "%d %s wiederherstellen";
const char* const kMenuDumpOne = "%s '%s' endgültig löschen";
const char* const kMenuDumpMany = "%d %s endgültig löschen";
const char* const kRepair = "Korrektheit sicherstellen";
const char* const kUnlock = "Sperre aufheben";
const char* const kPrintList = "Liste drucken";
const char* const kSaveCSV = "Liste als CSV-Datei speichern...";
const char* const kMenuExport = "Exportieren";
const char* const kPreview = "Druckansicht";
const char* const kAttributes = "Attribute";
const char* const kLetter = "Brief";

bool isAdmin()
{
    TQelDatabase* db = QelDatabase();
    TQelUser* user = db ? db->User() : nullptr;
    return user && user->IsAdmin();
}

} // namespace

// ---- building ---------------------------------------------------------------------------------

void TQelSelectGrid::add_command_items(TPopupMenu* menu)
{
    auto add
        = [&](TCommand command, const std::string& caption, TShortCut shortCut, std::function<void()> run) {
              auto* item = new TMenuItem(menu);
              item->SetCaption(caption);
              item->SetShortCut(shortCut);
              item->OnClick = [run = std::move(run)](TObject*) { run(); };
              item->SetVisible(false);
              menu->Items()->Add(item);
              commandItems_[command] = item;
          };
    // Captions follow the selection (update_popup_menu).
    add(cmdCreate, "anlegen", scCtrl | 'N', [this] { NewObject(); });
    add(cmdEdit, "bearbeiten", scCtrl | 'B', [this] { EditSelected(); });
    add(cmdDelete, "löschen", scCtrl | 'L', [this] { DeleteSelected(); });
    add(cmdMerge, "zusammenfassen", 0, [this] { MergeSelected(); });
    add(cmdPrint, "drucken", scCtrl | 'P', [this] { PrintSelected(); });
    add(cmdCopy, "kopieren", scCtrl | 'C', [this] { CopyObject(TQelObjectKey()); });
    add(cmdRepair, kRepair, 0, [this] { RepairSelected(); });
    add(cmdUnlock, kUnlock, 0, [this] { UnlockSelected(); });
    auto* line = new TMenuItem(menu);
    line->SetCaption("-");
    menu->Items()->Add(line);
}

void TQelSelectGrid::add_list_items(TPopupMenu* menu)
{
    auto add = [&](TCommand command, const std::string& caption, TNotifyEvent onClick) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        item->OnClick = std::move(onClick);
        menu->Items()->Add(item);
        commandItems_[command] = item;
        return item;
    };
    add(cmdPrintList, kPrintList, [this](TObject*) { PrintList(); })->SetVisible(false);
    add(cmdSaveCSV, kSaveCSV, [this](TObject*) {
        SaveListAsCSV();
    })->SetVisible(static_cast<bool>(OnSaveCSV));
    auto* line = new TMenuItem(menu);
    line->SetCaption("-");
    menu->Items()->Add(line);

    // One entry per template of the class, in both submenus; each carries the template's key.
    TMenuItem* exportMenu = add(cmdExport, kMenuExport, nullptr);
    TMenuItem* previewMenu = add(cmdPreview, kPreview, nullptr);
    TQelDatabase* db = QelDatabase();
    const std::vector<TQelRTFVorlage> templates = db && classKey_.Valid()
        ? TQelRTFVorlage::FindeVorlagen(db, classKey_)
        : std::vector<TQelRTFVorlage>();
    for (const TQelRTFVorlage& t : templates) {
        const TQelObjectKey key = t.Key();
        auto* e = new TMenuItem(menu);
        e->SetCaption(t.Name());
        e->SetTag(key.Id());
        e->OnClick = [this, key](TObject*) { ExportSelected(key); };
        exportMenu->Add(e);
        auto* p = new TMenuItem(menu);
        p->SetCaption(t.Name());
        p->SetTag(key.Id());
        p->OnClick = [this, key](TObject*) { PreviewSelected(key); };
        previewMenu->Add(p);
    }
    exportMenu->SetVisible(false);
    previewMenu->SetVisible(false);

    // One entry per flag the class defines; each carries the flag's index.
    TMenuItem* flags = add(cmdAttributes, kAttributes, nullptr);
    TQelObjectCommands commands(db);
    if (commands.FlagsImplemented() && classKey_.Valid()) {
        const std::vector<std::string> names = commands.GetDefinedFlags(classKey_);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int index = static_cast<int>(i);
            auto* f = new TMenuItem(menu);
            f->SetCaption(names[i]);
            f->SetTag(index);
            f->OnClick = [this, index](TObject*) { ToggleFlag(index); };
            flags->Add(f);
        }
    }
    flags->SetVisible(flags->Count() > 0);
}

void TQelSelectGrid::add_deleted_items(TPopupMenu* menu)
{
    for (auto [command, run] : { std::pair { cmdRestore, &TQelSelectGrid::RestoreSelected },
             std::pair { cmdDump, &TQelSelectGrid::DumpSelected } }) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(command == cmdRestore ? "wiederherstellen" : "endgültig löschen");
        item->OnClick = [this, run = run](TObject*) { (this->*run)(); };
        item->SetVisible(false);
        menu->Items()->Add(item);
        commandItems_[command] = item;
    }
}

// ---- visibility and captions ------------------------------------------------------------------

std::string TQelSelectGrid::class_np(const std::string& adjective, int casus, bool singular) const
{
    return MakeNP(list_class(), adjective, casus, singular);
}

bool TQelSelectGrid::allowed(const TQelAllowEvent& event, TQelClassKey cls) const
{
    bool allow = true;
    if (event)
        event(const_cast<TQelSelectGrid*>(this), allow, cls);
    return allow;
}

bool TQelSelectGrid::writable() const
{
    TQelDatabase* db = QelDatabase();
    return db && db->Initialized() && !db->ReadOnly();
}

void TQelSelectGrid::update_popup_menu()
{
    update_command_items();
    update_menu_items();
}

void TQelSelectGrid::update_command_items()
{
    auto item = [this](TCommand c) { return commandItems_[c]; };
    if (!item(cmdCreate))
        return;
    TQelDatabase* db = QelDatabase();
    const int n = SelectCount();
    const TQelObjectKey key = get_SelectedKey();
    const bool valid = n >= 1 && key.Valid();
    TQelObject* obj = valid ? get_SelectedObject() : nullptr;
    const std::string name = obj ? obj->Name() : std::string();
    const TQelClassKey objClass = obj ? obj->ClassKey() : list_class();
    const bool write = writable();
    const std::string one = class_np("", 4, true), many = class_np("", 4, false);
    auto caption = [&](const char* single, const char* several) {
        return n <= 1 ? FormatStr(single, one, name) : FormatStr(several, n, many);
    };
    for (int c = 0; c < cmdCount; ++c)
        if (c != cmdSaveCSV && c != cmdExport && c != cmdPreview && c != cmdAttributes && item(TCommand(c)))
            item(TCommand(c))->SetVisible(false);

    if (showDeleted_) {
        // Only restore and final delete are offered for deleted objects.
        item(cmdRestore)->SetCaption(caption(kRestoreOne, kMenuRestoreMany));
        item(cmdRestore)->SetVisible(valid && write);
        item(cmdDump)->SetCaption(caption(kMenuDumpOne, kMenuDumpMany));
        item(cmdDump)->SetVisible(valid && write);
        item(cmdDump)->SetEnabled(isAdmin());
        for (TCommand c : { cmdSaveCSV, cmdExport, cmdPreview, cmdAttributes })
            item(c)->SetVisible(false);
        update_tool_bar();
        return;
    }

    item(cmdCreate)->SetCaption(FormatStr(kMenuCreate, class_np("Neu", 4, true)));
    item(cmdCreate)->SetVisible(classKey_.Valid() && write && allowed(AllowCreate, classKey_));
    item(cmdEdit)->SetCaption(caption(kEditOne, kMenuEditMany));
    item(cmdEdit)->SetVisible(static_cast<bool>(OnKeyOpen) && valid);
    item(cmdDelete)->SetCaption(caption(kMenuDeleteOne, kMenuDeleteMany));
    item(cmdDelete)->SetVisible(valid && write && allowed(AllowDelete, objClass));

    const bool exporting = static_cast<bool>(OnExporting) && item(cmdExport)->Count() > 0;
    item(cmdPrint)->SetCaption(
        exporting ? caption(kPrintOne, kPrintMany) : caption(kPrintExportOne, kPrintExportMany));
    item(cmdPrint)->SetVisible((OnKeyPrint || OnMultiKeyPrint) && valid);
    // A template is for objects of its class (and of classes derived from it).
    auto enableTemplates = [&](TMenuItem* sub) {
        for (int i = 0; i < sub->Count(); ++i) {
            TQelRTFVorlage t(db, TQelObjectKey(static_cast<int>(sub->Items(i)->Tag())));
            const TQelKlasse* k = db ? db->Klasse(objClass) : nullptr;
            sub->Items(i)->SetEnabled(valid && k && k->IsA(t.ClassType().Id()));
        }
    };
    item(cmdExport)->SetVisible(exporting);
    enableTemplates(item(cmdExport));
    item(cmdPreview)->SetVisible(item(cmdPreview)->Count() > 0 && one != kLetter);
    enableTemplates(item(cmdPreview));

    item(cmdCopy)->SetCaption(FormatStr(kCopyOne, one, name));
    item(cmdCopy)->SetVisible(
        options_.Contains(soCopyItem) && valid && n == 1 && write && allowed(AllowCopy, objClass));
    item(cmdMerge)->SetCaption(FormatStr(kMergeMany, n, many));
    item(cmdMerge)->SetVisible(options_.Contains(soMergeObjects) && valid && n > 1 && write);
    const bool debug = db && db->Debug();
    item(cmdRepair)->SetVisible(debug && valid);
    item(cmdUnlock)->SetVisible(debug && valid);
    item(cmdPrintList)
        ->SetVisible(options_.Contains(soPrintList) && EntryCount() + static_cast<int>(nascent_.size()) > 0);
    item(cmdSaveCSV)->SetVisible(static_cast<bool>(OnSaveCSV));

    // Flags: marked when the selected object has them.
    TMenuItem* flags = item(cmdAttributes);
    TQelObjectCommands commands(db);
    flags->SetVisible(flags->Count() > 0);
    for (int i = 0; i < flags->Count(); ++i) {
        TMenuItem* f = flags->Items(i);
        f->SetEnabled(valid && write);
        f->SetChecked(valid && commands.HasFlag(key, static_cast<int>(f->Tag())));
    }
    update_tool_bar();
}

// ---- custom items with a class ----------------------------------------------------------------

std::unique_ptr<TQelCustomMenuItem> TQelSelectGrid::create_cmi()
{
    return std::make_unique<TQelSGCustomMenuItem>();
}

TQelCustomMenuItem* TQelSelectGrid::AddCustomMenuItem(int id, TMenuItem* item, TQelClassKey cls, bool derived)
{
    if (!item)
        return nullptr;
    const bool fits = !cls.Valid() || cls.IsA(classKey_) || (derived && classKey_.IsA(cls));
    if (!fits) {
        delete item;
        return nullptr;
    }
    auto* record = static_cast<TQelSGCustomMenuItem*>(TQelGrid::AddCustomMenuItem(id, item));
    if (record) {
        record->Class = cls;
        record->Derived = derived;
    }
    return record;
}

void TQelSelectGrid::update_menu_item(TQelCustomMenuItem& item)
{
    if (auto* sg = dynamic_cast<TQelSGCustomMenuItem*>(&item); sg && sg->Item && sg->Class.Valid()) {
        TQelObject* obj = SelectCount() == 1 ? get_SelectedObject() : nullptr;
        const TQelClassKey cls = obj ? obj->ClassKey() : classKey_;
        sg->Item->SetVisible(cls == sg->Class || (sg->Derived && cls.IsA(sg->Class)));
    }
    TQelGrid::update_menu_item(item);
}

// ---- tool bar and shortcuts -------------------------------------------------------------------

void TQelSelectGrid::set_MenuToolBar(TToolBar* bar)
{
    if (bar == menuToolBar_)
        return;
    if (menuToolBar_)
        RemoveFreeNotification(menuToolBar_);
    menuToolBar_ = bar;
    if (!bar)
        return;
    FreeNotification(bar);
    const std::pair<TCommand, const char*> buttons[]
        = { { cmdCreate, "Neu" }, { cmdEdit, "Bearbeiten" }, { cmdDelete, "Löschen" } };
    for (int i = 0; i < 3; ++i) {
        TButton* b = bar->Buttons(i);
        if (!b)
            b = bar->AddButton(buttons[i].second);
        const TCommand command = buttons[i].first;
        b->OnClick = [this, command](TObject*) {
            update_command_items();
            if (TMenuItem* item = commandItems_[command]; item && item->Visible() && item->Enabled())
                item->Click();
        };
    }
    update_command_items();
}

void TQelSelectGrid::update_tool_bar()
{
    if (!menuToolBar_)
        return;
    const TCommand commands[] = { cmdCreate, cmdEdit, cmdDelete };
    for (int i = 0; i < 3; ++i)
        if (TButton* b = menuToolBar_->Buttons(i)) {
            TMenuItem* item = commandItems_[commands[i]];
            b->SetEnabled(item && item->Visible());
        }
}

bool TQelSelectGrid::run_shortcut(WORD key, TShiftState shift)
{
    TPopupMenu* menu = PopupMenu();
    if (!menu || !commandItems_[cmdCreate])
        return false;
    if (key >= 'a' && key <= 'z')
        key = static_cast<WORD>(key - 0x20);
    const TShortCut shortCut = ShortCut(key, shift);
    bool ours = false;
    for (TMenuItem* item : commandItems_)
        ours = ours || (item && item->ShortCut() == shortCut);
    if (!ours)
        return false;
    update_command_items();
    return menu->IsShortCut(shortCut);
}
