// TQelVectorGrid: parsing the columns, loading, cell texts and mark-up, paint-time colours and hints.
#include "vectors/QelVectorGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"
#include "vectors/qelcellmarkup.h"

#include "toolkit/minihtml.h"

#include <algorithm>

namespace {

constexpr TColor kGrey = TColor(0x808080);

std::string link(const std::string& text)
{
    return QelCellLink(text);
}

std::string escaped(const std::string& text)
{
    return QelCellEscaped(text);
}

std::string literal(const std::string& text)
{
    return QelCellLiteral(text);
}

std::string upper(const std::string& s)
{
    return AnsiUpperCase(s);
}

} // namespace

// ---- columns ------------------------------------------------------------------------------------

void TQelVectorGrid::parse_columns()
{
    TQelVGColDefs spec = QelParseVGColDefs(fieldNames_.ToVector());
    TQelVector* v = Vector();
    TQelSubObject* tmpl = v ? v->get_Template() : nullptr;
    if (tmpl) {
        std::vector<std::string> names;
        for (TQelFieldList* fl = tmpl->FieldList(); fl; fl = fl->NextFieldList()) {
            for (int i = 1; i <= fl->FieldCount(); ++i)
                names.push_back(fl->Field(i)->Name());
            if (fl->Key().Id() == showDownTo_)
                break;
        }
        QelVGExpandEllipsis(spec, names);
        // A line naming nothing in the element class is most likely a typing error.
        for (const TQelVGColumn& c : spec.Columns)
            if (c.Info && !c.Info->Has(TQelVGInfo::CUSTOM) && c.Entry != "@"
                && !tmpl->FieldList()->PathResolvable(c.Entry, 0))
                spec.Issues.push_back({ c.Line, "\"" + c.Entry + "\" ist kein Feld und kein Vektor" });
    }
    // Reported once per change, not at every reload.
    bool same = spec.Issues.size() == issues_.size();
    for (std::size_t i = 0; same && i < issues_.size(); ++i)
        same = issues_[i].Line == spec.Issues[i].Line && issues_[i].Text == spec.Issues[i].Text;
    if (!same)
        for (const TQelVGSpecIssue& issue : spec.Issues)
            QelLogWarning("%s: FieldNames Zeile %d: %s", Name(), issue.Line, issue.Text);
    issues_ = std::move(spec.Issues);
    columns_ = std::move(spec.Columns);
}

void TQelVectorGrid::write_add_row()
{
    if (!Connected() || !editable())
        return;
    const int row = ElementCount() + 1;
    if (row >= RowCount())
        return;
    const int span = DataColumnCount() > 0 ? DataColumnCount() : ColCount() - FixedCols();
    SetCells(FixedCols(), row, link(name_info_phrase("Weiter", 4) + " hinzufügen"));
    if (span > 1)
        MergeCells(FixedCols(), row, span, 1);
}

std::string TQelVectorGrid::name_info_phrase(const std::string& adjective, int casus) const
{
    TQelVector* v = Vector();
    const TQelNameInfo info = ParseNameInfo(nameInfo_, v ? GetNameInfo(v->ClassType()) : TQelNameInfo {});
    return FreeMakeNP(info, adjective, casus, true, 'm');
}

// ---- loading ------------------------------------------------------------------------------------

