// Choosing the in-place editor of a grid cell: a registered link, the per-workstation override,
// or a link by field type.
#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qelmessages.h"

#include "toolkit/advstringgrid.h"
#include "toolkit/dialogs.h"

#include <cstdlib>

namespace {

constexpr int kMaxEditTypeKey = 30;

TQelNameWertVector* workstationSettings()
{
    TQelDatabase* db = QelDatabase();
    TQelComputer* computer = db && db->Initialized() ? db->Computer() : nullptr;
    return computer ? &computer->NameWert() : nullptr;
}

// The link registered for `key`; a link whose cell went away is dropped so it cannot be reused
// for another interface that happens to live at the same address.
TQelCommonLink* liveLink(TQelLinkRegistry* registry, TQelObjectInterface* key)
{
    if (!registry)
        return nullptr;
    const int index = registry->IndexOfKey(key);
    if (index < 0)
        return nullptr;
    TQelCommonLink* link = registry->Item(index);
    if (link && link->OI())
        return link;
    registry->Delete(index);
    return nullptr;
}

std::vector<std::string> domainOf(TQelObjectInterface* oi, const std::string& spec)
{
    if (auto* f = QelSafeCast<TQelField>(oi))
        return f->GetDomain();
    if (auto* v = QelSafeCast<TQelVector>(oi); v && !spec.empty())
        if (TQelSubObject* t = v->get_Template())
            if (TQelField* f = t->FieldList()->FieldByName(spec))
                return f->GetDomain();
    return {};
}

// The override table of the workstation setting: the toolkit editor type to use.
int applyOverride(TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec, int setting)
{
    switch (setting) {
    case 1:
        return edNormal;
    case 2:
    case 3: {
        grid->ClearComboString();
        for (const std::string& s : domainOf(oi, spec))
            grid->AddComboString(s);
        grid->OnComboChange = [grid](TObject*, int col, int row, int, std::string selection) {
            grid->Perform(WM_OC_COMBOCELLCHOSEN, static_cast<WPARAM>(row) * 65536 + static_cast<WPARAM>(col),
                reinterpret_cast<LPARAM>(selection.c_str()));
        };
        return setting == 2 ? edComboEdit : edComboList;
    }
    case 4:
        grid->SetEditButtonCaption("...");
        return edEditBtn;
    default:
        return edNone;
    }
}

int useLink(TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* key, TQelCommonLink* link)
{
    if (!link)
        return edNormal;
    if (registry)
        registry->Add(key, link);
    grid->SetEditLink(link);
    return edCustom;
}

int selectLinkEditor(TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi,
    const std::string& spec, TQelObjectInterface* key)
{
    if (!grid || !oi)
        return edNormal;
    if (TQelCommonLink* link = liveLink(registry, key)) {
        grid->SetEditLink(link);
        return edCustom;
    }
    if (const int setting = TQelCommonMethods::EditTypeSetting(TQelCommonMethods::EditTypeKey(oi, spec)))
        return applyOverride(grid, oi, spec, setting);
    return useLink(registry, grid, key, QelCreateLink(TQelLinkKind::Edit, grid, spec, oi));
}

} // namespace

std::string TQelCommonMethods::EditTypeKey(TQelObjectInterface* oi, const std::string& spec)
{
    if (!oi)
        return {};
    int classId = 0;
    auto* vector = QelSafeCast<TQelVector>(oi);
    if (!vector)
        vector = static_cast<TQelVector*>(oi->GetTransitiveOwner(TQelObjectInterface::oiVector));
    if (vector)
        classId = vector->ClassType().Id();
    else if (TQelObject* obj = oi->Object())
        classId = obj->ClassKey().Id();
    else
        return {};
    std::string key = "SETP_" + std::to_string(classId);
    if (auto* f = QelSafeCast<TQelField>(oi))
        key += "_" + f->Name();
    else if (!spec.empty())
        key += "_" + spec;
    return Utf8Length(key) > kMaxEditTypeKey ? Utf8Substr(key, 0, kMaxEditTypeKey) : key;
}

int TQelCommonMethods::EditTypeSetting(const std::string& key)
{
    if (key.empty())
        return 0;
    TQelNameWertVector* settings = workstationSettings();
    return settings ? settings->ReadInteger(key, 0) : 0;
}

