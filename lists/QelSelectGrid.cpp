// TQelSelectGrid: construction, the class and options, the per-class location and filter
// settings.
#include "lists/QelSelectGrid.h"

#include "binding/qellogging.h"
#include "binding/qeltimerglue.h"
#include "lists/Listcache.h"
#include "lists/QelSelectGridFill.h"
#include "toolkit/toolbar.h"

#include <cstdlib>

TQelSelectGrid::TQelSelectGrid(TComponent* owner)
    : TQelGrid(owner)
{
    SetFixedColor(clBtnFace);
    SetGridLineColor(clBtnFace);
    SetSelectionTextColor(clWindowText);
    SetSelectionColor(SelectionColorInactive);
    SetURLColor(clHotLight);
    SetParentFont(true);
    TGridOptions o = Options();
    o << goRowSelect << goColSizing;
    o >> goRangeSelect >> goEditing;
    SetOptions(o);
    SetFixedCols(0);
    SortSettings().Show = true;
    SetColCount(2);
    SetRowCount(2);
    SetFixedRows(1);

    Publish<&TQelSelectGrid::get_ClassName, &TQelSelectGrid::set_ClassName>("ClassName");
    Publish<&TQelSelectGrid::get_SearchCondition, &TQelSelectGrid::set_SearchCondition>("SearchCondition");
    Publish<&TQelSelectGrid::get_AutoSortUpTo, &TQelSelectGrid::set_AutoSortUpTo>("AutoSortUpTo");
    Publish<&TQelSelectGrid::get_SelectDelay, &TQelSelectGrid::set_SelectDelay>("SelectDelay");
    Publish<&TQelSelectGrid::get_FilterDelay, &TQelSelectGrid::set_FilterDelay>("FilterDelay");
    Publish<&TQelSelectGrid::get_AutoInitialization, &TQelSelectGrid::set_AutoInitialization>(
        "AutoInitialization");
    Publish<&TQelSelectGrid::get_CurrentViewName, &TQelSelectGrid::set_CurrentViewName>("CurrentViewName");
    Publish<&TQelSelectGrid::get_Fields, &TQelSelectGrid::set_Fields>("Fields");
    Publish<&TQelSelectGrid::get_FieldCaptions, &TQelSelectGrid::set_FieldCaptions>("FieldCaptions");
    PublishSet<&TQelSelectGrid::get_SelectGridOptions, &TQelSelectGrid::set_SelectGridOptions,
        kQelSelectGridOptionNames>("SelectGridOptions");
    Publish<&TQelSelectGrid::get_FontColorCached, &TQelSelectGrid::set_FontColorCached>("FontColorCached");
    Publish<&TQelSelectGrid::get_FontColorTouched, &TQelSelectGrid::set_FontColorTouched>("FontColorTouched");
    Publish<&TQelSelectGrid::get_FontColorNascent, &TQelSelectGrid::set_FontColorNascent>("FontColorNascent");
    Publish<&TQelSelectGrid::get_FontColorFilter, &TQelSelectGrid::set_FontColorFilter>("FontColorFilter");
    Publish<&TQelSelectGrid::get_BrushColorFilter, &TQelSelectGrid::set_BrushColorFilter>("BrushColorFilter");
    Publish<&TQelSelectGrid::get_SelectionColorActive, &TQelSelectGrid::set_SelectionColorActive>(
        "SelectionColorActive");
    Publish<&TQelSelectGrid::get_SelectionColorInactive, &TQelSelectGrid::set_SelectionColorInactive>(
        "SelectionColorInactive");
    PublishComponent<&TQelSelectGrid::get_ViewTabCtl, &TQelSelectGrid::set_ViewTabCtl>("ViewTabCtl");
    PublishComponent<&TQelSelectGrid::get_ViewTabSet, &TQelSelectGrid::set_ViewTabSet>("ViewTabSet");
    PublishComponent<&TQelSelectGrid::get_MenuToolBar, &TQelSelectGrid::set_MenuToolBar>("MenuToolBar");
    PublishComponent<&TQelSelectGrid::get_SearchEdit, &TQelSelectGrid::set_SearchEdit>("SearchEdit");
    PublishComponent<&TQelSelectGrid::get_SearchPrev, &TQelSelectGrid::set_SearchPrev>("SearchPrev");
    PublishComponent<&TQelSelectGrid::get_SearchNext, &TQelSelectGrid::set_SearchNext>("SearchNext");
    PublishComponent<&TQelSelectGrid::get_ExtSearch, &TQelSelectGrid::set_ExtSearch>("ExtSearch");

    if (autoInitialization_)
        Init();
}

