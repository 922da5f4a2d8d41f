// TQelRevVectorGrid: finding the referring objects, the columns, loading and cell texts.
#include "vectors/QelRevVectorGrid.h"

#include "binding/methods.h"
#include "binding/qellogging.h"
#include "vectors/qelcellmarkup.h"

#include <unordered_map>

namespace {

constexpr const char* kNotSet = "nicht gesetzt";

// Whether an application's element condition is one condition: quotes closed, parentheses
// balanced, and no statement end or comment outside quotes. Anything else could leave the
// parentheses it is put into.
bool soundCondition(const std::string& text)
{
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth < 0)
                return false;
        } else if (c == ';' || c == '\0') {
            return false;
        } else if ((c == '-' || c == '/') && i + 1 < text.size() && (text[i + 1] == (c == '-' ? '-' : '*'))) {
            return false;
        }
    }
    return depth == 0 && quote == 0;
}

bool plainName(const std::string& path)
{
    return path.find_first_of(".[<@") == std::string::npos;
}

} // namespace

// ---- what FieldName names -----------------------------------------------------------------------

TQelRVGBase TQelRevVectorGrid::get_base_fd() const
{
    TQelRVGBase base;
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* cls = db ? db->FindClass(className_) : nullptr;
    if (!cls)
        return base;
    if (fieldName_.empty()) {
        if (current_)
            base.Field = cls->FindReferenceDefinition(current_->ClassKey());
        return base;
    }
    const std::size_t dot = fieldName_.find('.');
    if (dot == std::string::npos) {
        base.Field = cls->FindFelddefinition(Trim(fieldName_));
        return base;
    }
    std::string vectorPart = Trim(fieldName_.substr(0, dot));
    const std::string fieldPart = Trim(fieldName_.substr(dot + 1));
    // The condition may hold dots itself: the vector part ends at the "]" before the field.
    if (const std::size_t open = fieldName_.find('['); open != std::string::npos && open < dot) {
        const std::size_t close = fieldName_.rfind(']');
        const std::size_t fieldDot
            = close == std::string::npos ? std::string::npos : fieldName_.find('.', close);
        if (close == std::string::npos || fieldDot == std::string::npos)
            return base;
        base.Condition = Trim(fieldName_.substr(open + 1, close - open - 1));
        vectorPart = Trim(fieldName_.substr(0, open));
        base.Vector = cls->FindVektordefinition(vectorPart);
        if (base.Vector && base.Vector->get_Vektorklasse())
            base.Field
                = base.Vector->get_Vektorklasse()->FindFelddefinition(Trim(fieldName_.substr(fieldDot + 1)));
        return base;
    }
    base.Vector = cls->FindVektordefinition(vectorPart);
    if (base.Vector && base.Vector->get_Vektorklasse())
        base.Field = base.Vector->get_Vektorklasse()->FindFelddefinition(fieldPart);
    return base;
}

std::string TQelRevVectorGrid::build_condition(const TQelRVGBase& base, const TQelKlasse* cls) const
{
    TQelDatabase* db = QelDatabase();
    if (!base.Valid() || !current_ || !db)
        return {};
    const TQelSQLDialect dialect = *db->CreateSQLDialect();
    const std::string key = dialect.ValueString(static_cast<std::int64_t>(current_->Key().Id()));
    if (!base.Vector)
        return cls->TableName() + "." + base.Field->ColumnName() + " = " + key;
    const TQelKlasse* ec = base.Vector->get_Vektorklasse();
    std::string extra = base.Condition.empty() ? std::string("1=1") : base.Condition;
    // The elements of this vector only (another vector may hold elements of the same class).
    return "EXISTS (SELECT * FROM " + ec->TableName() + " WHERE K = " + cls->TableName()
        + ".K AND V = " + dialect.ValueString(base.Vector->Name()) + " AND (" + extra + ") AND "
        + base.Field->ColumnName() + " = " + key + ")";
}

