// TQelSelectGrid: long lists read page by page on idle time, with a progress bar.
#include "lists/QelSelectGrid.h"
#include "lists/QelSelectGridFill.h"

#include "binding/qellogging.h"

#include "toolkit/screen.h"

#include <limits>

namespace {

constexpr int kLoadTask = 1;
constexpr int kProgressHeight = 20;
const char* const kProgressText = "%d von %d Einträgen geladen";
const char* const kProgressTextOpen = "%d Einträge geladen";

} // namespace

void TQelSelectGrid::start_load_steps(TQelTimerTasks* tasks)
{
    loadTimer_.set_Tasks(tasks);
    // A repeating task: every step reads the next page until the list is complete.
    loadTimer_.Start(kLoadTask, 1, [this](TQelTaskId, std::intptr_t) { load_step(); });
}

void TQelSelectGrid::load_step()
{
    if (!load_)
        return;
    const bool more = fill_rows(pageRows_);
    // The remembered object has come: selected, unless the user chose another row meanwhile.
    if (load_->selectKeyRow > 0 && Row() == load_->selectedRow) {
        FocusCell(std::max(Col(), 1), load_->selectKeyRow);
        show_listed_row(load_->selectKeyRow);
        load_->selectedRow = Row();
        load_->selectKey = TQelObjectKey();
    }
    load_->selectKeyRow = -1;
    if (more)
        show_progress();
    else
        finish_load();
}

void TQelSelectGrid::CompleteLoad()
{
    if (!load_)
        return;
    {
        TWaitCursor wait;
        fill_rows(std::numeric_limits<int>::max());
    }
    finish_load();
}

void TQelSelectGrid::finish_load()
{
    if (!load_)
        return;
    const std::unique_ptr<TQelSGLoad> load = std::move(load_);
    loadTimer_.Stop(kLoadTask);
    if (progress_)
        progress_->Hide();
    TGridUpdateScope batch(*this);
    if (options_.Contains(soHideEmptyCols))
        hide_empty_cols();
    // The object to select: the remembered one, or the user's choice made during the load.
    const bool moved = Row() != load->selectedRow;
    const TQelObjectKey select = moved ? get_SelectedKey() : load->selectKey;
    bool sorted = false;
    if (RowCount() <= autoSortUpTo_) {
        QSort();
        sorted = true;
    }
    indexDirty_ = true;
    for (const TQelObjectKey& key : load->changes)
        reload_single(key);
    if (select.Valid() && (sorted || !moved) && get_row(select) > 0)
        set_SelectedKey(select);
    load_done();
}

void TQelSelectGrid::stop_load()
{
    if (!load_)
        return;
    loadTimer_.Stop(kLoadTask);
    load_.reset();
    if (progress_)
        progress_->Hide();
}

// Remembers a change of an object while the list is read; false when there is no load.
bool TQelSelectGrid::defer_reload(TQelObjectKey key)
{
    if (!load_)
        return false;
    if (load_->changed.insert(key.Id()).second) {
        load_->changes.push_back(key);
        if (find_loaded_row(key) >= 0)
            load_->written.insert(key.Id());
    }
    return true;
}

// A key to select that has not come yet: selected once its row is read.
bool TQelSelectGrid::defer_select(TQelObjectKey key)
{
    if (!load_ || !key.Valid())
        return false;
    load_->selectKey = key;
    load_->selectedRow = Row();
    return true;
}

void TQelSelectGrid::show_progress()
{
    TQelTimerTasks* tasks = loadTimer_.get_Tasks();
    if (!load_ || !tasks || tasks->get_Clock().NowMs() - load_->started < ProgressDelayMs)
        return;
    if (!progress_) {
        progress_ = new TProgressBar(this);
        progress_->SetParent(this);
    }
    if (load_->total < 0) {
        // Counted once, when the bar first shows: a short list never pays for it.
        load_->total = 0;
        try {
            load_->total = load_->query->CountRecords();
        } catch (const std::exception& e) {
            QelLogError("Exception in TQelSelectGrid::Reload(): %s", e.what());
        }
    }
    const int total = std::max(load_->total, entryCount_);
    progress_->SetBounds(0, std::max(0, ClientHeight() - kProgressHeight), ClientWidth(), kProgressHeight);
    progress_->SetRange(0, load_->total > 0 ? total : 0);
    progress_->SetPosition(entryCount_);
    progress_->SetText(load_->total > 0 ? FormatStr(kProgressText, entryCount_, total)
                                        : FormatStr(kProgressTextOpen, entryCount_));
    progress_->Show();
}
