#pragma once
// TQelDetailGrid: a two-column name/value grid over one field list, its rows chosen by the lines of
// FieldNames (vectors/qeldgfieldnames.h): section headers, field rows, rows the application fills
// (OnGetValue / OnValueChanged) and switches of the field list that following rows read from.
// It binds like a field panel: to the given field list itself, a sub-object, an element of a
// vector (VectorIndex, from 1) or the object behind a reference field. Field cells are edited
// in place through the editor-link registry and written straight into the object.
//
// The application hooks receive one key per row: the row name without its editor part, in upper
// case (OnChooseField, OnGetValue, OnValueChanged, OnGetVisible).
#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qelcontainerlink.h"
#include "vectors/qeldgfieldnames.h"

#include "toolkit/advstringgrid.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

// One row of the grid.
struct TQelDGInfo {
    std::string Name; // the field part of the line, editor part included
    std::string Caption;
    std::string Group; // the name of the section header above the row
    bool Header = false;
    bool ReadOnly = false;
    bool Custom = false;
    bool Force = false;
    TEditorType Type = edNormal;
    std::string Params;
    int Row = -1; // real row
    int Line = -1; // index of its line in FieldNames

    // The connected field (none when it went away or the row shows none).
    TQelField* Field() const { return fieldLife.expired() ? nullptr : field; }
    // The field list the row reads from; none for the base field list.
    TQelFieldList* FieldList() const { return listLife.expired() ? nullptr : list; }
    // A switch above the row named no field list: the row shows no field.
    bool ListMissing = false;
    // The key the application hooks receive.
    std::string Key() const;

    TQelField* field = nullptr;
    std::weak_ptr<bool> fieldLife;
    TQelFieldList* list = nullptr;
    std::weak_ptr<bool> listLife;
};

using TQelDGChooseFieldListEvent = TEvent<TObject*, TQelFieldList*, std::string, TQelFieldList*&>;
using TQelDGChooseFieldEvent = TEvent<TObject*, TQelFieldList*, std::string, TQelField*&>;
using TQelDGGetValueEvent = TEvent<TObject*, std::string, std::string&>;
using TQelDGValueChangedEvent = TEvent<TObject*, std::string, std::string>;
using TQelDGGetVisibleEvent = TEvent<TObject*, std::string, bool&, bool&>;
using TQelDGConnectFieldEvent = TEvent<TObject*, TQelField*, std::string, std::string>;

class TQelDetailGrid : public TAdvStringGrid {
public:
    enum : int { colCaption = 0, colValue = 1 };

    explicit TQelDetailGrid(TComponent* owner);
    ~TQelDetailGrid() override;

    // Resolves FieldPath in `fl` and builds the rows; 1 + the number of rows when a base field
    // list was found, else 0 (also with onlyIfUnconnected on a connected grid).
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    int Reconnect();
    bool Connected() const { return link_.Connected() != nullptr; }
    // The field list the rows read from (none while unconnected).
    TQelFieldList* BaseFieldList() const { return link_.Connected(); }

    std::string get_FieldPath() const { return fieldPath_; }
    void set_FieldPath(const std::string& path);
    const TStringList& get_FieldNames() const { return fieldNames_; }
    // Takes the lines and rebuilds the rows of a connected grid.
    void set_FieldNames(const TStrings& lines);
    int get_VectorIndex() const { return vectorIndex_; }
    void set_VectorIndex(int index);
    std::string get_VectorConstraints() const { return constraints_; }
    void set_VectorConstraints(const std::string& constraints);
    bool get_ReadOnly() const { return readOnly_; }
    void set_ReadOnly(bool v);
    bool get_GenerateFieldNames() const { return generate_; }
    void set_GenerateFieldNames(bool v) { generate_ = v; }
    bool get_DescAsFieldName() const { return descAsName_; }
    void set_DescAsFieldName(bool v) { descAsName_ = v; }
    TColor get_HeadColor() const { return headColor_; }
    void set_HeadColor(TColor c);
    TFont& HeadFont() { return headFont_; }

    // Column 1 of the row named `name` ("" when there is none), and setting it.
    std::string get_Value(const std::string& name) const;
    void set_Value(const std::string& name, const std::string& value);
    // The real row of the last record whose name or caption is `name` (any case); -1 when none.
    int IndexOf(const std::string& name) const;
    bool Has(const std::string& name) const { return IndexOf(name) >= 0; }
    // Removes the row and its line; false when there is none.
    bool Remove(const std::string& name);
    // Appends "* name" to FieldNames; the index of the line.
    int AddSection(const std::string& name);
    // Appends `line` to FieldNames below the header of `section` (appended first with
    // `addSection`); -1 when the section is missing and not to be added.
    int AddFieldInfo(const std::string& line, const std::string& section, bool addSection);
    // Connects every row again (fields, captions, values).
    void ReconnectFields();
    // The real row showing `field`; -1 when none.
    int FindFieldRow(const TQelField* field) const;
    const TQelDGInfo* RowInfo(int realRow) const;
    int InfoCount() const { return static_cast<int>(rows_.size()); }
    // The hint of a row in debug mode.
    std::string RowHint(int realRow) const;

    TQelDGChooseFieldListEvent OnChooseFieldList;
    TQelDGChooseFieldEvent OnChooseField;
    TQelDGGetValueEvent OnGetValue;
    TQelDGValueChangedEvent OnValueChanged;
    TQelDGGetVisibleEvent OnGetVisible;
    TQelDGConnectFieldEvent OnConnectField;

protected:
    void WndProc(TMessage& m) override;
    void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) override;
    void GetCellReadOnly(int col, int row, bool& answer) override;
    void GetEditorType(int col, int row, TEditorType& editor) override;
    void GetCellHint(int col, int row, std::string& hint) override;
    bool SelectCell(int col, int row) override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string& value) override;
    void DoExit() override;

private:
    void connect_fields();
    void generate_field_names();
    void reconnect_field(TQelDGInfo& info);
    void disconnect_fields();
    void clear_rows();
    void apply_visibility();
    void on_leave_cell(int realRow);
    void write_plain_text();
    void field_touched(TQelObjectInterface* oi);
    void refresh_values();
    void reconnectNow();
    // Whether the grid acts on an object-wide notice delivered to its registration on `receiver`.
    bool receivesObjectNotice(WPARAM receiver) const;
    void warn_once(const std::string& what);
    TQelDGInfo* info(int realRow);
    // Lines appended by the application: the rows follow when connected.
    void fieldNamesChanged();

    TQelContainerLink link_ { this };
    std::string fieldPath_;
    TStringList fieldNames_;
    int vectorIndex_ = 0;
    std::string constraints_;
    bool readOnly_ = false;
    bool generate_ = false;
    bool descAsName_ = false;
    TColor headColor_ = clBtnFace;
    TFont headFont_;
    std::vector<std::unique_ptr<TQelDGInfo>> rows_; // by real row
    TQelLinkRegistry editorLinks_;
    // A field edited by a built-in editor (a per-workstation override): written on leaving.
    TQelField* plainTarget_ = nullptr;
    // The current row when it was entered (leaving a row without field reports its value).
    int enteredRow_ = -1;
    bool busy_ = false;
    std::set<std::string> warned_;
};
