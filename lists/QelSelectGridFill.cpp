// TQelSGRowFiller: the cells of the select grid's loaded rows.
#include "lists/QelSelectGridFill.h"

#include "binding/qellogging.h"

#include <algorithm>
#include <charconv>

namespace {

// Distinct stored values remembered per column; beyond that each is formatted anew.
constexpr std::size_t kMemoLimit = 1 << 16;

// Keys per query when names of referenced objects are read.
constexpr std::size_t kNamesPerQuery = 500;

// Fields whose stored values need their field's formatting to read as users write them (a set of
// choices as its words, not as the number that stores it).
bool formattedType(const TQelFelddefinition* def)
{
    const int root = def ? def->Urtyp().Id() : 0;
    return root == qelft::DateTime || root == qelft::Boolean || root == qelft::Amount
        || root == qelft::MultiChoice || root == qelft::Flags;
}

} // namespace

TQelSGRowFiller::TQelSGRowFiller(TQelSelectGrid& grid, TQelSQLQuery& query)
    : grid_(grid)
    , query_(query)
    , columns_(static_cast<std::size_t>(std::max(query.FieldCount(), 1)))
    , texts_(columns_.size())
{
    TQelDatabase* db = QelDatabase();
    if (const TQelKlasse* k = db ? db->Klasse(grid.get_ClassType()) : nullptr)
        fields_ = std::make_unique<TQelFieldList>(db, nullptr, k);
    for (int c = 1; c < query.FieldCount(); ++c) {
        TColumn& column = columns_[static_cast<std::size_t>(c)];
        const TQelFelddefinition* def = grid.get_Felddefinition(c);
        if (def && def->Urtyp().Id() == qelft::Reference && def->ReferencedClass().Valid()) {
            // The referenced object's name, as the reference field shows it.
            column.kind = TKind::Reference;
            column.names = &refNames_[def->ReferencedClass().Id()];
        } else if (def && formattedType(def) && fields_) {
            column.field = fields_->FieldByName(def->Name());
            column.kind = column.field ? TKind::Formatted : TKind::Plain;
            column.memo = def->Urtyp().Id() != qelft::Amount;
        } else if (def && def->type->IsA(qelft::Choice)) {
            column.kind = TKind::Choice;
        }
    }
}

const std::string& TQelSGRowFiller::format(TColumn& column, int col)
{
    if (!column.memo) {
        column.field->LoadStored(query_.AsValue(col));
        column.scratch = column.field->AsString();
        return column.scratch;
    }
    const std::string_view stored = query_.AsStringView(col);
    if (const auto it = column.formatted.find(stored); it != column.formatted.end())
        return it->second;
    column.field->LoadStored(query_.AsValue(col));
    if (column.formatted.size() >= kMemoLimit) {
        column.scratch = column.field->AsString();
        return column.scratch;
    }
    return column.formatted.emplace(std::string(stored), column.field->AsString()).first->second;
}

long long TQelSGRowFiller::Write(int row)
{
    // A row written again (a record that was not kept) drops what was still to come for it.
    while (!pending_.empty() && pending_.back().row == row)
        pending_.pop_back();
    const int cols = query_.FieldCount();
    for (int c = 1; c < cols; ++c) {
        TColumn& column = columns_[static_cast<std::size_t>(c)];
        std::string_view& text = texts_[static_cast<std::size_t>(c)];
        switch (column.kind) {
        case TKind::Plain:
            text = query_.AsStringView(c);
            break;
        case TKind::Choice:
            text = TrimView(query_.AsStringView(c));
            break;
        case TKind::Formatted:
            text = format(column, c);
            break;
        case TKind::Reference:
            text = reference(column, c, row);
            break;
        }
    }
    const long long key = query_.AsInteger(0);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, key).ptr;
    texts_[0] = std::string_view(digits, static_cast<std::size_t>(end - digits));
    grid_.AssignRowEx(row, texts_.data(), std::max(cols, 1));
    return key;
}

std::string_view TQelSGRowFiller::reference(TColumn& column, int col, int row)
{
    const long long key = query_.AsInteger(col);
    if (key <= 0)
        return {};
    TNames& names = *column.names;
    if (const auto it = names.known.find(key); it != names.known.end())
        return it->second;
    names.wanted.insert(key);
    pending_.push_back({ row, col, key });
    return {};
}

void TQelSGRowFiller::readNames(TQelClassKey cls, TNames& names)
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db ? db->Klasse(cls) : nullptr;
    if (!k)
        return;
    const TQelNameColumns nameOf(k);
    // A key the list does not find (a dangling reference) reads as the field shows it.
    for (long long key : names.wanted)
        names.known[key] = "#" + std::to_string(key);
    try {
        std::unique_ptr<TQelSQLEngine> engine = db->CreateSQLEngine();
        const std::vector<long long> wanted(names.wanted.begin(), names.wanted.end());
        for (std::size_t from = 0; from < wanted.size(); from += kNamesPerQuery) {
            std::string keys;
            const std::size_t to = std::min(wanted.size(), from + kNamesPerQuery);
            for (std::size_t i = from; i < to; ++i)
                keys += (i > from ? "," : "") + std::to_string(wanted[i]);
            std::unique_ptr<TQelSQLQuery> q
                = engine->ListEx(cls, 0, "K IN (" + keys + ")", nameOf.FieldNames(), "", 0);
            q->Open();
            for (q->First(); !q->Eof(); q->Next()) {
                const TQelObjectKey key(static_cast<int>(q->AsInteger(0)));
                names.known[key.Id()] = nameOf.NameOf(*q, 1, key);
            }
        }
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelSelectGrid::Reload(), Namen von %s: %s", k->Name(), e.what());
    }
    names.wanted.clear();
}

void TQelSGRowFiller::Flush()
{
    if (pending_.empty())
        return;
    for (auto& [cls, names] : refNames_)
        if (!names.wanted.empty())
            readNames(TQelClassKey(cls), names);
    for (const TPending& p : pending_)
        grid_.AssignCellsEx(p.col, p.row, columns_[static_cast<std::size_t>(p.col)].names->known[p.key]);
    pending_.clear();
}
