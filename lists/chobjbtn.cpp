#include "lists/chobjbtn.h"

TChooseObjectBtn::TChooseObjectBtn(TComponent* owner)
    : TBitBtn(owner)
{
    Publish<&TChooseObjectBtn::get_ClassName, &TChooseObjectBtn::set_ClassName>("ClassName");
    Publish<&TChooseObjectBtn::get_SearchCondition, &TChooseObjectBtn::set_SearchCondition>(
        "SearchCondition");
}

TQelDatabase* TChooseObjectBtn::live_database() const
{
    if (ComponentState().Contains(csDesigning))
        return nullptr;
    TQelDatabase* db = QelDatabase();
    return db && db->Initialized() ? db : nullptr;
}

std::string TChooseObjectBtn::get_ClassName() const
{
    if (!className_.empty())
        return className_;
    TQelDatabase* db = live_database();
    if (!db)
        return className_;
    const TQelKlasse* k = !classKey_.Valid() ? nullptr : db->Klasse(classKey_);
    return k ? k->Name() : std::string();
}

void TChooseObjectBtn::set_ClassName(const std::string& name)
{
    className_ = name;
    if (live_database())
        resolve_name();
}

void TChooseObjectBtn::resolve_name()
{
    TQelDatabase* db = live_database();
    if (!db || className_.empty())
        return;
    if (const TQelKlasse* k = db->FindClass(className_)) {
        classKey_ = k->Key();
        className_.clear();
    } else {
        classKey_ = TQelClassKey();
    }
}

TQelClassKey TChooseObjectBtn::get_ClassType()
{
    resolve_name();
    return classKey_;
}

void TChooseObjectBtn::set_ClassType(TQelClassKey key)
{
    if (key == classKey_)
        return;
    className_.clear();
    classKey_ = key;
}

void TChooseObjectBtn::set_SearchCondition(const std::string& condition)
{
    if (condition != searchCondition_)
        searchCondition_ = condition;
}

void TChooseObjectBtn::Click()
{
    if (OnChoose)
        OnChoose(this, searchCondition_, get_ClassType(), objectKey_);
}
