// TQelDetailGrid: binding, the rows of FieldNames, and the row functions the application calls.
#include "vectors/qeldetailgrid.h"

#include "binding/qellogging.h"
#include "vectors/qelcellmarkup.h"
#include "vectors/qelvectorkit.h"

std::string TQelDGInfo::Key() const
{
    return AnsiUpperCase(QelDGPlainName(Name));
}

TQelDetailGrid::TQelDetailGrid(TComponent* owner)
    : TAdvStringGrid(owner)
{
    SetColCount(2);
    SetFixedRows(0);
    SetFixedCols(0);
    SetRowCount(1);
    SetColWidths(colCaption, 140);
    SetColWidths(colValue, 220);
    TGridOptions o = Options();
    o << goEditing << goColSizing << goVertLine << goHorzLine;
    SetOptions(o);
    headFont_.Assign(Font());
    TFontStyles bold;
    bold << fsBold;
    headFont_.SetStyle(bold);
    Publish<&TQelDetailGrid::get_FieldPath, &TQelDetailGrid::set_FieldPath>("FieldPath");
    PublishLines<&TQelDetailGrid::get_FieldNames, &TQelDetailGrid::set_FieldNames>("FieldNames");
    Publish<&TQelDetailGrid::get_VectorIndex, &TQelDetailGrid::set_VectorIndex>("VectorIndex");
    Publish<&TQelDetailGrid::get_VectorConstraints, &TQelDetailGrid::set_VectorConstraints>(
        "VectorConstraints");
    Publish<&TQelDetailGrid::get_ReadOnly, &TQelDetailGrid::set_ReadOnly>("ReadOnly");
    Publish<&TQelDetailGrid::get_GenerateFieldNames, &TQelDetailGrid::set_GenerateFieldNames>(
        "GenerateFieldNames");
    Publish<&TQelDetailGrid::get_DescAsFieldName, &TQelDetailGrid::set_DescAsFieldName>("DescAsFieldName");
    Publish<&TQelDetailGrid::get_HeadColor, &TQelDetailGrid::set_HeadColor>("HeadColor");
}

TQelDetailGrid::~TQelDetailGrid()
{
    Destroying();
    QelDropCellEditors(this, editorLinks_);
    disconnect_fields();
    link_.Forget();
    link_.DropVector();
}

// ---- properties ---------------------------------------------------------------------------------

void TQelDetailGrid::set_FieldPath(const std::string& path)
{
    if (path == fieldPath_)
        return;
    fieldPath_ = path;
    link_.DropVector();
    reconnectNow();
}

void TQelDetailGrid::set_FieldNames(const TStrings& lines)
{
    fieldNames_.Assign(lines);
    fieldNamesChanged();
}

void TQelDetailGrid::set_VectorIndex(int index)
{
    if (index == vectorIndex_)
        return;
    vectorIndex_ = index;
    reconnectNow();
}

void TQelDetailGrid::set_VectorConstraints(const std::string& constraints)
{
    if (constraints == constraints_)
        return;
    constraints_ = constraints;
    reconnectNow();
}

void TQelDetailGrid::set_ReadOnly(bool v)
{
    readOnly_ = v;
    QelSetCellEditing(this, !v, true);
    Invalidate();
}

void TQelDetailGrid::set_HeadColor(TColor c)
{
    headColor_ = c;
    Invalidate();
}

// ---- binding ------------------------------------------------------------------------------------

void TQelDetailGrid::reconnectNow()
{
    if (link_.Given())
        ConnectFL(link_.Given(), false);
}

int TQelDetailGrid::Reconnect()
{
    return link_.Given() ? ConnectFL(link_.Given(), false) : 0;
}

