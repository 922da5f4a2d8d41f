// TQelSelectGrid: the current view and its instance, the search condition they give, the view
// menu, the view tabs and the view commands.
#include "lists/QelSelectGrid.h"

#include "binding/qeltimerglue.h"

#include "toolkit/dialogs.h"
#include "toolkit/flagscope.h"

#include <algorithm>

namespace {

const char* const kFullView = "(Vollansicht)";
const char* const kDefineView = "%s definieren...";
const char* const kEditView = "%s '%s' bearbeiten...";
const char* const kDeleteView = "%s '%s' löschen";
const char* const kSaveView = "%s '%s' speichern";
const char* const kChangeDisplay = "Anzeige ändern...";
const char* const kReallyDelete = "Soll %s '%s' wirklich gelöscht werden?";
const char* const kReallyDeleteTree = "%s '%s' hat %d %s.\n\nSollen %s (%s) wirklich gelöscht werden?";
const char* const kViewDeleteTitle = "Filter löschen";
const char* const kViewSaveFailed = "Speichern gescheitert!";
const char* const kErrorTitle = "Fehler";

constexpr int kMenuTask = 1;

const TQelClassKey kViewClass { qelcls::Ansicht };

TQelAnsicht* findView(TQelAnsichtKey key)
{
    TQelAnsichtLib* lib = key.Valid() ? QelAnsichten() : nullptr;
    return lib ? lib->Find(key) : nullptr;
}

bool userIsAdmin()
{
    TQelDatabase* db = QelDatabase();
    TQelUser* user = db ? db->User() : nullptr;
    return user && user->IsAdmin();
}

} // namespace

// ---- search condition -------------------------------------------------------------------------

std::string TQelSelectGrid::get_search_condition(
    TQelAnsicht* view, TQelFieldList* params, TQelAnsichtKey baseFilter) const
{
    TQelAnsicht* base = findView(baseFilter);
    const std::string b = base ? base->MakeSearchCondition(nullptr, "") : std::string();
    if (!view)
        return b;
    const std::string v = view->MakeSearchCondition(params, "");
    // A view below the base filter already carries its condition. An empty base condition adds
    // nothing (and must not leave "()" in the statement).
    if (!base || b.empty() || view->DerivesFrom(baseFilter))
        return v;
    return "(" + b + ")" + (v.empty() ? std::string() : " AND (" + v + ")");
}

void TQelSelectGrid::set_SearchCondition(const std::string& condition)
{
    if (condition == searchCondition_)
        return;
    searchCondition_ = condition;
    if (ComponentState().Contains(csDesigning))
        return;
    currentView_ = nullptr;
    currentParams_ = nullptr;
    showDeleted_ = false;
    update_background();
}

// ---- the current view -------------------------------------------------------------------------

std::string TQelSelectGrid::get_CurrentViewName() const
{
    if (!currentView_ || (baseFilter_.Valid() && currentView_->Key() == baseFilter_))
        return {};
    return currentView_->NiceName(currentParams_);
}

void TQelSelectGrid::set_CurrentViewName(const std::string& name)
{
    if (name.empty()) {
        SetCurrentView(nullptr, nullptr, "", true);
        return;
    }
    if (TQelAnsichtLib* lib = QelAnsichten())
        if (TQelAnsicht* view = lib->FindByName(name))
            SetCurrentView(view, nullptr, "", true);
}

void TQelSelectGrid::SetCurrentView(
    TQelAnsicht* view, TQelFieldList* params, const std::string& paramText, bool reload)
{
    if (view && view->HasParams() && !params && paramText.empty()) {
        if (!OnQueryParams)
            return;
        std::string text;
        bool ok = true;
        OnQueryParams(this, get_ClassType(), view, params, text, ok);
        if (!ok)
            return;
        set_currentview(view, params, text, reload);
        return;
    }
    set_currentview(view, params, paramText, reload);
}

void TQelSelectGrid::set_currentview(
    TQelAnsicht* view, TQelFieldList* params, const std::string& paramText, bool reload)
{
    if (view && !params && !paramText.empty())
        params = view->FindInstanceByParams(paramText, true);
    const bool same = view == currentView_ && params == currentParams_ && (!params || !params->Touched());
    if (!same)
        apply_view(view, params, reload);
    OnViewChange(this);
}

void TQelSelectGrid::apply_view(TQelAnsicht* view, TQelFieldList* params, bool reload)
{
    currentView_ = view;
    currentParams_ = params;
    if (params)
        params->Commit();
    showDeleted_ = view && view->ShowDeleted();
    update_background();
    searchCondition_ = get_search_condition();
    if (reload) {
        init_popupmenu(true, 0);
        this->reload(nullptr, TQelObjectKey());
    }
    select_tabs();
}

