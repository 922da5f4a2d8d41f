// TQelSelectGrid: the field settings, the columns a load makes, their cell texts and sorting.
#include "lists/QelSelectGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include <set>

namespace {

const char* const kFieldSettingsKey = "SGFieldSettings";
// Widest column a guessed setting asks for, in characters.
constexpr int kGuessMaxChars = 30;
// Room beside a header text: margins and the sort mark.
constexpr int kHeaderPadding = 24;

// Whether every character of `text` is a digit (after an optional sign), and there is one.
bool isInteger(std::string_view text)
{
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size())
        return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

} // namespace

// ---- field settings ---------------------------------------------------------------------------

std::string TQelSelectGrid::get_Fields() const
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db && db->Initialized() ? db->Klasse(classKey_) : nullptr;
    std::string fields;
    // Root class first: collect up the chain, then join from the top.
    std::vector<std::string> entries;
    for (; k; k = k->get_Parent())
        entries.push_back(classLine(fieldSettings_, k->Key()));
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (!it->empty())
            fields += (fields.empty() ? "" : ",") + *it;
    return fields;
}

void TQelSelectGrid::set_Fields(const std::string& fields)
{
    if (classKey_.Valid())
        setClassLine(fieldSettings_, classKey_, fields);
}

void TQelSelectGrid::LoadFieldSettings()
{
    TQelDatabase* db = QelDatabase();
    TQelPartition* partition = db && db->Initialized() ? db->Partition() : nullptr;
    if (partition)
        fieldSettings_.SetCommaText(partition->NameWert().ReadLongString(kFieldSettingsKey));
}

void TQelSelectGrid::SaveFieldSettings()
{
    TQelDatabase* db = QelDatabase();
    TQelPartition* partition = db && db->Initialized() ? db->Partition() : nullptr;
    if (partition && partition->NameWert().SetLongString(kFieldSettingsKey, fieldSettings_.CommaText()))
        partition->ForceCommit();
}

std::string TQelSelectGrid::GetFieldSettings(TStrings* into) const
{
    if (into)
        into->Assign(fieldSettings_);
    return fieldSettings_.CommaText();
}

void TQelSelectGrid::SetFieldSettings(TStrings* from)
{
    if (from)
        fieldSettings_.Assign(*from);
    else
        fieldSettings_.Clear();
}

void TQelSelectGrid::SetFieldSettings(const std::string& commaText)
{
    fieldSettings_.SetCommaText(commaText);
}

// The fields to list: the settings' names that the listed class has, each once. Other names
// (a removed field, a typing error, a fragment of SQL) never reach the statement. Without any
// settings, every field that fits in a list row (no long texts).
std::vector<std::string> TQelSelectGrid::field_names() const
{
    std::vector<std::string> names;
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db ? db->Klasse(list_class()) : nullptr;
    if (!k)
        return names;
    std::set<std::string> seen;
    const std::string fields = get_Fields();
    for (const std::string& item : make_sl(fields, ",")) {
        const std::string name = Trim(item);
        if (name.empty())
            continue;
        const TQelFelddefinition* def = k->FindFelddefinition(name);
        if (!def) {
            QelLogWarning("TQelSelectGrid %s: Feld '%s' gibt es in %s nicht", Name(), name, k->Name());
            continue;
        }
        if (seen.insert(def->Name()).second)
            names.push_back(def->Name());
    }
    if (fields.empty())
        for (const TQelFelddefinition* def : k->Fields())
            if (!def->IsBlob())
                names.push_back(def->Name());
    return names;
}

// ---- columns ----------------------------------------------------------------------------------

const TQelSGColInfo* TQelSelectGrid::SGColInfo(int col) const
{
    return col >= 0 && col < colInfos_.Count() ? colInfos_.Items(col) : nullptr;
}

const TQelFelddefinition* TQelSelectGrid::get_Felddefinition(int col) const
{
    const TQelSGColInfo* info = SGColInfo(col);
    return info ? info->Felddefinition : nullptr;
}

