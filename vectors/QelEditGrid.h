#pragma once
// TQelEditGrid: a generic inspector of one sub-object (the bound field list, a sub-object, or an
// element of a vector): every field as a name/value row, every vector as a collapsible tree of its
// elements with their own fields. The caption of a field row is coloured by the field's state
// (touched, null, invalid, syntax error) while the grid is editable.
#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qeldatacontrol.h"
#include "vectors/qelvectorkit.h"

#include "toolkit/advstringgrid.h"

#include <vector>

enum TQelEditGridOption { eoShowMetaFields };
using TQelEditGridOptions = TSet<TQelEditGridOption>;
inline constexpr const char* kQelEditGridOptionNames[] = { "eoShowMetaFields" };
static_assert(std::size(kQelEditGridOptionNames) == eoShowMetaFields + 1);

class TQelEditGrid : public TQelDataControl<TAdvStringGrid> {
public:
    // Columns: tree, name, value, and the hidden row kind ("F" field, "L" element, "V" vector).
    enum : int { colTree = 0, colName = 1, colValue = 2, colKind = 3 };

    explicit TQelEditGrid(TComponent* owner);
    ~TQelEditGrid() override;

    int get_VectorIndex() const { return vectorIndex_; }
    void set_VectorIndex(int ix);
    TQelEditGridOptions get_EditGridOptions() const { return options_; }
    void set_EditGridOptions(TQelEditGridOptions o);
    bool get_ReadOnly() const { return readOnly_; }
    void set_ReadOnly(bool v);
    int get_ExpandLevel() const { return expandLevel_; }
    void set_ExpandLevel(int level);

    // The field list the rows show (none while unconnected).
    TQelFieldList* ShownFieldList() const;
    void Reload();
    void ExpandDownToLevel(int level);
    // The interface of a real row, and its kind letter.
    TQelObjectInterface* RowOI(int realRow) const;
    char RowKind(int realRow) const;
    // The real row of an interface (-1: none).
    int FindRow(const TQelObjectInterface* oi) const;
    // The font colour of a field row's caption for the field's state.
    static TColor StateColor(const TQelField* field);
    std::string read(const TQelField* field) const;
    void write(const std::string& text, int realRow);

    TGetEditorTypeEvent OnGetEditorType;

protected:
    void WndProc(TMessage& m) override;
    void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) override;
    void GetCellReadOnly(int col, int row, bool& answer) override;
    void GetEditorType(int col, int row, TEditorType& editor) override;
    bool SelectCell(int col, int row) override;
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    void append(TQelFieldList* fl, int depth);
    int add_row(const std::string& name, const std::string& value, char kind, TQelObjectInterface* oi);
    void field_touched(TQelObjectInterface* oi);
    void write_plain_text();

    TQelEditGridOptions options_;
    int vectorIndex_ = 1;
    bool readOnly_ = false;
    int expandLevel_ = 0;
    struct TRowInfo {
        TQelObjectInterface* oi = nullptr;
        char kind = 'F';
    };
    std::vector<TRowInfo> rows_; // by real row (row 0 is the header)
    std::vector<std::pair<int, int>> nodes_; // (real row, depth)
    TQelLinkRegistry editorLinks_;
    TQelPlainEdit plain_;
    bool reloading_ = false;
};