int TQelDetailGrid::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (busy_ || (onlyIfUnconnected && Connected()))
        return 0;
    TFlagScope busy(busy_);
    if (EditorMode())
        HideInplaceEdit();
    clear_rows();
    link_.Forget();
    link_.Hold(fl);
    if (link_.Given()) {
        using L = TQelContainerLink;
        link_.ResolveOwn(
            fieldPath_, L::Accepts(L::fSubObject) | L::Accepts(L::fVector) | L::Accepts(L::fReference));
        if (TQelVector* v = link_.Vector())
            link_.SetConnected(v->FieldList(vectorIndex_));
        // The grid follows the reference to another object.
        if (TQelRefField* ref = link_.RefField())
            ref->ConnectControl(&link_);
    }
    int count = 0;
    if (Connected()) {
        if (generate_)
            generate_field_names();
        connect_fields();
        count = 1 + InfoCount();
    }
    TQelContainerLink::ShowUsable(this, Connected(), false);
    return count;
}

void TQelDetailGrid::generate_field_names()
{
    TQelFieldList* base = BaseFieldList();
    fieldNames_.Clear();
    for (int i = 1; i <= base->FieldCount(); ++i) {
        TQelField* f = base->Field(i);
        std::string line = f->Name();
        const TQelFelddefinition* def = f->Definition();
        if (descAsName_ && def && !def->description.empty())
            line += FormatStr(" AS %s", def->description);
        fieldNames_.Add(line);
    }
}

void TQelDetailGrid::disconnect_fields()
{
    for (auto& info : rows_) {
        if (TQelField* f = info->Field())
            f->DisconnectControl(&link_);
        info->field = nullptr;
        info->fieldLife.reset();
    }
    if (TQelRefField* ref = link_.RefField())
        ref->DisconnectControl(&link_);
}

void TQelDetailGrid::clear_rows()
{
    disconnect_fields();
    rows_.clear();
    plainTarget_ = nullptr;
    enteredRow_ = -1;
    BeginUpdate();
    UnHideRowsAll();
    SplitAllCells();
    Clear();
    SetRowCount(1);
    EndUpdate();
}

void TQelDetailGrid::warn_once(const std::string& what)
{
    if (!warned_.insert(what).second)
        return;
    QelLogWarning("%s %s: %s", ClassName(), Name(), what);
}

void TQelDetailGrid::connect_fields()
{
    TQelFieldList* base = BaseFieldList();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(fieldNames_.Count()));
    for (int i = 0; i < fieldNames_.Count(); ++i)
        lines.push_back(fieldNames_[i]);
    const std::vector<TQelDGLine> parsed = QelParseDGFieldNames(lines);

    BeginUpdate();
    int rowCount = 0;
    for (const TQelDGLine& l : parsed)
        rowCount += l.Kind == TQelDGLineKind::FieldPath ? 0 : 1;
    SetRowCount(std::max(1, rowCount));

    TQelFieldList* current = nullptr; // the base list
    bool missing = false;
    std::string group;
    for (const TQelDGLine& l : parsed) {
        if (l.Kind == TQelDGLineKind::FieldPath) {
            current = nullptr;
            missing = false;
            if (l.Custom) {
                if (!OnChooseFieldList)
                    warn_once(FormatStr(
                        "Zeile %d: FIELDPATH \"%s\" CUSTOM ohne OnChooseFieldList", l.Line + 1, l.Name));
                OnChooseFieldList(this, base, l.Name, current);
                missing = current == nullptr;
            } else if (!l.Name.empty()) {
                current = base->FindFieldList(l.Name, false);
                missing = current == nullptr;
                if (missing)
                    warn_once(FormatStr(
                        "Zeile %d: FIELDPATH \"%s\" bezeichnet keine Feldliste", l.Line + 1, l.Name));
            }
            if (current == base)
                current = nullptr;
            continue;
        }
        auto info = std::make_unique<TQelDGInfo>();
        info->Name = l.Name;
        info->Caption = l.Caption;
        info->Header = l.Kind == TQelDGLineKind::Header;
        info->ReadOnly = l.ReadOnly;
        info->Custom = l.Custom;
        info->Force = l.Force;
        info->Type = static_cast<TEditorType>(l.Type);
        info->Params = l.Params;
        info->Line = l.Line;
        info->Row = static_cast<int>(rows_.size());
        if (info->Header) {
            group = l.Name;
            SetCellsEx(colCaption, info->Row, QelCellEscaped(l.Caption.empty() ? l.Name : l.Caption));
            MergeCells(colCaption, info->Row, 2, 1);
        } else {
            info->Group = group;
            info->ListMissing = missing;
            info->list = current;
            if (current)
                info->listLife = current->LifeToken();
        }
        rows_.push_back(std::move(info));
        if (!rows_.back()->Header)
            reconnect_field(*rows_.back());
    }
    apply_visibility();
    EndUpdate();
    enteredRow_ = RealRowIndex(Row());
}

