// The combo's item list: choice and boolean domains, ERV key domains, the current value, the
// favourites.
#include "pickers/QelCombo.h"

#include "binding/methods.h"
#include "binding/qellogging.h"
#include "binding/qeltimerglue.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr int kErvReloadTask = 1;
// The stored comma text of the favourites stays below this length.
constexpr std::size_t kMaxFavoriteText = 256;

// A positive decimal number that fits a key.
bool keyNumber(const std::string& s, int& key)
{
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    long long v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || v <= 0 || v > INT32_MAX)
        return false;
    key = static_cast<int>(v);
    return true;
}

// The first code point of `s` as comparisons fold it (0 for the empty text). A text that folds to
// `t`, or to a text that starts with `t`, starts with the code point `t` starts with.
char32_t foldedStart(std::string_view s)
{
    if (s.empty())
        return 0;
    std::size_t end = 0;
    const char32_t c = Utf8Next(s, end);
    if (c < 0x80)
        return CharLower(c); // a letter of ASCII folds to its lower case alone
    const std::string folded = TextFold(s.substr(0, end));
    std::size_t at = 0;
    return folded.empty() ? 0 : Utf8Next(folded, at);
}

int exactIndex(const TStrings& items, const std::string& text)
{
    for (int i = 0; i < items.Count(); ++i)
        if (items[i] == text)
            return i;
    return -1;
}

} // namespace

bool TQelCombo::field_refers_to_class() const
{
    return ref_ct().Valid();
}

std::string TQelCombo::ref_name(TQelObject* obj) const
{
    if (!obj)
        return {};
    const std::string column = Trim(showColumn_);
    if (column.empty())
        return obj->Name();
    const std::string format = column.find('<') == std::string::npos ? "<" + column + ">" : column;
    return obj->MakeName(format, obj->Name());
}

int TQelCombo::find_prefix(const std::string& text) const
{
    const TStrings& items = Items();
    // An item whose first letter folds otherwise neither is the text nor starts with it: the
    // long list is passed without folding whole items.
    const char32_t start = foldedStart(text);
    int first = -1;
    for (int i = 0; i < items.Count(); ++i) {
        const std::string item = items[i];
        if (item == FavoriteSeparator || (start != 0 && foldedStart(item) != start))
            continue;
        if (AnsiSameText(item, text))
            return i;
        if (first < 0 && TextStartsWithCI(item, text))
            first = i;
    }
    return first;
}

void TQelCombo::set_SelectedText(const std::string& text)
{
    TStrings& items = Items();
    if (!text.empty() && text[0] == '@') {
        int n = 0;
        const auto [p, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), n);
        int index
            = ec == std::errc() && p == text.data() + text.size() ? (n < 0 ? items.Count() + n : n) : -1;
        if (index < 0 || index >= items.Count())
            index = -1;
        if (Editable()) {
            SetTextBuf(index >= 0 ? items[index] : std::string());
            if (Focused())
                SelectAll();
        } else {
            SetItemIndex(index);
        }
        return;
    }
    int key = 0;
    if (!Editable()) {
        int index = exactIndex(items, text);
        if (index < 0 && keyNumber(text, key) && field_refers_to_class())
            index = IndexOfKey(TQelObjectKey(key));
        SetItemIndex(index);
        return;
    }
    if (text == GetText()) {
        // Shown already; only the item the text stands for may still need selecting.
        const int index = exactIndex(items, text);
        if (index >= 0 && ItemIndex() != index)
            SetItemIndex(index);
        return;
    }
    std::string typed = text;
    std::string t = text;
    if (Utf8Length(text) > 1 && text.back() == '*') {
        // Completion: the first item that starts with what was typed.
        typed = text.substr(0, text.size() - 1);
        const int i = find_prefix(typed);
        t = i >= 0 ? items[i] : typed;
    }
    if (keyNumber(t, key) && field_refers_to_class()) {
        const int i = IndexOfKey(TQelObjectKey(key));
        if (i >= 0) {
            t = items[i];
        } else {
            load_list(false, "O_EXT.K=" + std::to_string(key));
            if (items.Count() > 0)
                t = items[0];
        }
    }
    int index = exactIndex(items, t);
    if (index < 0 && get_ERVKeyField())
        for (int i = 0; i < items.Count() && index < 0; ++i)
            if (auto* item = dynamic_cast<TQelComboItem*>(items.Objects(i)))
                if (TQelSubObject* sub = item->SubObject(); sub && sub->Path() == t)
                    index = i;
    if (index >= 0) {
        SetItemIndex(index);
        if (GetText() != items[index])
            SetTextBuf(items[index]);
    } else if (get_RefField() && t == "0") {
        const int none = exactIndex(items, nullString_);
        SetItemIndex(none);
        if (none < 0 && Style() == csDropDown)
            SetTextBuf(nullString_);
    } else {
        SetItemIndex(-1);
        SetTextBuf(t);
    }
    if (Focused()) {
        // The completed part stays selected, so that the next key replaces it. It begins after the
        // characters that match the typed text, which may be fewer than were typed ("ss" is "ß").
        const std::string now = GetText();
        if (const std::size_t matched = TextPrefixLengthCI(now, typed); matched != std::string::npos) {
            SetSelStart(static_cast<int>(matched));
            SetSelLength(static_cast<int>(Utf8Length(now) - matched));
        } else {
            SelectAll();
        }
    }
}