int TQelSelectGrid::ColumnByName(const std::string& name) const
{
    for (int c = 0; c < ColCount(); ++c)
        if (GetCellsEx(c, 0) == name)
            return c;
    if (fieldCaptions_)
        for (int c = 1; c < ColCount(); ++c)
            if (const TQelFelddefinition* def = get_Felddefinition(c); def && def->Name() == name)
                return c;
    return -1;
}

std::string TQelSelectGrid::column_name(int col) const
{
    const TQelFelddefinition* def = get_Felddefinition(col);
    return def ? def->Name() : GetCellsEx(col, 0);
}

void TQelSelectGrid::set_FieldCaptions(bool on)
{
    if (on == fieldCaptions_)
        return;
    fieldCaptions_ = on;
    for (int c = 1; c < ColCount(); ++c)
        if (const TQelFelddefinition* def = get_Felddefinition(c))
            SetCellsEx(c, 0, on ? def->Description() : def->Name());
}

void TQelSelectGrid::layout_columns(TQelSQLQuery& query, const std::vector<std::string>& fields)
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db->Klasse(list_class());
    SetColCount(std::max(query.FieldCount(), 1));
    std::vector<std::string> laidOut(static_cast<std::size_t>(std::max(query.FieldCount(), 0)));
    for (int c = 0; c < query.FieldCount(); ++c) {
        auto info = std::make_unique<TQelSGColInfo>();
        std::string header
            = c == 0 || c > static_cast<int>(fields.size()) ? query.FieldName(c) : fields[c - 1];
        info->Felddefinition = k && c > 0 ? k->FindFelddefinition(header) : nullptr;
        const TQelFelddefinition* def = info->Felddefinition;
        switch (query.FieldDataType(c)) {
        case fdtSmallInt:
        case fdtInteger:
        case fdtFloat:
            info->SortStyle = ssNumeric;
            break;
        case fdtDate:
        case fdtDateTime:
        case fdtTimeStamp:
            info->SortStyle = ssDate;
            break;
        default:
            info->SortStyle = ssAnsiAlphaNoCase;
        }
        // Booleans, choices and references show words, times "hh:mm" (ordered as text): their
        // texts sort as texts.
        if (def
            && (def->type->IsA(qelft::Boolean) || def->type->IsA(qelft::Choice)
                || def->type->IsA(qelft::MultiChoice) || def->type->IsA(qelft::Flags)
                || def->type->IsA(qelft::Reference) || def->type->IsA(qelft::TimeMinutes)
                || def->type->IsA(qelft::TimeSeconds)))
            info->SortStyle = ssAnsiAlphaNoCase;
        // A column that lists the field it listed before keeps its settings: the widths the
        // user dragged or the application loaded outlive the load.
        const bool kept = c > 0 && c < static_cast<int>(laidOut_.size()) && laidOut_[c] == header;
        laidOut[static_cast<std::size_t>(c)] = header;
        SetCellsEx(c, 0, fieldCaptions_ && def ? def->Description() : std::move(header));
        set_ColSortStyle(c, static_cast<TSortStyle>(info->SortStyle));
        if (c > 0 && !kept) {
            set_ColSettings(c, def ? TQelCommonMethods::GuessColSettings(def, true, kGuessMaxChars) : "10c");
            // A fixed width never cuts the header.
            const int headerWidth = TextWidth(GetCellsEx(c, 0)) + kHeaderPadding;
            if (const TQelGridColInfo* ci = ColInfo(c); ci && ci->Width >= 1 && ci->Width < headerWidth)
                set_ColSettings(c, std::to_string(headerWidth) + "/0");
        }
        colInfos_.Add(std::move(info));
    }
    set_ColSettings(0, "8c/0");
    laidOut_ = std::move(laidOut);
}