void TQelDetailGrid::reconnect_field(TQelDGInfo& info)
{
    if (TQelField* old = info.Field())
        old->DisconnectControl(&link_);
    info.field = nullptr;
    info.fieldLife.reset();
    TQelFieldList* base = BaseFieldList();
    if (info.Header || !base)
        return;
    const bool listGone = info.list && info.listLife.expired();
    TQelFieldList* list = info.FieldList() ? info.FieldList() : base;
    const std::string plain = QelDGPlainName(info.Name);
    TQelField* f = nullptr;
    if (!info.ListMissing && !listGone) {
        if (info.Custom)
            OnChooseField(this, list, info.Key(), f);
        else if (!plain.empty())
            f = list->FindField(base->MakeName(plain, ""), false);
    }
    const int row = info.Row;
    if (f) {
        info.field = f;
        info.fieldLife = f->LifeToken();
        f->ConnectControl(&link_);
        const std::string caption = info.Caption.empty() ? f->Name() : info.Caption;
        SetCellsEx(colCaption, row, QelCellEscaped(caption));
        SetCellsEx(colValue, row, QelCellLiteral(f->AsString()));
        OnConnectField(this, f, caption, info.Group);
        return;
    }
    SetCellsEx(colCaption, row, QelCellEscaped(info.Caption.empty() ? plain : info.Caption));
    std::string value;
    if (OnGetValue)
        OnGetValue(this, info.Key(), value);
    else
        warn_once(FormatStr("Zeile %d (\"%s\") nennt kein Feld", info.Line + 1, info.Name));
    SetCellsEx(colValue, row, value);
}

void TQelDetailGrid::apply_visibility()
{
    if (!OnGetVisible)
        return;
    for (auto& info : rows_) {
        if (info->Header)
            continue;
        bool visible = true;
        bool readOnly = info->ReadOnly;
        OnGetVisible(this, info->Key(), visible, readOnly);
        info->ReadOnly = readOnly;
        if (!visible && !info->Force)
            HideRow(info->Row);
    }
}

void TQelDetailGrid::ReconnectFields()
{
    if (EditorMode())
        HideInplaceEdit();
    plainTarget_ = nullptr;
    BeginUpdate();
    for (auto& info : rows_)
        if (!info->Header)
            reconnect_field(*info);
    EndUpdate();
}

void TQelDetailGrid::refresh_values()
{
    for (auto& info : rows_)
        if (TQelField* f = info->Field(); f && !(EditorMode() && info->Row == RealRowIndex(Row())))
            SetCellsEx(colValue, info->Row, QelCellLiteral(f->AsString()));
}

void TQelDetailGrid::fieldNamesChanged()
{
    if (!Connected() || busy_)
        return;
    TFlagScope busy(busy_);
    if (EditorMode())
        HideInplaceEdit();
    clear_rows();
    // The vector's element and the reference stay; only the rows are built again.
    if (TQelRefField* ref = link_.RefField())
        ref->ConnectControl(&link_);
    connect_fields();
}

// ---- rows by name -------------------------------------------------------------------------------

TQelDGInfo* TQelDetailGrid::info(int realRow)
{
    return realRow >= 0 && realRow < InfoCount() ? rows_[static_cast<std::size_t>(realRow)].get() : nullptr;
}

const TQelDGInfo* TQelDetailGrid::RowInfo(int realRow) const
{
    return realRow >= 0 && realRow < InfoCount() ? rows_[static_cast<std::size_t>(realRow)].get() : nullptr;
}