void TQelSelectGrid::set_BaseFilter(TQelAnsichtKey key)
{
    if (key == baseFilter_)
        return;
    baseFilter_ = key;
    init_popupmenu(true, MenuDelayMs);
    set_currentview(findView(key), nullptr, "", false);
    if (classKey_.Valid())
        reload(nullptr, TQelObjectKey());
}

void TQelSelectGrid::update_background()
{
    SetColor(showDeleted_ ? DeletedViewColor : clWindow);
}

// ---- which views are offered ------------------------------------------------------------------

bool TQelSelectGrid::view_offered(TQelAnsicht* view, std::string& caption)
{
    if (!view || !view->IsValidFor(classKey_))
        return false;
    if (view->ShowDeleted() && !userIsAdmin())
        return false;
    TQelAnsicht* base = findView(baseFilter_);
    if (base && view->Basisklasse() == classKey_) {
        if (view->Key() == baseFilter_)
            return false;
        if (!view->DerivesFrom(baseFilter_) && (view->ParentKey().Valid() || view->Excludes(baseFilter_)))
            return false;
    }
    bool accept = true;
    OnAddFilter(this, view, caption, accept, base, classKey_);
    return accept;
}

// ---- the popup menu ---------------------------------------------------------------------------

void TQelSelectGrid::init_popupmenu(bool rebuild, int delay)
{
    if (delay > 0) {
        if (TQelTimerTasks* tasks = QelTimerTasksOf(nullptr)) {
            menuTimer_.set_Tasks(tasks);
            menuTimer_.Start(
                kMenuTask, delay, [this](TQelTaskId, std::intptr_t data) { menu_task_elapsed(data != 0); },
                rebuild ? 1 : 0);
            return;
        }
    }
    TPopupMenu* menu = PopupMenu();
    if (!menu) {
        menu = new TPopupMenu(this);
        SetPopupMenu(menu);
    }
    for (TMenuItem* item : retiredItems_)
        delete item;
    retiredItems_.clear();
    commandItems_.fill(nullptr);
    while (menu->Items()->Count() > 0) {
        TMenuItem* item = menu->Items()->Items(menu->Items()->Count() - 1);
        menu->Items()->Remove(item);
        retiredItems_.push_back(item);
    }
    viewInstances_.Clear();

    auto add = [&](const std::string& caption, TNotifyEvent onClick) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        item->OnClick = std::move(onClick);
        menu->Items()->Add(item);
        return item;
    };
    add_command_items(menu);
    add_custom_menu_items(menu, cmiSeparator);
    add_list_items(menu);

    add(kChangeDisplay, [this](TObject*) { ChangeDisplay(); })->SetEnabled(static_cast<bool>(OnViewParams));
    if (options_.Contains(soFilterAdmin)) {
        const std::string np = MakeNP(kViewClass, "", 4);
        const std::string name = currentView_ ? currentView_->NiceName(currentParams_) : std::string();
        // The commands on the current view stand only where there is one of the user's own.
        const bool own = currentView_ && currentView_->Key() != baseFilter_;
        add(FormatStr(kDefineView, MakeNP(kViewClass, "Neu", 4)), [this](TObject*) {
            DefineView();
        })->SetEnabled(static_cast<bool>(OnCreateView));
        add(FormatStr(kEditView, np, name), [this](TObject*) { EditCurrentView(); })->SetVisible(own);
        add(FormatStr(kDeleteView, np, name), [this](TObject*) { DeleteCurrentView(); })->SetVisible(own);
        TMenuItem* save = add(FormatStr(kSaveView, np, name), [this](TObject*) { SaveCurrentView(); });
        save->SetVisible(own);
        save->SetEnabled(own && currentParams_);
    }
    add_deleted_items(menu);
    add("-", nullptr);

    // The radio entries (the full view, views without parameters, stored instances) become tabs.
    std::vector<std::pair<std::string, TQelSGViewInstance*>> tabs;
    auto addView = [&](TQelAnsicht* view, TQelFieldList* params, const std::string& caption, bool radio) {
        auto* inst = new TQelSGViewInstance(view, params);
        viewInstances_.Add(inst);
        TMenuItem* item = add(caption, TNotifyEvent(this, &TQelSelectGrid::view_menu_click));
        item->SetTag(reinterpret_cast<std::intptr_t>(inst));
        if (radio) {
            item->SetRadioItem(true);
            item->SetGroupIndex(1);
            item->SetChecked(view == currentView_ && params == currentParams_);
            tabs.emplace_back(caption, inst);
        }
    };
    addView(nullptr, nullptr, kFullView, true);
    add("-", nullptr);

    TQelAnsichtLib* lib = QelAnsichten();
    const std::vector<TQelAnsicht*> tree
        = lib && classKey_.Valid() ? lib->Tree() : std::vector<TQelAnsicht*>();
    auto indent = [](TQelAnsicht* view) { return std::string(4 * std::max(0, view->Depth() - 1), ' '); };
    for (int pass = 1; pass <= 3; ++pass) {
        if (pass == 2 && !OnQueryParams)
            continue;
        for (TQelAnsicht* view : tree) {
            if ((pass == 1) == view->HasParams())
                continue;
            if (pass < 3) {
                std::string caption = view->NiceName();
                if (!view_offered(view, caption))
                    continue;
                addView(view, nullptr, indent(view) + caption + (pass == 2 ? "..." : ""), pass == 1);
                continue;
            }
            for (TQelFieldList* params : view->Instances()) {
                std::string caption = view->NiceName(params);
                if (view_offered(view, caption))
                    addView(view, params, indent(view) + caption, true);
            }
        }
    }
    fill_tabs(tabs);
}