void TQelVectorGrid::Reload()
{
    if (!Connected() || frozen_ || reloading_)
        return;
    TFlagScope guard(reloading_);
    int cp = 0;
    try {
        TQelVector* v = Vector();
        const bool guelt = has_guelt();
        // An open editor is closed (its text goes into its field first) and opened again on the
        // same field afterwards, wherever that field's row is now.
        const bool editing = EditorMode();
        TQelObjectInterface* edited = nullptr;
        cp = 1;
        if (editing) {
            // What the editor was opened on: the cell may already show another element when the
            // vector was reordered behind the grid's back.
            if (auto* cl = dynamic_cast<TQelCommonLink*>(EditLink()); cl && plain_.Kind == edCustom)
                edited = cl->OI();
            if (!edited)
                edited = plain_.Target;
            if (!edited)
                edited = get_CurrentField();
            if (!edited)
                edited = get_CurrentSubVec();
            close_editor();
        }
        parse_columns();
        cp = 2;
        orderMap_.clear();
        if (!order_.empty())
            v->LoadMap(order_, orderMap_);
        cp = 3;
        const int cols = DataColumnCount();
        const int n = v->Count();
        cp = 4;
        BeginUpdate();
        struct End {
            TQelVectorGrid* g;
            ~End() { g->EndUpdate(); }
        } end { this };
        SplitAllCells();
        cp = 6;
        Clear();
        SetRowCount(n > 0 ? n + (editable() ? 2 : 1) : 2);
        SetColCount(FixedCols() + std::max(cols, 1));
        cp = 7;
        write_add_row();
        cp = 8;
        TQelSubObject* tmpl = v->get_Template();
        for (int c = 0; c < cols; ++c) {
            const TQelVGColumn& col = columns_[static_cast<std::size_t>(c)];
            TQelField* tf = tmpl ? tmpl->FieldList()->FindTypedOI<TQelField>(col.Entry) : nullptr;
            std::string settings = col.Info ? col.Info->Length : std::string();
            if (settings.empty())
                settings = tf ? TQelCommonMethods::GuessColSettings(tf, true, 100) : std::string("100");
            set_ColSettings(FixedCols() + c, settings);
            SetCells(
                FixedCols() + c, 0, col.Info && !col.Info->Caption.empty() ? col.Info->Caption : col.Entry);
        }
        cp = 9;
        shown_.assign(static_cast<std::size_t>(n), nullptr);
        for (int r = 1; r <= n; ++r) {
            cp = 1000 + r;
            if (FixedCols() > 0)
                SetCells(0, r, std::to_string(r));
            TQelSubObject* e = get_SubObject(r);
            if (!e)
                continue;
            shown_[static_cast<std::size_t>(r - 1)] = e;
            auto* g = guelt ? dynamic_cast<TQelGueltigkeit*>(e) : nullptr;
            if (guelt && !g)
                continue;
            cp = 2000 + r;
            const bool valid = !g || g->Active();
            const bool standard = !g || g->Standard();
            SetRowFontColor(r, valid ? clWindowText : kGrey);
            for (int c = FixedCols(); c < FixedCols() + cols; ++c) {
                cp = 1000000 + 1000 * r + c;
                load_cell(c, r, e->FieldList(), cp);
                cp = 7000000 + 1000 * r + c;
                TFontStyles st = FontStyles(c, r);
                if (standard && g)
                    st << fsBold;
                else
                    st >> fsBold;
                SetFontStyles(c, r, st);
            }
        }
        cp = 10;
        if (edited) {
            set_CurrentField(edited);
            SetEditorMode(true);
        }
        update_toolbar();
        sub_connect();
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelVectorGrid::Reload(), nach CP %d: %s", cp, e.what());
        throw;
    }
}

void TQelVectorGrid::load_cell(int c, int r, TQelFieldList* fl, int& cp)
{
    const TQelVGColumn& col = columns_[static_cast<std::size_t>(c - FixedCols())];
    const int at = 1000 * r + c;
    if (TQelField* f = get_Field(c, r)) {
        cp = 2000000 + at;
        SetCells(c, r, CellText(f, nullptr, fl, col.Info.get()));
    } else if (TQelVector* sv = get_SubVec(c, r)) {
        cp = 4000000 + at;
        SetCells(c, r, CellText(nullptr, sv, fl, col.Info.get()));
    } else if (OnGetValue) {
        cp = 5000000 + at;
        std::string value;
        OnGetValue(this, Vector(), row2vix(r), upper(col.Entry), value);
        SetCells(c, r, value);
    } else {
        cp = 6000000 + at;
        SetCells(c, r, CellText(nullptr, nullptr, fl, col.Info.get()));
    }
}

