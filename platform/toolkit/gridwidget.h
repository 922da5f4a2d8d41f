// Inside the toolkit only: the Qt widget of a grid control and its in-place editor.
#pragma once

#include "toolkit/gridcontrol.h"
#include "toolkit/gridview.h"
#include "toolkit/qtbridge.h"

#include <QPointer>

class TEditLink;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace qel::grid {

// A tree row's node glyph (its side in pixels) and the indent of each level; painting and
// hit-testing must agree on both.
constexpr int kGlyphSize = 9;
constexpr int kLevelIndent = 12;

// How a cell looks once the grid's colours, the cell's style and the hooks have had their say.
struct CellLook {
    QColor background;
    QColor text;
    QColor link;
    QFont font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    int indent = 0; // room left of the text (node glyphs)
    int glyphX = -1; // x offset of a node glyph, -1 without one
    bool contracted = false;
};

// The grid's widget: a GridView whose input (its own, its viewport's and its headers') reaches
// the control as classic messages, with positions in the widget's (= the control's) coordinates.
class GridWidget final : public TBridgeWidget<GridView> {
    Q_OBJECT
public:
    explicit GridWidget(GridHost& host);
    TCustomGrid* grid() const { return static_cast<TCustomGrid*>(Control()); }
    // Top-left of the viewport in widget coordinates.
    QPoint viewportOffset() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
};

// An open cell editor: a built-in Qt editor or the editor control of an edit link.
class InplaceEditor : public QObject {
    Q_OBJECT
public:
    InplaceEditor(
        TCustomGrid& grid, int col, int row, TEditorType type, TEditLink* link, const std::string& text);
    ~InplaceEditor() override;

    int col() const { return col_; }
    int row() const { return row_; }
    TEditorType type() const { return type_; }
    TEditLink* link() const { return link_; }
    const std::string& original() const { return original_; }
    bool edited() const { return edited_; }
    QWidget* widget() const;
    bool hasFocus() const;
    std::string value() const;
    // Selects the text, puts the caret after it, or replaces it with what the user typed to open
    // the editor (a link's editor control receives that character as a key).
    void start(TEditorStart how, const std::string& typed);
    void place(const QRect& rect);
    void focus();
    // The link is being freed: the editor closes without calling it.
    void forgetLink();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createBuiltin(const std::string& text);
    void watch(QWidget* w);
    void changed(const std::string& text);
    // The line edit of a link's editor control (the control itself or inside it), if any.
    QLineEdit* linkLine() const;

    TCustomGrid& grid_;
    int col_;
    int row_;
    TEditorType type_;
    TEditLink* link_;
    std::string original_;
    bool edited_ = false;
    bool settingUp_ = true;
    // Opened by a click on the current cell and not typed into yet: the second click of a double
    // click puts the caret after the text instead of selecting a word.
    bool clickOpened_ = false;
    QPointer<QWidget> widget_;
    QLineEdit* line_ = nullptr;
    QComboBox* combo_ = nullptr;
    QCheckBox* check_ = nullptr;
};

} // namespace qel::grid
