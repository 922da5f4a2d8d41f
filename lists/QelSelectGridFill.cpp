// TQelSGRowFiller: the cells of the select grid's loaded rows.
#include "lists/QelSelectGridFill.h"

#include <algorithm>
#include <charconv>

namespace {

// Distinct stored values remembered per column; beyond that each is formatted anew.
constexpr std::size_t kMemoLimit = 1 << 16;

// Fields whose stored values need their field's formatting to read as users write them.
bool formattedType(const TQelFelddefinition* def)
{
    const int root = def ? def->Urtyp().Id() : 0;
    return root == qelft::DateTime || root == qelft::Boolean || root == qelft::Amount;
}

} // namespace

TQelSGRowFiller::TQelSGRowFiller(TQelSelectGrid& grid, TQelSQLQuery& query)
    : grid_(grid)
    , query_(query)
    , columns_(static_cast<std::size_t>(std::max(query.FieldCount(), 1)))
{
    TQelDatabase* db = QelDatabase();
    if (const TQelKlasse* k = db ? db->Klasse(grid.get_ClassType()) : nullptr)
        fields_ = std::make_unique<TQelFieldList>(db, nullptr, k);
    for (int c = 1; c < query.FieldCount(); ++c) {
        TColumn& column = columns_[static_cast<std::size_t>(c)];
        const TQelFelddefinition* def = grid.get_Felddefinition(c);
        if (def && formattedType(def) && fields_) {
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
        scratch_ = column.field->AsString();
        return scratch_;
    }
    const std::string_view stored = query_.AsStringView(col);
    if (const auto it = column.formatted.find(stored); it != column.formatted.end())
        return it->second;
    column.field->LoadStored(query_.AsValue(col));
    if (column.formatted.size() >= kMemoLimit) {
        scratch_ = column.field->AsString();
        return scratch_;
    }
    return column.formatted.emplace(std::string(stored), column.field->AsString()).first->second;
}

long long TQelSGRowFiller::Write(int row)
{
    const int cols = query_.FieldCount();
    for (int c = 1; c < cols; ++c) {
        TColumn& column = columns_[static_cast<std::size_t>(c)];
        switch (column.kind) {
        case TKind::Plain:
            grid_.AssignCellsEx(c, row, query_.AsStringView(c));
            break;
        case TKind::Choice:
            grid_.AssignCellsEx(c, row, TrimView(query_.AsStringView(c)));
            break;
        case TKind::Formatted:
            grid_.AssignCellsEx(c, row, format(column, c));
            break;
        }
    }
    const long long key = query_.AsInteger(0);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, key).ptr;
    grid_.AssignCellsEx(0, row, std::string_view(digits, static_cast<std::size_t>(end - digits)));
    return key;
}