// A move or an exchange of elements moves their rows: a field shows the same text wherever its
// element stands, so only what may depend on the position is read again (line numbers, custom
// and property cells). Any other change, and a grid with an open editor or an order, reloads.
void TQelVectorGrid::sync_rows()
{
    TQelVector* v = Vector();
    if (!v || frozen_ || reloading_)
        return;
    const int n = v->Count();
    if (!order_.empty() || EditorMode() || n != static_cast<int>(shown_.size())) {
        Reload();
        return;
    }
    const auto now = [v](int i) -> const TQelSubObject* { return v->Item(i + 1); };
    int first = 0;
    while (first < n && now(first) == shown_[static_cast<std::size_t>(first)])
        ++first;
    if (first == n) {
        Reload(); // same order: the elements were rewritten
        return;
    }
    int last = n - 1;
    while (now(last) == shown_[static_cast<std::size_t>(last)])
        --last;
    const auto sameShifted = [&](int from, int to, int shift) {
        for (int i = from; i <= to; ++i)
            if (now(i) != shown_[static_cast<std::size_t>(i + shift)])
                return false;
        return true;
    };
    const auto old = [this](int i) { return shown_[static_cast<std::size_t>(i)]; };
    const auto begin = shown_.begin();
    if (now(first) == old(last) && sameShifted(first + 1, last, -1)) {
        MoveRow(last + 1, first + 1); // moved up
        std::rotate(begin + first, begin + last, begin + last + 1);
    } else if (now(last) == old(first) && sameShifted(first, last - 1, 1)) {
        MoveRow(first + 1, last + 1); // moved down
        std::rotate(begin + first, begin + first + 1, begin + last + 1);
    } else if (now(first) == old(last) && now(last) == old(first) && sameShifted(first + 1, last - 1, 0)) {
        MoveRow(last + 1, first + 1); // exchanged
        MoveRow(first + 2, last + 1);
        std::swap(shown_[static_cast<std::size_t>(first)], shown_[static_cast<std::size_t>(last)]);
    } else {
        Reload();
        return;
    }
    std::vector<int> positional;
    TQelSubObject* tmpl = v->get_Template();
    for (int k = 0; k < DataColumnCount(); ++k) {
        const TQelVGColumn& col = columns_[static_cast<std::size_t>(k)];
        const bool plain = col.Info ? !col.Info->Has(TQelVGInfo::CUSTOM) && col.Info->PropName.empty() : true;
        const bool resolves
            = tmpl && col.Entry != "@" && tmpl->FieldList()->FindTypedOI<TQelField>(col.Entry);
        if (!plain || !resolves)
            positional.push_back(FixedCols() + k);
    }
    int cp = 0;
    for (int r = first + 1; r <= last + 1; ++r) {
        if (FixedCols() > 0)
            SetCells(0, r, std::to_string(r));
        for (int c : positional)
            load_cell(c, r, v->FieldList(r), cp);
    }
    update_toolbar();
    sub_connect();
}

void TQelVectorGrid::read(int col, int row)
{
    if (col < 0)
        col = Col();
    if (row < 0)
        row = Row();
    const TQelVGColumn* c = ColumnAt(col);
    TQelFieldList* fl = get_fl(row);
    if (!c || !fl || row < 1)
        return;
    TQelField* f = get_Field(col, row);
    TQelVector* sv = f ? nullptr : get_SubVec(col, row);
    if (!f && !sv && c->Info && c->Info->Has(TQelVGInfo::CUSTOM))
        return;
    SetCells(col, row, CellText(f, sv, fl, c->Info.get()));
}

std::string TQelVectorGrid::get_name(TQelRefField* ref, TQelERVKeyField* erv) const
{
    std::string format;
    std::string subFormat;
    OnGetNameFormat(const_cast<TQelVectorGrid*>(this), ref, erv, format, subFormat);
    if (ref)
        if (TQelObject* obj = ref->get_AsObject())
            // Without an application format the object's own name (its class's name template).
            return format.empty() ? obj->Name() : obj->MakeName(format, "");
    if (erv)
        // The location key itself; a format names what the application wants shown instead.
        return format.empty() ? erv->AsString() : erv->MakeName(format, "");
    return format;
}

