#pragma once
// TQelListView: the documents assigned to the bound object under one category. Adding a
// document adds an assignment of it to the object; deleting removes the assignment. With
// AutoRefresh the list follows commits of documents assigned to the object.
#include "documents/qellvbase.h"

class TQelListView : public TQelLVBase {
public:
    explicit TQelListView(TComponent* owner);
    ~TQelListView() override;

    bool get_AutoRefresh() const { return autoRefresh_; }
    void set_AutoRefresh(bool v);
    const std::string& get_Category() const { return category_; }
    void set_Category(const std::string& v);
    int MaxCount = 0;
    std::string ExcludeType;
    int get_MaxCount() const { return MaxCount; }
    void set_MaxCount(int n) { MaxCount = n; }
    std::string get_ExcludeType() const { return ExcludeType; }
    void set_ExcludeType(const std::string& s) { ExcludeType = s; }
    TEvent<TObject*, int, bool&> OnTooMany;

    // The bound object (none while unconnected).
    TQelObject* BoundObject() const;
    TQelObjectInterface* get_oi() const override { return BoundObject(); }
    // Every assignment of the object's documents to the object (all categories).
    std::vector<TQelZuordnung> GetZuordnungen() const;
    // The assignment a row shows.
    TQelZuordnung get_zuordnung(TListItem* item) const;

protected:
    int connect_fl(const TQelFieldList* fl) override;
    bool load_items() override;
    TListItem* add_doc(TQelDokument* doc, std::string& error) override;
    void delete_item(TListItem* item) override;
    void edit_props(TListItem* item) override;

private:
    void subscribe();
    void unsubscribe();
    bool autoRefresh_ = true;
    std::string category_;
    int subscription_ = 0;
};