void TQelSelectGrid::menu_task_elapsed(bool rebuild)
{
    menuTimer_.Stop(kMenuTask);
    init_popupmenu(rebuild, 0);
}

void TQelSelectGrid::view_menu_click(TObject* sender)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    auto* inst = item ? reinterpret_cast<TQelSGViewInstance*>(item->Tag()) : nullptr;
    // The instance goes with the next menu build; keep what it names.
    TQelAnsicht* const view = inst ? inst->Ansicht : nullptr;
    TQelFieldList* const params = inst ? inst->Params : nullptr;
    SetCurrentView(view, params, "", true);
}

// ---- tabs -------------------------------------------------------------------------------------

template <class Tabs> void TQelSelectGrid::attach_tabs(Tabs*& slot, Tabs* tabs)
{
    if (tabs == slot)
        return;
    if (slot) {
        slot->OnChange = nullptr;
        RemoveFreeNotification(slot);
    }
    slot = tabs;
    if (tabs) {
        FreeNotification(tabs);
        tabs->OnChange = TNotifyEvent(this, &TQelSelectGrid::tab_change);
    }
}

void TQelSelectGrid::set_ViewTabSet(TAdvTabSet* tabs)
{
    const bool changed = tabs != viewTabSet_;
    attach_tabs(viewTabSet_, tabs);
    if (changed && tabs)
        init_popupmenu(true, 0);
}

void TQelSelectGrid::set_ViewTabCtl(TTabControl* tabs)
{
    const bool changed = tabs != viewTabCtl_;
    attach_tabs(viewTabCtl_, tabs);
    if (changed)
        tabCtlInstances_.clear();
    if (changed && tabs)
        init_popupmenu(true, 0);
}

void TQelSelectGrid::fill_tabs(const std::vector<std::pair<std::string, TQelSGViewInstance*>>& entries)
{
    if (!viewTabSet_ && !viewTabCtl_)
        return;
    std::vector<std::pair<std::string, TQelSGViewInstance*>> sorted;
    for (const auto& [caption, inst] : entries)
        sorted.emplace_back(Trim(caption), inst);
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });

    // The same captions keep their tabs (a rebuild from a tab's own change must not pull the tab
    // bar away under the click); only the instances behind them are renewed.
    TFlagScope guard(fillingTabs_);
    auto sameCaptions = [&](auto* tabs) {
        bool same = tabs->TabCount() == static_cast<int>(sorted.size());
        for (std::size_t i = 0; same && i < sorted.size(); ++i)
            same = tabs->TabCaption(static_cast<int>(i)) == sorted[i].first;
        return same;
    };
    if (viewTabSet_) {
        if (!sameCaptions(viewTabSet_)) {
            viewTabSet_->ClearTabs();
            for (const auto& entry : sorted)
                viewTabSet_->AddTab(entry.first, entry.second);
        }
        for (std::size_t i = 0; i < sorted.size(); ++i)
            viewTabSet_->SetTabObject(static_cast<int>(i), sorted[i].second);
    }
    if (viewTabCtl_) {
        if (!sameCaptions(viewTabCtl_)) {
            viewTabCtl_->ClearTabs();
            for (const auto& entry : sorted)
                viewTabCtl_->AddTab(entry.first);
        }
        tabCtlInstances_.clear();
        for (const auto& entry : sorted)
            tabCtlInstances_.push_back(entry.second);
    }
    select_tabs();
}

// The tab whose instance has the current view and instance becomes active; tab 0 without one.
void TQelSelectGrid::select_tabs()
{
    TFlagScope guard(fillingTabs_);
    auto activeOf = [this](int count, auto instanceAt) {
        int active = 0;
        for (int i = 0; i < count; ++i) {
            const TQelSGViewInstance* inst = instanceAt(i);
            if (inst && currentView_ && inst->Ansicht == currentView_ && inst->Params == currentParams_)
                active = i;
        }
        return count > 0 ? active : -1;
    };
    if (viewTabSet_)
        viewTabSet_->SetTabIndex(activeOf(viewTabSet_->TabCount(),
            [this](int i) { return static_cast<TQelSGViewInstance*>(viewTabSet_->TabObject(i)); }));
    if (viewTabCtl_)
        viewTabCtl_->SetTabIndex(activeOf(static_cast<int>(tabCtlInstances_.size()),
            [this](int i) { return tabCtlInstances_[static_cast<std::size_t>(i)]; }));
}