bool TQelRevVectorGrid::refers(TQelObject* obj, const TQelRVGBase& base) const
{
    const auto holds = [this, &base](TQelFieldList* fl) {
        auto* ref = fl ? dynamic_cast<TQelRefField*>(fl->FieldByName(base.Field->Name())) : nullptr;
        return ref && ref->AsKey() == current_->Key();
    };
    if (!base.Vector)
        return holds(obj->FieldList());
    TQelVector* v = obj->FieldList()->VectorByName(base.Vector->Name());
    for (int i = 1; v && i <= v->Count(); ++i)
        if (holds(v->FieldList(i)))
            return true;
    return false;
}

// ---- columns ------------------------------------------------------------------------------------

void TQelRevVectorGrid::parse_columns(const TQelKlasse* cls)
{
    TQelRVGColDefs spec = QelParseRVGColDefs(fieldNames_.ToVector());
    std::vector<std::string> names;
    // From the class up through its parents, stopping after ShowDownTo.
    for (const TQelKlasse* k = cls; k; k = k->get_Parent()) {
        for (const auto& def : k->ownFields)
            names.push_back(def->Name());
        if (k->id == showDownTo_)
            break;
    }
    QelRVGExpandEllipsis(spec, names);
    for (const auto& [line, text] : spec.Issues)
        report("FieldNames Zeile " + std::to_string(line) + ": " + text);
    for (const TQelRVGColumn& c : spec.Columns)
        if (cls && c.Info && !Trim(c.Entry).empty() && c.Entry.find('<') == std::string::npos) {
            TQelFieldList probe(QelDatabase(), nullptr, cls);
            if (!probe.PathResolvable(c.Entry, TQelObjectInterface::oiField))
                report("FieldNames Zeile " + std::to_string(c.Line) + ": \"" + c.Entry + "\" ist kein Feld");
        }
    columns_ = std::move(spec.Columns);
}

// ---- loading ------------------------------------------------------------------------------------

void TQelRevVectorGrid::load()
{
    TFlagScope guard(loading_);
    int cp = 0;
    try {
        TQelDatabase* db = QelDatabase();
        // Typed text goes into its field before the rows are rebuilt.
        if (EditorMode())
            HideInplaceEdit();
        write_plain_text();
        unwatch_rows();
        rows_.clear();
        keyRow_.clear();
        BeginUpdate();
        struct End {
            TQelRevVectorGrid* g;
            ~End() { g->EndUpdate(); }
        } end { this };
        Clear();
        cp = 1;
        SplitAllCells();
        cp = 2;
        if (db && subscription_)
            db->CancelSubscription(subscription_);
        subscription_ = 0;
        cp = 3;
        const TQelKlasse* cls = db ? db->FindClass(className_) : nullptr;
        condition_.clear();
        cp = 10;
        parse_columns(cls);
        if (cls) {
            cp = 4;
            subscription_ = db->SubscribeInstanceNotification(
                cls->Key(),
                [this](int event, TQelClassKey, TQelObjectKey key, TQelObject* obj) {
                    instance_event(event, key, obj);
                },
                ieGone | ieCreated | ieStored | ieDeleted | ieRecovered);
            cp = 5;
            const TQelRVGBase base = get_base_fd();
            if (!base.Valid())
                report("FieldName \"" + fieldName_ + "\" nennt kein Referenzfeld von " + className_);
            else if (!base.Condition.empty() && !soundCondition(base.Condition))
                report("FieldName \"" + fieldName_ + "\": die Bedingung ist keine einzelne Bedingung");
            else {
                cp = 6;
                condition_ = build_condition(base, cls);
                fill_from_statement(cls, base, cp);
                cp = 9;
                add_nascent(cls, base);
            }
        }
        cp = 11;
        const int n = ObjectCount();
        SetRowCount(n == 0 ? 2 : n + 1 + (editable() && addLink_ ? 1 : 0));
        SetColCount(std::max(ColumnCount(), 1));
        cp = 12;
        write_add_row();
        for (int c = 0; c < ColumnCount(); ++c) {
            cp = 1000 + c;
            const TQelRVGColumn& col = columns_[static_cast<std::size_t>(c)];
            if (!col.Info) {
                SetCells(c, 0, "???");
                continue;
            }
            cp = 2000 + c;
            std::string settings = col.Info->Length;
            if (settings.empty()) {
                const TQelFelddefinition* def = cls ? cls->FindFelddefinition(col.Entry) : nullptr;
                settings = def ? TQelCommonMethods::GuessColSettings(def, true, 100) : std::string("100");
            }
            set_ColSettings(c, settings);
            SetCells(c, 0, col.Info->Caption);
        }
        cp = 13;
        write_rows(cp);
        cp = 16;
        if (SortSettings().Show)
            QSort();
    } catch (const std::exception& e) {
        QelLogError("Exception in TQelRevVectorGrid::Reload(), nach CP %d: %s", cp, e.what());
        throw;
    }
}

