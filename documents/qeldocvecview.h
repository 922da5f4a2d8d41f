#pragma once
// TQelDocVecView: the documents of a vector field. Each element of the vector refers to a
// document through a reference field (FieldName, or the element class's first reference to a
// document class); one row per element that holds a document. A new document becomes a new
// element and is assigned to the object; an optional field panel shows the current element.
#include "documents/qellvbase.h"
#include "vectors/qelelementpanel.h"

#include <map>

class TQelPanel;

enum TQelDocVecViewOption { dvoShowIndexes, dvoDummy };
using TQelDocVecViewOptions = TSet<TQelDocVecViewOption>;
inline constexpr const char* kQelDocVecViewOptionNames[] = { "dvoShowIndexes", "dvoDummy" };
static_assert(std::size(kQelDocVecViewOptionNames) == dvoDummy + 1);

class TQelDocVecView : public TQelLVBase {
public:
    explicit TQelDocVecView(TComponent* owner);
    ~TQelDocVecView() override;

    const std::string& get_FieldName() const { return fieldName_; }
    // Setting it connects again to the held field list.
    void set_FieldName(const std::string& name);
    TQelPanel* get_Panel() const { return panel_.Panel(); }
    // A field panel that shows the current element; a freed panel is forgotten.
    void set_Panel(TQelPanel* panel);
    TQelDocVecViewOptions get_DocVecViewOptions() const { return options_; }
    void set_DocVecViewOptions(TQelDocVecViewOptions options);

    TNotifyEvent BeforeSubConnect;
    TNotifyEvent AfterSubConnect;
    // A new element was given `doc` (Sender, document, element).
    TEvent<TObject*, TQelDokument*, TQelSubObject*> OnInitSubObject;

    // The bound vector (none while unconnected) and the element's document reference definition.
    TQelVector* Vector() const { return connected_ ? link_.Vector() : nullptr; }
    const TQelFelddefinition* RefDefinition() const { return refDef_; }
    TQelObjectInterface* get_oi() const override { return Vector(); }
    // The element a row shows (none for a row whose element went).
    TQelSubObject* get_element(TListItem* item) const;
    TListItem* find_element(const TQelSubObject* element) const;
    // The current element's index (1-based; 0 without one); setting selects its row.
    int get_VectorIndex() const;
    void set_VectorIndex(int index);
    // Moves the current element by `delta` while it stays inside the vector.
    void move_by(int delta);

protected:
    int connect_fl(const TQelFieldList* fl) override;
    bool load_items() override;
    TListItem* add_doc(TQelDokument* doc, std::string& error) override;
    void delete_item(TListItem* item) override;
    void refresh_item(TListItem* item) override;
    void add_menu_items(TPopupMenu* menu) override;
    void update_menu_items(TPopupMenu* menu) override;
    void Edit(TListItem* item, std::string& text) override;
    void Change() override;
    void WndProc(TMessage& m) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The document of an element (none when its reference is empty or names no document).
    TQelDokument* get_docobj(TQelSubObject* element) const;
    TQelRefField* ref_field(TQelSubObject* element) const;
    const TQelFelddefinition* find_ref_definition(const TQelKlasse* elementClass) const;
    TQelObject* owner() const;
    // Connects the panel to the current element (disconnects it without one).
    int sub_connect();
    void forget_vector();

    std::string fieldName_;
    TQelElementPanel panel_ { this };
    TQelDocVecViewOptions options_;
    const TQelFelddefinition* refDef_ = nullptr;
    // The element of each row (compared with the vector's elements before it is used).
    std::map<const TListItem*, const TQelSubObject*> rowElements_;
    // Set while the view changes the vector itself: its notices need no reload.
    bool changing_ = false;
};