TQelSelectGrid::~TQelSelectGrid()
{
    menuTimer_.StopAll();
    if (selectTimer_)
        selectTimer_->SetEnabled(false);
    if (DisplRowCount() < RowCount())
        UnHideRowsAll();
    set_SearchEdit(nullptr);
    set_SearchPrev(nullptr);
    set_SearchNext(nullptr);
    set_ExtSearch(nullptr);
    if (TQelDatabase* db = QelDatabase(); db && dbNotification_)
        db->StopNotification(dbNotification_);
    unsubscribe();
    drop_filter_object();
    if (viewTabSet_) {
        viewTabSet_->ClearTabs();
        viewTabSet_->OnChange = nullptr;
        RemoveFreeNotification(viewTabSet_);
    }
    if (viewTabCtl_) {
        viewTabCtl_->OnChange = nullptr;
        RemoveFreeNotification(viewTabCtl_);
    }
}

void TQelSelectGrid::Init()
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized())
        return;
    LoadFieldSettings();
    if (!dbNotification_)
        dbNotification_ = db->StartNotification([this](int event, TQelDatabase*) { database_event(event); });
}

void TQelSelectGrid::database_event(int event)
{
    if (event == deSchemaChanged) {
        // Class keys may be stale: the grid lists nothing until a class is set again.
        unsubscribe();
        drop_filter_object();
        classKey_ = TQelClassKey();
    } else if (event == deClosing) {
        // The database frees its objects: nothing may keep pointing at them.
        unsubscribe();
        filterObject_ = nullptr;
        nascent_.clear();
        for (int r = 0; r < RowCount(); ++r)
            for (int c = 0; c < ColCount(); ++c)
                SetObjectsEx(c, r, nullptr);
        dbNotification_ = 0;
    }
}

// ---- class ------------------------------------------------------------------------------------

std::string TQelSelectGrid::get_ClassName() const
{
    TQelDatabase* db = QelDatabase();
    if (!className_.empty() || !db || !db->Initialized() || ComponentState().Contains(csDesigning))
        return className_;
    const TQelKlasse* k = db->Klasse(classKey_);
    return k ? k->Name() : std::string();
}

void TQelSelectGrid::set_ClassName(const std::string& name)
{
    TQelDatabase* db = QelDatabase();
    if (ComponentState().Contains(csDesigning) || !db || !db->Initialized()) {
        className_ = name;
        return;
    }
    if (const TQelKlasse* k = db->FindClass(name))
        set_ct(k->Key(), true);
    else
        className_ = name; // unknown names are kept, not applied
}

TQelClassKey TQelSelectGrid::get_ClassType()
{
    if (!className_.empty())
        if (TQelDatabase* db = QelDatabase(); db && db->Initialized())
            if (const TQelKlasse* k = db->FindClass(className_))
                set_ct(k->Key(), false);
    return list_class();
}

TQelClassKey TQelSelectGrid::list_class() const
{
    if (currentView_) {
        const TQelClassKey viewClass = currentView_->TrueClassType();
        if (viewClass.Valid() && classKey_.Valid() && viewClass.DerivesFrom(classKey_))
            return viewClass;
    }
    return classKey_;
}

void TQelSelectGrid::set_ct(TQelClassKey key, bool reload)
{
    if (key == classKey_)
        return;
    className_.clear();
    reset_search_controls();
    if (classKey_.Valid()) {
        save_class_settings();
        if (options_.Contains(soUseCache) && TQelListCache::Instance())
            TQelListCache::Instance()->Save(this);
    }
    stop_load();
    unsubscribe();
    drop_filter_object();
    nascent_.clear();
    baseFilter_ = TQelAnsichtKey();
    classKey_ = key;
    subscribe();
    if (currentView_ && !currentView_->IsValidFor(key)) {
        searchCondition_.clear();
        currentView_ = nullptr;
        currentParams_ = nullptr;
        showDeleted_ = false;
        update_background();
    }
    TQelObjectKey selectKey;
    load_class_settings(selectKey);
    init_popupmenu(true, 0);
    if (reload)
        this->reload(nullptr, selectKey);
}

void TQelSelectGrid::set_SelectGridOptions(TQelSelectGridOptions options)
{
    if (options == options_)
        return;
    const bool filterGone = options_.Contains(soFilter) && !options.Contains(soFilter);
    if (filterGone)
        drop_filter_object();
    options_ = options;
    TGridOptions o = Options();
    if (options.Contains(soMultiSelect))
        o << goRangeSelect;
    else
        o >> goRangeSelect;
    if (options.Contains(soFilter))
        o << goEditing;
    SetOptions(o);
    if (options.Contains(soAutoRefresh))
        subscribe();
    else
        unsubscribe();
    SetDisjunctRowSelect(options.Contains(soMultiSelect));
    if (classKey_.Valid())
        reload(nullptr, get_SelectedKey());
}