void TQelRevVectorGrid::fill_from_statement(const TQelKlasse* cls, const TQelRVGBase&, int& cp)
{
    TQelDatabase* db = QelDatabase();
    auto engine = db->CreateSQLEngine();
    // The plain fields of the class come with the statement; a row needs its object only for
    // the other columns.
    std::string fields;
    std::vector<int> fieldCol(columns_.size(), -1);
    int next = 1;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const TQelRVGColumn& col = columns_[c];
        if (!col.Info || !plainName(col.Entry))
            continue;
        const TQelFelddefinition* def = cls->FindFelddefinition(col.Entry);
        if (!def)
            continue;
        fields += (fields.empty() ? "" : ",") + cls->TableName() + "." + def->ColumnName();
        fieldCol[c] = next++;
    }
    cp = 7;
    auto query = engine->ListEx(cls->Key(), lfNotDeleted, condition_, fields);
    if (!query->TryOpen()) {
        QelLogError("Exception in TQelRevVectorGrid::Reload(): %s (%s)", query->ErrorMessage(), query->SQL());
        return;
    }
    cp = 8;
    stored_.clear();
    stored_.reserve(1024);
    for (; !query->Eof(); query->Next()) {
        const TQelObjectKey key(static_cast<int>(query->AsInteger(0)));
        if (TQelObject* obj = cached(key); obj && obj->Deleted())
            continue;
        keyRow_.emplace(key.Id(), ObjectCount());
        rows_.push_back({ key });
        // Row texts are written once the row count stands; keep the stored values until then.
        for (std::size_t c = 0; c < columns_.size(); ++c)
            if (fieldCol[c] > 0)
                stored_.emplace_back(query->AsValue(fieldCol[c]));
    }
    storedCols_ = fieldCol;
}

void TQelRevVectorGrid::add_nascent(const TQelKlasse* cls, const TQelRVGBase& base)
{
    TQelDatabase* db = QelDatabase();
    // Oldest first: a new object stays below the ones added before it, and the one just added is
    // the last row.
    for (TQelObject* obj : db->NewObjects()) {
        if (obj == current_ || obj->Deleted() || !obj->Klasse()->IsA(cls->id)
            || keyRow_.count(obj->Key().Id()))
            continue;
        if (!refers(obj, base))
            continue;
        keyRow_.emplace(obj->Key().Id(), ObjectCount());
        rows_.push_back({ obj->Key() });
    }
}

// ---- cells --------------------------------------------------------------------------------------

namespace {

std::string valueText(const TQelValue& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&v))
        return std::to_string(*d);
    return {};
}

std::int64_t valueKey(const TQelValue& v)
{
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return *i;
    if (const auto* s = std::get_if<std::string>(&v))
        return std::atoll(s->c_str());
    return 0;
}

} // namespace