void TQelCombo::load_choice_domain()
{
    TQelField* f = Field();
    if (!f)
        return;
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupIgnore);
    for (const std::string& entry : f->GetDomain())
        list.Add(entry);
    if (TQelChoiceField* choice = get_ChoiceField(); choice && OnAddChoiceItem)
        for (int i = list.Count() - 1; i >= 0; --i) {
            bool accept = true;
            OnAddChoiceItem(this, list[i], choice->Abbr(list[i]), accept);
            if (!accept)
                list.Delete(i);
        }
    TAdvCustomCombo::SetItems(list);
    apply_style();
    set_drop_width(0);
}

void TQelCombo::SetItems(const TStrings& list)
{
    if (showCompleteList_)
        return; // the complete list is loaded once
    const TQelClassKey cls = ref_ct();
    if (!cls.Valid()) {
        const std::string text = GetText();
        const int start = SelStart(), length = SelLength();
        // Read first: the list may be the combo's own.
        struct Entry {
            std::string text;
            const bool keyed;
            TQelObjectKey key;
        };
        std::vector<Entry> entries;
        for (int i = 0; i < list.Count(); ++i) {
            auto* item = dynamic_cast<TQelComboItem*>(list.Objects(i));
            entries.push_back({ list[i], item != nullptr, item ? item->key : TQelObjectKey() });
        }
        // Offered last to first; the list keeps its order.
        std::vector<bool> accepted(entries.size(), true);
        for (std::size_t i = entries.size(); i-- > 0;) {
            bool accept = true;
            if (OnAddItem)
                OnAddItem(this, entries[i].key, entries[i].text, accept);
            accepted[i] = accept;
        }
        TStrings& items = Items();
        items.BeginUpdate();
        clear_items();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (accepted[i])
                items.AddObject(entries[i].text, entries[i].keyed ? pool_item(entries[i].key) : nullptr);
        items.EndUpdate();
        SetTextBuf(text);
        SetSelStart(start);
        SetSelLength(length);
        AfterReload(this, "");
        return;
    }
    // A list of object keys restricts the list to those objects.
    std::string keys;
    int count = 0;
    for (int i = 0; i < list.Count(); ++i) {
        int key = 0;
        if (!keyNumber(Trim(list[i]), key))
            continue; // only numbers go into the statement
        keys += (count++ ? "," : "") + std::to_string(key);
    }
    TQelDatabase* db = QelDatabase();
    const int max = db ? db->CreateSQLDialect()->MaxElemsInValueList() : 0;
    clear_items();
    if (count >= 1 && count <= max && count == list.Count())
        load_list(true, "K IN (" + keys + ")");
}