int TQelCommonMethods::PathHash(const std::string& text)
{
    static constexpr int primes[15] = { 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47 };
    std::string upper;
    for (char32_t ch : Utf8ToU32(text))
        Utf8Append(upper, CharUpper(ch));
    const std::string bytes = Utf8ToCp1252(upper, nullptr);
    const int n = static_cast<int>(bytes.size());
    if (n == 0)
        return 0;
    auto c = [&](int i) { return static_cast<int>(static_cast<signed char>(bytes[i - 1])); };
    const int k = c(1) * c(n);
    std::int32_t hash = 0;
    for (int i = 1; i <= n; ++i) {
        const int index = ((k + i - 1) % 15 + 15) % 15; // a negative k still picks 0..14
        hash = static_cast<std::int32_t>(static_cast<std::uint32_t>(hash)
            + static_cast<std::uint32_t>(std::abs(c(i) - 32) * primes[index]));
    }
    return hash;
}

int TQelCommonMethods::SelectCellEditor(
    TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec)
{
    return selectLinkEditor(registry, grid, oi, spec, oi);
}

int TQelCommonMethods::SelectPathEditor(
    TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec)
{
    if (!grid || !oi)
        return edNormal;
    // The registry keeps the hash in its key slot.
    auto* key = reinterpret_cast<TQelObjectInterface*>(
        static_cast<std::intptr_t>(PathHash(oi->Path() + "." + spec)));
    return selectLinkEditor(registry, grid, oi, spec, key);
}

int TQelCommonMethods::SelectFieldEditor(
    TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi, int fieldType)
{
    if (!grid || !oi)
        return edNormal;
    if (TQelCommonLink* link = liveLink(registry, oi)) {
        grid->SetEditLink(link);
        return edCustom;
    }
    if (const int setting = EditTypeSetting(EditTypeKey(oi, "")))
        return applyOverride(grid, oi, "", setting);

    TQelDatabase* db = oi->Database();
    int type = fieldType;
    if (type == 0)
        if (auto* f = QelSafeCast<TQelField>(oi))
            type = f->FieldType().Id();
    const TQelFeldtyp* ft = db ? db->Feldtyp(TQelFieldKey(type)) : nullptr;
    while (true) {
        switch (type) {
        case qelft::Text:
        case qelft::Integer:
        case qelft::Amount:
        case qelft::DateTime:
        case qelft::Date:
        case qelft::TimeMinutes:
        case qelft::TimeSeconds:
        case qelft::DateTimeSeconds:
            return useLink(registry, grid, oi, QelCreateLink(TQelLinkKind::Edit, grid, "", oi));
        case qelft::Boolean:
        case qelft::Choice:
        case qelft::Reference:
        case qelft::ERVKey:
            return useLink(registry, grid, oi, QelCreateLink(TQelLinkKind::Combo, grid, "", oi));
        case qelft::LongText:
            grid->SetEditButtonRightAligned(false);
            grid->SetEditButtonCaption("...");
            return edEditBtn;
        default:
            if (!ft || !ft->get_Parent())
                return edNormal;
            ft = ft->get_Parent();
            type = ft->id;
        }
    }
}

void TQelCommonMethods::ChangeEditType(TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec)
{
    (void)grid;
    const std::string key = EditTypeKey(oi, spec);
    TQelNameWertVector* settings = workstationSettings();
    if (key.empty() || !settings)
        return;
    const int current = settings->ReadInteger(key, 0);
    std::string answer = std::to_string(current);
    const std::string prompt
        = FormatStr("Custom.....0\nEditbox....1\nComboEdit..2\nComboList..3\nPopup........4\n\n"
                    "Aktueller Edit-Type: %d\nNeuer Edit-Type:",
            current);
    if (!InputQuery("Edit-Type ändern", prompt, answer))
        return;
    char* end = nullptr;
    const std::string trimmed = Trim(answer);
    long value = std::strtol(trimmed.c_str(), &end, 10);
    if (trimmed.empty() || *end != '\0')
        value = 0; // not a number
    if (value < 0 || value == current)
        return;
    const bool changed
        = value >= 1 ? settings->WriteInteger(key, static_cast<int>(value)) : settings->Remove(key);
    TQelComputer* computer = QelDatabase()->Computer();
    if (changed && computer->Touched())
        computer->ForceCommit();
}

bool TQelCommonMethods::ProgressGridSelection(TStringGrid* g, int dCol, int dRow, bool wrapRows)
{
    if (!g)
        return false;
    const int width = g->ColCount() - g->FixedCols();
    const int height = g->RowCount() - g->FixedRows();
    int col = g->Col() - g->FixedCols() + dCol;
    int row = g->Row() - g->FixedRows() + dRow;
    if (width > 0) {
        while (col < 0) {
            col += width;
            if (wrapRows)
                --row;
        }
        while (col >= width) {
            col -= width;
            if (wrapRows)
                ++row;
        }
    }
    if (height > 0) {
        while (row < 0)
            row += height;
        while (row >= height)
            row -= height;
    }
    g->FocusCell(col + g->FixedCols(), row + g->FixedRows());
    g->SetEditorMode(true);
    return true;
}