TQelSGViewInstance* TQelSelectGrid::tab_instance(TObject* sender) const
{
    if (sender == viewTabSet_ && viewTabSet_)
        return static_cast<TQelSGViewInstance*>(viewTabSet_->TabObject(viewTabSet_->TabIndex()));
    if (sender == viewTabCtl_ && viewTabCtl_) {
        const int index = viewTabCtl_->TabIndex();
        if (index >= 0 && index < static_cast<int>(tabCtlInstances_.size()))
            return tabCtlInstances_[static_cast<std::size_t>(index)];
    }
    return nullptr;
}

void TQelSelectGrid::tab_change(TObject* sender)
{
    if (fillingTabs_)
        return;
    TQelSGViewInstance* inst = tab_instance(sender);
    // The instance goes with the next menu build; keep what it names.
    TQelAnsicht* const view = inst ? inst->Ansicht : nullptr;
    TQelFieldList* const params = inst ? inst->Params : nullptr;
    SetCurrentView(view, params, "", true);
}

// ---- view commands ----------------------------------------------------------------------------

void TQelSelectGrid::DefineView()
{
    if (!OnCreateView)
        return;
    TQelAnsicht* view = nullptr;
    OnCreateView(this, view);
    if (view)
        SetCurrentView(view, nullptr, "", true);
}

void TQelSelectGrid::EditCurrentView()
{
    if (!currentView_)
        return;
    if (!currentParams_) {
        if (!OnEditView)
            return;
        bool changed = false;
        OnEditView(this, currentView_, changed);
        if (changed) {
            searchCondition_ = get_search_condition();
            init_popupmenu(true, 0);
            reload(nullptr, TQelObjectKey());
        }
        return;
    }
    if (!OnQueryParams)
        return;
    TQelAnsicht* view = currentView_;
    TQelFieldList* params = currentParams_;
    std::string text;
    bool ok = true;
    OnQueryParams(this, get_ClassType(), view, params, text, ok);
    if (!ok)
        return;
    set_currentview(view, params, text, true);
}

void TQelSelectGrid::DeleteCurrentView()
{
    if (currentView_ && currentView_->Key() != baseFilter_)
        delete_view(currentView_, currentParams_);
}

void TQelSelectGrid::delete_view(TQelAnsicht* view, TQelFieldList* params)
{
    const std::vector<TQelAnsichtKey> descendants
        = params ? std::vector<TQelAnsichtKey>() : view->DescendantList();
    const std::string name = view->NiceName(params);
    std::string question;
    if (descendants.empty()) {
        question = FormatStr(kReallyDelete, MakeNP(kViewClass, "d", 1), name);
    } else {
        std::string keys;
        for (TQelAnsichtKey k : descendants)
            keys += (keys.empty() ? "" : ", ") + k.ToString();
        const int n = static_cast<int>(descendants.size());
        question = FormatStr(kReallyDeleteTree, MakeNP(kViewClass, "D", 1), name, n,
            MakeNP(kViewClass, "abgeleitet", 4, n == 1), MakeNP(kViewClass, "dies", 1, false), keys);
    }
    if (Application()->MessageBox(question, kViewDeleteTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    TQelAnsichtLib* lib = QelAnsichten();
    currentView_ = nullptr;
    currentParams_ = nullptr;
    if (params) {
        view->RemoveInstance(params);
    } else if (lib) {
        const TQelAnsichtKey key = view->Key();
        // Children before their parents.
        for (auto it = descendants.rbegin(); it != descendants.rend(); ++it)
            lib->DeleteView(*it);
        lib->DeleteView(key);
    }
    // The full view; the menu and tabs lose the deleted entries.
    apply_view(nullptr, nullptr, true);
    OnViewChange(this);
}

void TQelSelectGrid::SaveCurrentView()
{
    if (!currentView_ || !currentParams_)
        return;
    std::string error;
    TQelAnsicht* stored = currentView_->DetachInstance(currentParams_, &error);
    if (!stored) {
        if (error.empty())
            ShowMessage(kViewSaveFailed);
        else
            Application()->MessageBox(error, kErrorTitle, MB_OK | MB_ICONERROR);
        return;
    }
    SetCurrentView(stored, nullptr, "", true);
}

void TQelSelectGrid::ChangeDisplay()
{
    if (!OnViewParams)
        return;
    OnViewParams(this);
    reload(nullptr, TQelObjectKey());
}