std::string TQelRevVectorGrid::stored_text(const TQelFelddefinition* def, const TQelValue& v,
    const TQelRVGInfo& info, std::unordered_map<std::string, std::string>& memo, TQelField* scratch)
{
    const TQelFeldtyp* type = def->type;
    if (type->IsA(qelft::Reference)) {
        const TQelObjectKey key(static_cast<int>(valueKey(v)));
        std::string& text = memo[std::to_string(key.Id())];
        if (!text.empty())
            return text;
        if (key.Id() == 0) {
            if (!editable())
                text = "<FONT color=clGray>" + std::string(kNotSet) + "</FONT>";
            else if (info.Combo)
                text = "\xC2\xA0<keine Auswahl>";
            else
                text = QelCellLink(kNotSet);
        } else if (!key.Exists()) {
            text = "<E>ungültiger Schlüssel</E>";
        } else if (!key.IsA(def->ReferencedClass())) {
            text = "<E>Falscher Objekttyp</E>";
        } else {
            TQelObject* target = key.Object();
            const std::string name = target ? target->Name() : std::string();
            text = editable() && !info.NoRef && !info.Combo ? QelCellLink(QelCellEscaped(name))
                                                            : QelCellLiteral(name);
        }
        return text;
    }
    if (type->IsA(qelft::LongText))
        return QelCellLink(QelCellEscaped(type->name));
    if (type->Urtyp() == qelft::Text)
        return QelCellLiteral(valueText(v));
    if (!scratch)
        return QelCellLiteral(valueText(v));
    const std::string raw = valueText(v);
    const auto it = memo.find(raw);
    if (it != memo.end())
        return it->second;
    scratch->LoadStored(v);
    return memo.emplace(raw, QelCellLiteral(scratch->AsString())).first->second;
}

void TQelRevVectorGrid::write_rows(int& cp)
{
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* cls = db ? db->FindClass(className_) : nullptr;
    const int storedRows = storedCols_.empty() ? 0 : static_cast<int>(stored_.size());
    int perRow = 0;
    for (int c : storedCols_)
        perRow += c > 0 ? 1 : 0;
    const int statementRows = perRow > 0 ? storedRows / perRow : 0;
    // What a stored value needs to be shown, decided once per column.
    std::unique_ptr<TQelFieldList> scratch;
    if (cls)
        scratch = std::make_unique<TQelFieldList>(db, nullptr, cls);
    struct TCol {
        const TQelFelddefinition* def = nullptr;
        TQelField* scratch = nullptr;
        int slot = -1;
        bool link = false;
        std::unordered_map<std::string, std::string> memo;
    };
    std::vector<TCol> cols(columns_.size());
    int slot = 0;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const TQelRVGColumn& col = columns_[c];
        TCol& k = cols[c];
        if (c < storedCols_.size() && storedCols_[c] > 0) {
            k.def = cls->FindFelddefinition(col.Entry);
            k.scratch = scratch ? scratch->FieldByName(col.Entry) : nullptr;
            k.slot = slot++;
        }
        if (k.def && col.Info && !col.Info->NoRef && !col.Info->Combo)
            k.link
                = col.Info->ObjRef || k.def->type->IsA(qelft::Reference) || k.def->type->IsA(qelft::LongText);
    }
    const TFont& font = Font();
    for (int r = 1; r <= ObjectCount(); ++r) {
        cp = 1000000 + 1000 * r;
        TColor colour = font.Color();
        TFontStyles style = font.Style();
        TQelObject* obj = cached(get_Key(r));
        if (OnGetRowFontParams) {
            if (!obj)
                obj = get_Object(r);
            OnGetRowFontParams(this, r, obj, colour, style);
        }
        SetRowFontColor(r, colour);
        cp = 2000000 + 1000 * r;
        const bool fromStatement = !obj && r <= statementRows;
        for (int c = 0; c < ColumnCount(); ++c) {
            cp = 3000000 + 1000 * r + c;
            const TQelRVGColumn& col = columns_[static_cast<std::size_t>(c)];
            TCol& k = cols[static_cast<std::size_t>(c)];
            if (!col.Info)
                continue;
            bool link = k.link;
            if (fromStatement && k.slot >= 0) {
                const TQelValue& v = stored_[static_cast<std::size_t>((r - 1) * perRow + k.slot)];
                AssignCellsEx(c, r, stored_text(k.def, v, *col.Info, k.memo, k.scratch));
            } else {
                if (!obj)
                    obj = get_Object(r);
                TQelField* f = obj ? obj->FieldList()->FindField(entry_path(col), false) : nullptr;
                SetCells(c, r, CellText(c, r, f));
                link = !col.Info->NoRef && !col.Info->Combo
                    && (col.Info->ObjRef || (f && (f->IsA(qelft::Reference) || f->IsA(qelft::LongText))));
            }
            cp = 4000000 + 1000 * r + c;
            if (link) {
                SetFontColors(c, r, TColor(0xFF0000));
                TFontStyles st = FontStyles(c, r);
                st << fsUnderline;
                SetFontStyles(c, r, st);
            }
        }
    }
    stored_.clear();
    storedCols_.clear();
    cp = 15;
    // The row objects in memory are heard; the others are loaded (and heard) when needed.
    for (int r = 1; r <= ObjectCount(); ++r)
        if (TQelObject* obj = cached(get_Key(r)))
            link_.Watch(obj);
}