void TQelCombo::Reload(int index, const std::string& condition)
{
    const std::string text = GetText();
    clear_items();
    load_list(true, condition);
    if (index >= 0 && index < Items().Count()) {
        SetItemIndex(index);
    } else {
        SetItemIndex(-1);
        SetTextBuf(text);
    }
}

void TQelCombo::drop_ervkey_veclist()
{
    if (!ervVectors_)
        return;
    for (TQelVector* v : *ervVectors_) {
        try {
            v->DisconnectControl(&link_);
        } catch (const std::exception& e) {
            QelLogError("TQelCombo::drop_ervkey_veclist(): %s", e.what());
        }
    }
    ervVectors_.reset();
}

void TQelCombo::reload_ervkey_domain(int delayMs, bool connect)
{
    if (delayMs >= 1) {
        TQelField* f = Field();
        if (TQelTimerTasks* tasks = QelTimerTasksOf(f ? f->Database() : nullptr)) {
            timers_.set_Tasks(tasks);
            timers_.Start(
                kErvReloadTask, delayMs,
                [this](TQelTaskId task, std::intptr_t data) {
                    if (TQelTimerTasks* t = timers_.get_Tasks())
                        t->Stop(task);
                    reload_ervkey_domain(0, data != 0);
                },
                connect ? 1 : 0);
            return;
        }
    }
    TQelERVKeyField* erv = get_ERVKeyField();
    if (!erv)
        return;
    if (connect) {
        drop_ervkey_veclist();
        ervVectors_ = std::make_unique<std::vector<TQelVector*>>();
    }
    struct Entry {
        std::string text;
        TQelSubObject* sub;
    };
    std::vector<Entry> entries;
    TQelObject* base = erv->Object();
    const std::string column = Trim(showColumn_);
    const auto addDomain = [&](TQelObject* obj) {
        TQelFieldList* fl = obj->FieldList();
        for (int v = 1; v <= fl->VectorCount(); ++v) {
            TQelVector* vector = fl->Vector(v);
            if (connect && std::find(ervVectors_->begin(), ervVectors_->end(), vector) == ervVectors_->end())
                ervVectors_->push_back(vector);
            for (int i = 1; i <= vector->Count(); ++i) {
                TQelSubObject* sub = vector->Item(i);
                std::string text = sub->Name();
                if (!column.empty())
                    text = sub->BaseFieldList()->MakeName(
                        column.find('<') == std::string::npos ? "<" + column + ">" : column, text);
                if (obj != base)
                    text = obj->Name() + ": " + text;
                entries.push_back({ text, sub });
            }
        }
    };
    TQelDatabase* db = erv->Database();
    if (base)
        addDomain(base);
    std::vector<TQelObjectKey> associated;
    if (OnGetAssociatedObjects)
        OnGetAssociatedObjects(this, associated);
    if (objectKey_.Valid())
        associated.push_back(objectKey_);
    for (TQelObjectKey k : associated)
        if (TQelObject* obj = db ? db->GetObjectA(k) : nullptr; obj && obj != base)
            addDomain(obj);
    std::stable_sort(entries.begin(), entries.end(),
        [](const Entry& a, const Entry& b) { return AnsiCompareText(a.text, b.text) < 0; });

    TStrings& items = Items();
    items.BeginUpdate();
    clear_items();
    items.AddObject(nullString_, nullptr); // the empty choice
    for (Entry& e : entries) {
        bool accept = true;
        if (OnAddVecItem)
            OnAddVecItem(this, e.sub, e.text, accept);
        if (accept)
            items.AddObject(e.text, pool_item(e.sub));
    }
    items.EndUpdate();
    if (connect)
        for (TQelVector* v : *ervVectors_)
            v->ConnectControl(&link_);
    apply_style();
    set_drop_width(0);
    Repaint();
}

