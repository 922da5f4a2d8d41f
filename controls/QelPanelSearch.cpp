// The field panel's search mode: its children stand for fields of the referenced class.
#include "controls/QelPanel.h"

#include "binding/qellogging.h"
#include "binding/qelmessages.h"
#include "pickers/QelCombo.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {

constexpr int kMaxRows = 1000;

// The search combos below `parent`, depth first.
void collectCombos(TWinControl* parent, std::vector<TQelCombo*>& out)
{
    for (int i = 0; i < parent->GetControlCount(); ++i) {
        TControl* child = parent->GetControl(i);
        if (auto* combo = dynamic_cast<TQelCombo*>(child)) {
            if (combo->get_SearchMode())
                out.push_back(combo);
        } else if (auto* w = dynamic_cast<TWinControl*>(child)) {
            collectCombos(w, out);
        }
    }
}

// The conditions of the other search fields below `parent` (edits, check boxes), depth first.
void collectConditions(TWinControl* parent, std::vector<std::string>& out)
{
    for (int i = 0; i < parent->GetControlCount(); ++i) {
        TControl* child = parent->GetControl(i);
        if (dynamic_cast<TQelCombo*>(child))
            continue;
        std::string cond;
        if (child->Perform(WM_OC_GETSEARCHCONDITION, 0, reinterpret_cast<LPARAM>(&cond)) == 1) {
            if (!cond.empty())
                out.push_back(cond);
        } else if (auto* w = dynamic_cast<TWinControl*>(child)) {
            collectConditions(w, out);
        }
    }
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string s;
    for (const std::string& p : parts)
        if (!p.empty())
            s += (s.empty() ? "" : " AND ") + p;
    return s;
}

} // namespace

bool TQelPanel::IsAllEmpty() const
{
    std::vector<TQelCombo*> combos;
    collectCombos(const_cast<TQelPanel*>(this), combos);
    return std::all_of(
        combos.begin(), combos.end(), [](TQelCombo* c) { return c->get_SelectedText().empty(); });
}

void TQelPanel::clearCombos(const TControl* except)
{
    std::vector<TQelCombo*> combos;
    collectCombos(this, combos);
    for (TQelCombo* c : combos)
        if (c != except) {
            c->set_SelectedIndex(-1);
            c->set_SelectedText("");
        }
}

void TQelPanel::ClearSubCombos()
{
    clearCombos(nullptr);
}

std::string TQelPanel::get_SearchCondition() const
{
    if (!get_SearchMode())
        return {};
    auto* self = const_cast<TQelPanel*>(this);
    std::vector<TQelCombo*> combos;
    collectCombos(self, combos);
    std::vector<std::string> parts;
    for (TQelCombo* c : combos)
        parts.push_back(c->get_SearchCondition());
    collectConditions(self, parts);
    return joined(parts);
}

bool TQelPanel::TryFindUnique()
{
    return !IsAllEmpty() && Perform(WM_OC_SEARCHCHANGED, 1, 0) == 1;
}

bool TQelPanel::TryFindBest()
{
    return !IsAllEmpty() && Perform(WM_OC_SEARCHCHANGED, 2, 0) == 1;
}

TQelObject* TQelPanel::GetObjectA(bool create)
{
    TQelRefField* ref = link_.RefField();
    if (!ref)
        return nullptr;
    if (ref->AsKey().Valid())
        return ref->get_AsObject();
    if (!create || !get_SearchMode() || IsAllEmpty())
        return nullptr;
    TQelDatabase* db = ref->Database();
    TQelObject* obj = db ? db->CreateObject(ref->ClassType()) : nullptr;
    if (!obj)
        return nullptr;
    std::vector<TQelCombo*> combos;
    collectCombos(this, combos);
    for (TQelCombo* c : combos) {
        TQelField* f = obj->FieldList()->FindField(c->get_FieldPath());
        if (!f)
            continue;
        if (auto* target = dynamic_cast<TQelRefField*>(f))
            target->set_AsKey(c->get_SelectedKey());
        else
            f->set_AsString(c->get_SelectedText());
    }
    return obj;
}

int TQelPanel::Search(int mode, TQelCombo* changed)
{
    TQelRefField* ref = link_.RefField();
    if (!get_SearchMode() || !ref)
        return 0;
    TQelDatabase* db = ref->Database();
    const TQelKlasse* cls = db ? db->Klasse(ref->ClassType()) : nullptr;
    if (!cls)
        return 0;
    std::vector<TQelCombo*> combos;
    collectCombos(this, combos);
    if (auto it = std::find(combos.begin(), combos.end(), changed); it != combos.end())
        std::rotate(combos.begin(), it, it + 1);

    std::vector<std::string> parts;
    std::vector<TQelCombo*> columns; // the combos whose column is selected, in select-list order
    std::string select = cls->TableName() + ".K";
    for (TQelCombo* c : combos) {
        parts.push_back(c->get_SearchCondition());
        const std::string column = c->get_ColumnName();
        if (!column.empty()) {
            select += "," + column;
            columns.push_back(c);
        }
    }
    collectConditions(this, parts);
    const std::string condition = joined(parts);
    std::string statement = "SELECT " + select + " FROM " + cls->TableName();
    if (!condition.empty())
        statement += " WHERE " + condition;

    int rows = 0;
    std::vector<std::vector<std::string>> found;
    try {
        TQelSQLEngine engine(db);
        const std::unique_ptr<TQelSQLQuery> q = engine.SetExtended(statement, cls->Key());
        q->Open();
        rows = q->CountRecords();
        if (rows >= 1 && rows <= kMaxRows)
            for (q->First(); !q->Eof(); q->Next()) {
                std::vector<std::string>& row = found.emplace_back();
                for (int col = 0; col < q->FieldCount(); ++col)
                    row.push_back(q->AsString(col));
            }
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelPanel::Search(): %s", e.what());
        return 0;
    }
    if (rows > kMaxRows || found.empty())
        return mode == 0 ? rows : 0;

    const auto keyOf
        = [&](std::size_t row) { return TQelObjectKey(static_cast<int>(std::stoll(found[row][0]))); };
    if (mode == 1 || mode == 2) {
        if (mode == 2 || rows == 1)
            ref->set_AsKey(keyOf(0));
        return mode == 2 ? 1 : rows;
    }
    if (rows == 1) {
        ref->set_AsKey(keyOf(0));
        reconnectNow();
        return rows;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        TStringList texts;
        for (const auto& row : found)
            if (i + 1 < row.size() && texts.IndexOf(row[i + 1]) < 0)
                texts.Add(row[i + 1]);
        columns[i]->SetItems(texts);
        if (texts.Count() == 1)
            columns[i]->set_SelectedText(texts[0]);
    }
    return rows;
}