void TQelRevVectorGrid::write_add_row()
{
    if (!Connected() || !editable() || !addLink_)
        return;
    const int row = ObjectCount() + 1;
    if (row >= RowCount())
        return;
    TQelDatabase* db = QelDatabase();
    const TQelKlasse* cls = db ? db->FindClass(className_) : nullptr;
    const std::string phrase = cls ? MakeNP(cls->Key(), "Weiter", 4, true, 'm') : std::string("Objekt");
    SetCells(0, row, QelCellLink(QelCellEscaped(phrase) + " hinzufügen"));
    if (ColCount() > 1)
        MergeCells(0, row, ColCount(), 1);
}

std::string TQelRevVectorGrid::CellText(int col, int row, TQelField* field)
{
    const TQelRVGColumn* c = ColumnAt(col);
    if (!c || !c->Info)
        return Cells(col, row);
    const TQelRVGInfo& info = *c->Info;
    if (!field) {
        TQelObject* obj = get_Object(row);
        if (!obj)
            return {};
        const std::string format = "<" + info.Name + ">";
        const std::string name = obj->MakeName(format, "");
        return name == format ? std::string() : QelCellLiteral(name);
    }
    if (field->IsA(qelft::Reference)) {
        auto* ref = dynamic_cast<TQelRefField*>(field);
        const TQelObjectKey key = ref ? ref->AsKey() : TQelObjectKey();
        if (key.Id() == 0) {
            if (!editable())
                return "<FONT color=clGray>" + std::string(kNotSet) + "</FONT>";
            return info.Combo ? std::string("\xC2\xA0<keine Auswahl>") : QelCellLink(kNotSet);
        }
        if (!key.Exists())
            return "<E>ungültiger Schlüssel</E>";
        if (!key.IsA(ref->ClassType()))
            return "<E>Falscher Objekttyp</E>";
        TQelObject* target = ref->get_AsObject();
        const std::string name = target ? target->Name() : std::string();
        return editable() && !info.NoRef && !info.Combo ? QelCellLink(QelCellEscaped(name))
                                                        : QelCellLiteral(name);
    }
    if (field->IsA(qelft::LongText)) {
        TQelDatabase* db = field->Database();
        const TQelFeldtyp* ft = db ? db->Feldtyp(field->FieldType()) : nullptr;
        return QelCellLink(ft ? QelCellEscaped(ft->name) : std::string("(ungültiger Feldtyp)"));
    }
    return QelCellLiteral(field->AsString());
}

void TQelRevVectorGrid::read(int col, int row)
{
    if (col < 0)
        col = Col();
    if (row < 0)
        row = Row();
    const TQelRVGColumn* c = ColumnAt(col);
    if (!c || !c->Info || row < 1 || row > ObjectCount())
        return;
    SetCells(col, row, CellText(col, row, get_Field(col, row)));
}
