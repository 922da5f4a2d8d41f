// TQelSelectGrid: the incremental search (Lookup) with its control characters, the search edit
// with its previous and next buttons, and the extended search.
#include "lists/QelSelectGrid.h"

#include "binding/qellogging.h"

#include <cstdlib>

namespace {

const char* const kSearchPrefixKey = "SearchPrefix";
// Characters after which a word starts.
const std::string_view kWordSeparators = "\t \"&'+,-./:;";

// The last search of all select grids of the process.
struct TLastSearch {
    int Col = -1;
    int Row = -1;
    std::string Text;
};
TLastSearch g_lastSearch;

enum TMatchMode { mmWordStart, mmStart, mmAnywhere, mmPattern };

bool globMatch(std::string_view text, std::string_view pattern)
{
    std::size_t t = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool cellMatches(const std::string& cell, const std::string& text, TMatchMode mode, bool matchCase)
{
    const std::string c = matchCase ? cell : AnsiLowerCase(cell);
    const std::string t = matchCase ? text : AnsiLowerCase(text);
    switch (mode) {
    case mmStart:
        return c.starts_with(t);
    case mmAnywhere:
        return c.find(t) != std::string::npos;
    case mmPattern:
        return globMatch(c, t);
    case mmWordStart:
        break;
    }
    for (std::size_t at = c.find(t); at != std::string::npos; at = c.find(t, at + 1))
        if (at == 0 || kWordSeparators.find(c[at - 1]) != std::string_view::npos)
            return true;
    return false;
}

// Search templates: views with parameters that apply to the class.
bool hasSearchTemplates(TQelAnsichtLib* lib, TQelClassKey cls)
{
    for (TQelAnsicht* view : lib->Tree())
        if (view->HasParams() && view->IsValidFor(cls))
            return true;
    return false;
}

} // namespace

void TQelSelectGrid::ResetLastSearch()
{
    g_lastSearch = TLastSearch();
}

bool TQelSelectGrid::Lookup(const std::string& input, bool backward, bool restart)
{
    CompleteLoad(); // a hit may be in the rows still to come
    if (DisplRowCount() < RowCount())
        UnHideRowsAll();
    std::string text = Trim(input);
    if (!text.empty() && text.back() == '*')
        text.pop_back();
    if (!text.empty() && text.front() == '_')
        text.front() = ' ';
    if (!text.empty() && text.back() == '_')
        text.back() = ' ';
    if (text.empty())
        return false;
    TQelDatabase* db = QelDatabase();
    if (db && db->Initialized() && db->User())
        text = db->User()->NameWert().ReadString(kSearchPrefixKey) + text;
    if (text.find('=', 1) != std::string::npos)
        text = "@" + text;

    TMatchMode mode = mmWordStart;
    bool matchCase = false;
    int searchCol = -1;
    bool fromStart = false;
    std::size_t i = 0;
    for (bool more = true; more && i < text.size();) {
        switch (text[i]) {
        case '+':
            matchCase = true;
            ++i;
            break;
        case '-':
            matchCase = false;
            ++i;
            break;
        case '^':
            mode = mmStart;
            ++i;
            break;
        case '*':
            mode = mmAnywhere;
            ++i;
            break;
        case ':':
            mode = mmWordStart;
            ++i;
            break;
        case '#':
            mode = mmPattern;
            ++i;
            break;
        case '<':
        case '>':
        case '|':
            // Reading direction of the cells: the rows are searched the same way either way.
            ++i;
            break;
        case '@': {
            const std::size_t eq = text.find('=', i + 1);
            const std::string name = eq == std::string::npos ? "" : text.substr(i + 1, eq - i - 1);
            if (name.empty())
                return false;
            const int number = std::atoi(name.c_str());
            if (number > 0 && std::to_string(number) == name && number < ColCount()) {
                searchCol = number;
            } else {
                const std::string lower = AnsiLowerCase(name);
                for (int c = 1; c < ColCount() && searchCol < 0; ++c)
                    if (AnsiLowerCase(GetCellsEx(c, 0)).starts_with(lower))
                        searchCol = c;
            }
            if (searchCol < 0)
                return false;
            fromStart = true;
            text = text.substr(eq + 1);
            i = 0;
            more = false;
            break;
        }
        case '\\':
            ++i;
            more = false;
            break;
        case '$':
            if (text.size() - i >= 2 && text.back() == '$' && db && db->Initialized() && db->User()) {
                TQelUser* user = db->User();
                if (user->NameWert().WriteString(kSearchPrefixKey, text.substr(i + 1, text.size() - i - 2)))
                    user->ForceCommit();
            }
            return false;
        default:
            more = false;
        }
    }
    text = text.substr(i);
    if (text.empty())
        return false;

    // The cells in search order: rows top down, the searched columns left to right.
    std::vector<int> cols;
    for (int c = 1; c < ColCount(); ++c)
        if ((searchCol < 0 || c == searchCol) && !IsHiddenColumn(c))
            cols.push_back(c);
    const int first = FirstDataRow();
    const long long rows = RowCount() - first;
    const long long cells = rows * static_cast<long long>(cols.size());
    if (cells <= 0)
        return false;
    long long start = backward ? cells - 1 : 0;
    if (!restart && !fromStart && text == g_lastSearch.Text && g_lastSearch.Row >= first
        && g_lastSearch.Row < RowCount()) {
        long long at = static_cast<long long>(g_lastSearch.Row - first) * static_cast<long long>(cols.size());
        for (std::size_t k = 0; k < cols.size(); ++k)
            if (cols[k] == g_lastSearch.Col)
                at += static_cast<long long>(k);
        start = backward ? at - 1 : at + 1;
    }
    // Once round, wrapping at the end.
    for (long long n = 0; n < cells; ++n) {
        long long at = backward ? start - n : start + n;
        at = ((at % cells) + cells) % cells;
        const int row = first + static_cast<int>(at / static_cast<long long>(cols.size()));
        const int col = cols[static_cast<std::size_t>(at % static_cast<long long>(cols.size()))];
        if (!cellMatches(GetCellsEx(col, row), text, mode, matchCase))
            continue;
        g_lastSearch = { col, row, text };
        const int display = DisplRowIndex(row);
        SetTopRow(std::max(first, display - VisibleRowCount() / 2));
        SelectRow(display, -1);
        return true;
    }
    return false;
}

void TQelSelectGrid::ext_search()
{
    TQelAnsichtLib* lib = QelAnsichten();
    if (!OnQueryParams || !lib || !hasSearchTemplates(lib, get_ClassType()))
        return;
    TQelAnsicht* view = nullptr;
    TQelFieldList* params = nullptr;
    std::string text;
    bool ok = false;
    OnQueryParams(this, get_ClassType(), view, params, text, ok);
    if (ok && view)
        SetCurrentView(view, params, text, true);
}

// ---- search controls --------------------------------------------------------------------------

void TQelSelectGrid::set_SearchEdit(TCustomEdit* edit)
{
    if (searchEdit_ == edit)
        return;
    if (searchEdit_) {
        searchEdit_->OnChange = nullptr;
        searchEdit_->OnKeyDown = nullptr;
        RemoveFreeNotification(searchEdit_);
    }
    searchEdit_ = edit;
    if (edit) {
        FreeNotification(edit);
        edit->OnChange = [this](TObject* sender) { search_edit_change(sender); };
        edit->OnKeyDown
            = [this](TObject* sender, WORD& key, TShiftState shift) { search_edit_key(sender, key, shift); };
    }
    update_search_buttons();
}

void TQelSelectGrid::attach_search_button(TButtonControl*& slot, TButtonControl* button)
{
    if (slot == button)
        return;
    if (slot) {
        slot->OnClick = nullptr;
        RemoveFreeNotification(slot);
    }
    slot = button;
    if (button) {
        FreeNotification(button);
        button->OnClick = [this](TObject* sender) { search_button_click(sender); };
    }
    update_search_buttons();
}

void TQelSelectGrid::set_SearchPrev(TButtonControl* button)
{
    attach_search_button(searchPrev_, button);
}

void TQelSelectGrid::set_SearchNext(TButtonControl* button)
{
    attach_search_button(searchNext_, button);
}

void TQelSelectGrid::set_ExtSearch(TButtonControl* button)
{
    attach_search_button(extSearch_, button);
}

void TQelSelectGrid::update_search_buttons()
{
    const bool any = searchEdit_ && !searchEdit_->Text().empty();
    if (searchPrev_)
        searchPrev_->SetEnabled(any);
    if (searchNext_)
        searchNext_->SetEnabled(any);
    if (extSearch_)
        extSearch_->SetEnabled(static_cast<bool>(OnQueryParams));
}

void TQelSelectGrid::reset_search_controls()
{
    if (searchEdit_)
        searchEdit_->SetText(""); // its change handler switches the search filter off
    for (TButtonControl* button : { searchPrev_, searchNext_, extSearch_ })
        if (button) {
            button->OnClick = [this](TObject* sender) { search_button_click(sender); };
            button->SetTabStop(false);
        }
    update_search_buttons();
}

void TQelSelectGrid::search_edit_change(TObject*)
{
    update_search_buttons();
    if (searchEdit_)
        Lookup(searchEdit_->Text(), false, false);
}

void TQelSelectGrid::search_edit_key(TObject*, WORD& key, TShiftState shift)
{
    if (!searchEdit_)
        return;
    if (key == VK_NEXT || key == VK_PRIOR) {
        Lookup(searchEdit_->Text(), key == VK_PRIOR, false);
        key = 0;
    } else if (key == VK_RETURN || (shift.Contains(ssCtrl) && (key == 'F' || key == 'f'))) {
        KeyDown(key, shift);
        key = 0;
    }
}

void TQelSelectGrid::search_button_click(TObject* sender)
{
    if (sender == extSearch_ && extSearch_)
        ext_search();
    else if (searchEdit_)
        Lookup(searchEdit_->Text(), sender == searchPrev_, false);
}