std::string TQelVectorGrid::CellText(
    TQelField* field, TQelVector* subvec, TQelFieldList* fl, const TQelVGInfo* info) const
{
    const bool string = info && info->Has(TQelVGInfo::STRING);
    if (field) {
        if (field->IsA(qelft::Reference)) {
            auto* ref = dynamic_cast<TQelRefField*>(field);
            const TQelObjectKey key = ref ? ref->AsKey() : TQelObjectKey();
            if (key.Id() == 0)
                return editable() ? link("nicht gesetzt") : "<FONT color=\"clGray\">nicht gesetzt</FONT>";
            if (!key.Exists())
                return "<E>ungültiger Schlüssel</E>";
            if (!key.IsA(ref->ClassType()))
                return "<E>Falscher Objekttyp</E>";
            const std::string name = get_name(ref);
            return editable() ? link(escaped(name)) : literal(name);
        }
        if (field->IsA(qelft::ERVKey)) {
            auto* erv = dynamic_cast<TQelERVKeyField*>(field);
            return erv ? literal(get_name(nullptr, erv)) : "<E>ungültige Referenz</E>";
        }
        if (field->IsA(qelft::LongText)) {
            if (auto* blob = dynamic_cast<TQelBlobField*>(field); blob && string)
                return literal(blob->BufferAsString());
            TQelDatabase* db = field->Database();
            const TQelFeldtyp* ft = db ? db->Feldtyp(field->FieldType()) : nullptr;
            return link(ft ? escaped(ft->name) : "(ungültiger Feldtyp)");
        }
        if (info && info->Has(TQelVGInfo::HIDETIME) && field->IsA(qelft::DateTime))
            return field->GetFormatted(1);
        return literal(field->AsString());
    }
    if (!info || info->PropName.empty())
        return {};
    if (subvec)
        return literal(subvec->GetAll(info->PropName, ','));
    return fl ? literal(fl->GetPropA(info->PropName, "")) : std::string();
}

bool TQelVectorGrid::RefreshCustomFields(const std::string& names, int ix)
{
    TQelVector* v = Vector();
    if (!OnGetValue || !v)
        return false;
    std::vector<std::string> wanted;
    if (Trim(names).empty()) {
        for (const TQelVGColumn& c : columns_)
            if (c.Info && c.Info->Has(TQelVGInfo::CUSTOM))
                wanted.push_back(c.Entry);
    } else {
        wanted = make_sl(Trim(names));
    }
    bool any = false;
    for (const std::string& raw : wanted) {
        const std::string name = upper(Trim(raw));
        for (int k = 0; k < DataColumnCount(); ++k) {
            if (!AnsiSameText(columns_[static_cast<std::size_t>(k)].Entry, name))
                continue;
            const int from = ix >= 1 ? ix : v->Count();
            const int to = ix >= 1 ? ix : 1;
            if (ix > v->Count())
                continue;
            for (int i = from; i >= to; --i) {
                std::string value;
                OnGetValue(this, v, i, name, value);
                SetCells(FixedCols() + k, i, value);
                any = true;
            }
        }
    }
    return any;
}

// ---- following the database ---------------------------------------------------------------------

void TQelVectorGrid::reload_field(TQelObjectInterface* oi)
{
    auto* field = QelSafeCast<TQelField>(oi);
    TQelVector* v = Vector();
    if (!field || !v || reloading_)
        return;
    TQelFieldList* fl = field->FieldList();
    TQelSubObject* e = fl ? fl->ParentSubObject() : nullptr;
    if (!e)
        return;
    if (e->ParentVector() != v) {
        reload_subvec(e->ParentVector());
        return;
    }
    const int row = vix2row(e->VectorIndex());
    bool done = false;
    for (int k = 0; k < DataColumnCount(); ++k)
        if (AnsiSameText(columns_[static_cast<std::size_t>(k)].Entry, field->Name())
            && get_Field(FixedCols() + k, row) == field) {
            read(FixedCols() + k, row);
            done = true;
        }
    if (!done)
        for (int k = 0; k < DataColumnCount(); ++k)
            if (columns_[static_cast<std::size_t>(k)].Entry.rfind("@", 0) == 0)
                read(FixedCols() + k, row);
}