int TQelDetailGrid::IndexOf(const std::string& name) const
{
    for (int r = InfoCount() - 1; r >= 0; --r) {
        const TQelDGInfo& i = *rows_[static_cast<std::size_t>(r)];
        if (AnsiSameText(i.Name, name) || AnsiSameText(QelDGPlainName(i.Name), name)
            || AnsiSameText(i.Caption, name))
            return r;
    }
    return -1;
}

namespace {

bool namesRow(const TQelDGInfo& i, const std::string& name)
{
    return !i.Header && (AnsiSameText(i.Name, name) || AnsiSameText(QelDGPlainName(i.Name), name));
}

} // namespace

std::string TQelDetailGrid::get_Value(const std::string& name) const
{
    for (const auto& i : rows_)
        if (namesRow(*i, name))
            return i->Field() ? i->Field()->AsString() : GetCellsEx(colValue, i->Row);
    return {};
}

void TQelDetailGrid::set_Value(const std::string& name, const std::string& value)
{
    for (const auto& i : rows_) {
        if (!namesRow(*i, name))
            continue;
        if (TQelField* f = i->Field()) {
            // A field row shows its field: the value goes into the object.
            f->set_AsString(value);
            SetCellsEx(colValue, i->Row, QelCellLiteral(f->AsString()));
        } else {
            SetCellsEx(colValue, i->Row, value);
        }
        return;
    }
}

int TQelDetailGrid::FindFieldRow(const TQelField* field) const
{
    if (!field)
        return -1;
    for (const auto& i : rows_)
        if (i->Field() == field)
            return i->Row;
    return -1;
}

bool TQelDetailGrid::Remove(const std::string& name)
{
    const int r = IndexOf(name);
    if (r < 0)
        return false;
    const int line = rows_[static_cast<std::size_t>(r)]->Line;
    if (line >= 0 && line < fieldNames_.Count())
        fieldNames_.Delete(line);
    fieldNamesChanged();
    return true;
}

int TQelDetailGrid::AddSection(const std::string& name)
{
    const int at = fieldNames_.Add("* " + name);
    fieldNamesChanged();
    return at;
}

int TQelDetailGrid::AddFieldInfo(const std::string& line, const std::string& section, bool addSection)
{
    int at = -1;
    if (section.empty()) {
        at = fieldNames_.Add(line);
    } else {
        // The line goes to the end of its section, before the next header.
        const std::string wanted = Trim(section);
        int header = -1;
        for (int i = 0; i < fieldNames_.Count() && header < 0; ++i) {
            const TQelDGLine l = QelParseDGLine(fieldNames_[i]);
            if (l.Kind == TQelDGLineKind::Header
                && (AnsiSameText(l.Name, wanted) || AnsiSameText(l.Caption, wanted)))
                header = i;
        }
        if (header < 0) {
            if (!addSection)
                return -1;
            header = fieldNames_.Add("* " + wanted);
        }
        at = header + 1;
        while (at < fieldNames_.Count() && QelParseDGLine(fieldNames_[at]).Kind != TQelDGLineKind::Header)
            ++at;
        fieldNames_.Insert(at, line);
    }
    fieldNamesChanged();
    return at;
}

std::string TQelDetailGrid::RowHint(int realRow) const
{
    const TQelDGInfo* i = RowInfo(realRow);
    if (!i)
        return "Keine Info!";
    TQelField* f = i->Field();
    return FormatStr("dgi:\n  name ='%s'\n  caption = '%s'\n  group = '%s'\n  header = '%s'\n  read_only = "
                     "'%s'\n  type = %d\n  params = '%s'\n  Field = '%s'\n",
               i->Name, i->Caption, i->Group, i->Header ? "ja" : "nein", i->ReadOnly ? "ja" : "nein",
               static_cast<int>(i->Type), i->Params, f ? f->Path() : std::string("-"))
        + (IsHiddenRow(realRow) ? "HIDDEN" : "NOT HIDDEN");
}