namespace {

// The field a header names: by its name, or by its description (a caption shown as header).
const TQelFelddefinition* headerField(const TQelKlasse* k, const std::string& header)
{
    if (!k)
        return nullptr;
    if (const TQelFelddefinition* def = k->FindFelddefinition(header))
        return def;
    for (const TQelFelddefinition* def : k->Fields())
        if (def->Description() == header)
            return def;
    return nullptr;
}

} // namespace

void TQelSelectGrid::rebuild_colinfos()
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* k = db ? db->Klasse(list_class()) : nullptr;
    colInfos_.Clear();
    for (int c = 0; c < ColCount(); ++c) {
        auto info = std::make_unique<TQelSGColInfo>();
        const TQelFelddefinition* def = c > 0 ? headerField(k, GetCellsEx(c, 0)) : nullptr;
        info->Felddefinition = def;
        if (c == 0 || (def && (def->type->IsA(qelft::Integer) || def->type->IsA(qelft::Amount))))
            info->SortStyle = ssNumeric;
        else if (def && def->type->IsA(qelft::DateTime))
            info->SortStyle = ssDate;
        set_ColSortStyle(c, static_cast<TSortStyle>(info->SortStyle));
        colInfos_.Add(std::move(info));
    }
}

std::string TQelSelectGrid::prepare_string(int col, const std::string& text) const
{
    const TQelFelddefinition* def = get_Felddefinition(col);
    if (def && def->type->IsA(qelft::Choice))
        return TQelChoiceField::Surface(text);
    return text;
}

void TQelSelectGrid::hide_empty_cols()
{
    const int first = FirstDataRow();
    const int last = first + entryCount_ - 1;
    if (entryCount_ < 1)
        return;
    std::vector<char> known(static_cast<std::size_t>(ColCount()), 0);
    int open = 0;
    for (int c = FixedCols(); c < ColCount(); ++c)
        ++open;
    for (int c = 0; c < FixedCols(); ++c)
        known[static_cast<std::size_t>(c)] = 1;
    for (int r = last; r >= first && open > 0; --r)
        for (int c = FixedCols(); c < ColCount(); ++c)
            if (!known[static_cast<std::size_t>(c)] && !GetCellsEx(c, r).empty()) {
                known[static_cast<std::size_t>(c)] = 1;
                --open;
            }
    for (int c = FixedCols(); c < ColCount(); ++c)
        if (!known[static_cast<std::size_t>(c)])
            HideColumn(c);
}

// ---- sorting ----------------------------------------------------------------------------------

void TQelSelectGrid::GetColFormat(int col, TSortStyle& style)
{
    if (const TQelSGColInfo* info = SGColInfo(col)) {
        set_ColSortStyle(col, static_cast<TSortStyle>(info->SortStyle));
    } else {
        // No record: the first non-empty cell decides (integers, then dates as digits and dots).
        TSortStyle s = ssAnsiAlphaNoCase;
        for (int r = FixedRows(); r < RowCount(); ++r) {
            const std::string text = GetCellsEx(col, r);
            if (text.empty())
                continue;
            std::string head = text.substr(0, 10);
            std::erase(head, '.');
            s = isInteger(text) ? ssNumeric : isInteger(head) ? ssDate : ssAnsiAlphaNoCase;
            break;
        }
        set_ColSortStyle(col, s);
    }
    TQelGrid::GetColFormat(col, style);
    if (style == ssRaw && col < colInfos_.Count())
        colInfos_.Items(col)->SortKeysReady = 1;
}

int TQelSelectGrid::SortEndRow()
{
    // Rows of new objects after the loaded ones keep their place.
    return std::min(RowCount(), FirstDataRow() + entryCount_);
}

void TQelSelectGrid::QSort()
{
    if (SortSettings().Column < 0 || SortSettings().Column >= ColCount())
        return;
    CompleteLoad(); // the rows still to come belong in the order too
    TQelGrid::QSort();
}