// ---- per-class settings -----------------------------------------------------------------------

std::string TQelSelectGrid::classLine(const TStrings& list, TQelClassKey cls) const
{
    return list.Values(cls.ToString());
}

void TQelSelectGrid::setClassLine(TStrings& list, TQelClassKey cls, const std::string& value)
{
    list.SetValue(cls.ToString(), value);
}

// Location: "<selected key>/<sort column>/<direction>", the most recently used class first.
// Filter: "<view key>" or "<view key>/<instance id>"; no line without a current view.
void TQelSelectGrid::save_class_settings()
{
    const std::string name = classKey_.ToString();
    setClassLine(locSettings_, classKey_,
        get_SelectedKey().ToString() + "/" + std::to_string(SortSettings().Column) + "/"
            + std::to_string(SortSettings().Direction == sdDescending ? 1 : 0));
    if (const int at = locSettings_.IndexOfName(name); at > 0)
        locSettings_.Exchange(at, 0);
    if (!currentView_) {
        if (const int at = filterSettings_.IndexOfName(name); at >= 0)
            filterSettings_.Delete(at);
        return;
    }
    std::string value = currentView_->Key().ToString();
    if (currentParams_)
        value += "/" + std::to_string(currentView_->InstanceId(currentParams_));
    setClassLine(filterSettings_, classKey_, value);
}

namespace {

// The leading integer of `text` (0 when there is none).
int leadingInt(const std::string& text)
{
    return std::atoi(text.c_str());
}

} // namespace

void TQelSelectGrid::load_class_settings(TQelObjectKey& selectKey)
{
    const std::string loc = classLine(locSettings_, classKey_);
    selectKey = TQelObjectKey(leadingInt(loc));
    const std::size_t first = loc.find('/');
    const std::size_t second = first == std::string::npos ? first : loc.find('/', first + 1);
    if (second == std::string::npos) {
        SortSettings().Column = 1;
        SortSettings().Direction = sdAscending;
    } else {
        SortSettings().Column = std::max(0, leadingInt(loc.substr(first + 1)));
        SortSettings().Direction = leadingInt(loc.substr(second + 1)) != 0 ? sdDescending : sdAscending;
    }

    const std::string filter = classLine(filterSettings_, classKey_);
    if (filter.empty())
        return;
    TQelAnsichtLib* lib = QelAnsichten();
    TQelAnsicht* view = lib ? lib->Find(TQelAnsichtKey(leadingInt(filter))) : nullptr;
    TQelFieldList* params = nullptr;
    if (view) {
        if (const std::size_t slash = filter.find('/'); slash != std::string::npos) {
            params = view->InstanceById(leadingInt(filter.substr(slash + 1)));
            if (!params) {
                // An instance of an earlier run: the view goes too.
                view = nullptr;
            }
        }
    }
    if (!view) {
        currentView_ = nullptr;
        currentParams_ = nullptr;
        searchCondition_ = get_search_condition();
        return;
    }
    if (!view->IsValidFor(classKey_))
        return;
    set_currentview(view, params, "", false);
}

std::string TQelSelectGrid::GetLocSettings(TStrings* into)
{
    if (classKey_.Valid())
        save_class_settings();
    if (into)
        into->Assign(locSettings_);
    return locSettings_.CommaText();
}

void TQelSelectGrid::SetLocSettings(TStrings* from)
{
    if (from)
        locSettings_.Assign(*from);
    else
        locSettings_.Clear();
}

std::string TQelSelectGrid::GetFilterSettings(TStrings* into)
{
    if (classKey_.Valid())
        save_class_settings();
    if (into)
        into->Assign(filterSettings_);
    return filterSettings_.CommaText();
}

void TQelSelectGrid::SetFilterSettings(TStrings* from)
{
    if (from)
        filterSettings_.Assign(*from);
    else
        filterSettings_.Clear();
}

void TQelSelectGrid::Notification(TComponent* component, TOperation operation)
{
    TQelGrid::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == searchEdit_)
        searchEdit_ = nullptr;
    if (component == searchPrev_)
        searchPrev_ = nullptr;
    if (component == searchNext_)
        searchNext_ = nullptr;
    if (component == extSearch_)
        extSearch_ = nullptr;
    if (component == viewTabSet_)
        viewTabSet_ = nullptr;
    if (component == viewTabCtl_) {
        viewTabCtl_ = nullptr;
        tabCtlInstances_.clear();
    }
}
