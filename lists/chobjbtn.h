#pragma once
// TChooseObjectBtn: a bitmap button that carries a class, a search condition and the key of the
// last chosen object. A click hands them to OnChoose, whose handler shows a chooser (a form with a
// select grid, say) and sets the key to the chosen object.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include "toolkit/buttons.h"

#include <string>

// (Sender, search condition, class key, object key by reference).
using TQelChooseObjectEvent = TEvent<TObject*, const std::string&, TQelClassKey, TQelObjectKey&>;

class TChooseObjectBtn : public TBitBtn {
public:
    explicit TChooseObjectBtn(TComponent* owner);

    // The class's name. Before the database is open (or at design time) the name is kept and
    // looked up later; a name the database does not know is kept as it is.
    std::string get_ClassName() const;
    void set_ClassName(const std::string& name);
    // The class key; reading resolves a kept name first.
    TQelClassKey get_ClassType();
    void set_ClassType(TQelClassKey key);
    std::string get_SearchCondition() const { return searchCondition_; }
    void set_SearchCondition(const std::string& condition);
    TQelObjectKey get_ObjectKey() const { return objectKey_; }
    void set_ObjectKey(TQelObjectKey key) { objectKey_ = key; }

    TQelChooseObjectEvent OnChoose;

    // Calls OnChoose; without it a click does nothing.
    void Click() override;

private:
    // The open database unless designing.
    TQelDatabase* live_database() const;
    void resolve_name();

    std::string className_;
    std::string searchCondition_;
    TQelClassKey classKey_;
    TQelObjectKey objectKey_;
};