void TQelVectorGrid::reload_subvec(TQelVector* sub)
{
    TQelVector* v = Vector();
    while (sub && v) {
        TQelObjectInterface* owner = sub->GetTransitiveOwner(TQelObjectInterface::oiSubObject);
        auto* e = QelSafeCast<TQelSubObject>(owner);
        if (!e)
            return;
        if (e->ParentVector() == v) {
            const int row = vix2row(e->VectorIndex());
            for (int k = 0; k < DataColumnCount(); ++k)
                if (AnsiSameText(columns_[static_cast<std::size_t>(k)].Entry, sub->VectorName())
                    && get_SubVec(FixedCols() + k, row) == sub)
                    read(FixedCols() + k, row);
            return;
        }
        sub = e->ParentVector();
    }
}

// ---- painting -----------------------------------------------------------------------------------

void TQelVectorGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font)
{
    TQelGrid::GetCellColor(col, row, state, brush, font);
    if (row < 1 || !Connected())
        return;
    if (TQelGueltigkeit* g = validity_element(row)) {
        TFontStyles st = font->Style();
        if (options_.Contains(voMarkStandard) && g->Standard())
            st << fsBold;
        else
            st >> fsBold;
        if (options_.Contains(voMarkInvalid) && !g->Active()) {
            font->SetColor(kGrey);
            st << fsStrikeOut;
        }
        font->SetStyle(st);
    } else {
        TFontStyles st = font->Style();
        st >> fsBold;
        font->SetStyle(st);
    }
    if (row > ElementCount())
        return;
    if (brush->Color() != Color() && brush->Color() != SelectionColor())
        return;
    const TQelVGColumn* c = ColumnAt(col);
    if (c && c->Info && c->Info->Has(TQelVGInfo::FIXED))
        brush->SetColor(FixedColor());
    else if (editable() && row == Row() && !(col == Col() && EditorMode()))
        brush->SetColor(SelectionColor());
    else
        brush->SetColor(Color());
}

void TQelVectorGrid::GetCellAlign(int col, int row, TAlignment& hAlign, TVerticalAlignment& vAlign)
{
    TQelGrid::GetCellAlign(col, row, hAlign, vAlign);
    if (row < 1 || !ColumnAt(col))
        return;
    if (TQelField* f = get_Field(col, 0))
        hAlign = TQelCommonMethods::GetAlign(f);
}

void TQelVectorGrid::GetCellHint(int col, int row, std::string& hint)
{
    const TQelVGColumn* c = ColumnAt(col);
    std::string mine;
    if (row == 0) {
        if (c && c->Info)
            mine = c->Info->Hint;
    } else if (c && row <= ElementCount()) {
        if (HintShowCells() && IsCellTruncated(col, row))
            mine = qel::minihtml::Strip(Cells(col, row));
        TQelField* f = get_Field(col, row);
        if (auto* ref = dynamic_cast<TQelRefField*>(f)) {
            if (ref->AsKey().Id() == 0)
                mine = MakeNP(ref->ClassType(), "", 4, true, 'm') + " auswählen";
            else if (!OnOpenObject)
                mine = MakeNP(ref->ClassType(), "Ander", 4, true, 'm') + " auswählen";
            else
                mine = MakeNP(ref->ClassType(), "", 4, true, 'm') + " \"" + get_name(ref)
                    + "\" ansehen/bearbeiten";
        } else if (f && f->IsA(qelft::LongText) && !(c->Info && c->Info->Has(TQelVGInfo::STRING))) {
            mine = MakeNP(f->FieldType(), "", 4, true, 'm') + " ansehen/bearbeiten";
        }
    }
    if (!mine.empty())
        hint = mine;
    else
        TQelGrid::GetCellHint(col, row, hint);
}