// Favourites.

std::string TQelCombo::fav_name() const
{
    std::string name;
    if (!favoriteName_.empty()) {
        name = "fv$" + favoriteName_;
    } else {
        const TCustomForm* form = TQelCommonMethods::GetFormA(this);
        name = form && form != static_cast<const TComponent*>(this) ? "fv$" + form->Name() + "." + Name()
                                                                    : "fv$" + Name();
        if (Utf8Length(name) > 30)
            name = "fv$" + Name();
    }
    return Utf8Substr(name, 0, 30);
}

const std::vector<std::string>& TQelCombo::fav()
{
    if (!favorites_) {
        favorites_ = std::make_unique<std::vector<std::string>>();
        TQelDatabase* db = QelDatabase();
        if (favoriteCount_ > 0 && db) {
            TStringList list;
            list.SetCommaText(db->GetSettings(favoriteLevel_, fav_name()));
            for (int i = 0; i < list.Count() && static_cast<int>(favorites_->size()) < favoriteCount_; ++i)
                if (!list[i].empty())
                    favorites_->push_back(list[i]);
        }
    }
    return *favorites_;
}

void TQelCombo::insert_fav()
{
    if (favoriteCount_ <= 0)
        return;
    const std::vector<std::string>& favorites = fav();
    TStrings& items = Items();
    const bool ref = get_RefField() != nullptr;
    std::vector<std::pair<std::string, TQelObjectKey>> found;
    for (const std::string& f : favorites) {
        int index = -1, key = 0;
        if (ref)
            index = keyNumber(f, key) ? IndexOfKey(TQelObjectKey(key)) : -1;
        else
            index = exactIndex(items, f);
        if (index >= 0)
            found.emplace_back(items[index], get_Key(index));
    }
    if (found.empty())
        return;
    items.BeginUpdate();
    items.Insert(0, FavoriteSeparator);
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        items.InsertObject(0, it->first, ref ? pool_item(it->second) : nullptr);
    items.EndUpdate();
}

void TQelCombo::remove_fav()
{
    TStrings& items = Items();
    const int sep = exactIndex(items, FavoriteSeparator);
    if (sep < 0)
        return;
    items.BeginUpdate();
    for (int i = sep; i >= 0; --i)
        items.Delete(i);
    items.EndUpdate();
}

void TQelCombo::add_fav()
{
    std::string entry;
    if (TQelRefField* ref = get_RefField())
        entry = ref->AsKey().Valid() ? std::to_string(ref->AsKey().Id()) : std::string();
    else
        entry = get_SelectedText();
    if (entry.empty() || entry == FavoriteSeparator)
        return;
    fav();
    std::vector<std::string>& list = *favorites_;
    std::erase(list, entry);
    list.insert(list.begin(), entry);
    clear_fav(true);
    if (Items().Count() > 0) {
        const std::string text = GetText();
        remove_fav();
        insert_fav();
        set_SelectedText(text);
    }
}

void TQelCombo::clear_fav(bool save)
{
    if (!favorites_)
        return;
    if (save && favoriteCount_ > 0) {
        std::vector<std::string>& list = *favorites_;
        if (static_cast<int>(list.size()) > favoriteCount_)
            list.resize(static_cast<std::size_t>(favoriteCount_));
        TStringList text;
        for (const std::string& s : list)
            text.Add(s);
        while (text.Count() > 0 && text.CommaText().size() >= kMaxFavoriteText)
            text.Delete(text.Count() - 1);
        list.resize(static_cast<std::size_t>(text.Count()));
        if (TQelDatabase* db = QelDatabase()) {
            try {
                db->SetSetting(favoriteLevel_, fav_name(), text.CommaText());
            } catch (const std::exception& e) {
                QelLogError("TQelCombo::clear_fav(): %s", e.what());
            }
        }
        return; // the list stays loaded
    }
    favorites_.reset();
}
