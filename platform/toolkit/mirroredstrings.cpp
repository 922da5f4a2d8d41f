#include "toolkit/mirroredstrings.h"
#include "toolkit/flagscope.h"

#include "toolkit/qtbridge.h"

int TMirroredStrings::AddObject(const std::string& s, TObject* object)
{
    const int before = Count();
    int index;
    {
        TFlagScope mirroring(mirroring_);
        index = TStringList::AddObject(s, object);
    }
    if (Count() != before)
        Mirror([&] { mirror_.insert(index, s); });
    return index;
}

void TMirroredStrings::InsertObject(int index, const std::string& s, TObject* object)
{
    {
        TFlagScope mirroring(mirroring_);
        TStringList::InsertObject(index, s, object);
    }
    Mirror([&] { mirror_.insert(index, s); });
}

void TMirroredStrings::Put(int index, const std::string& s)
{
    {
        TFlagScope mirroring(mirroring_);
        TStringList::Put(index, s);
    }
    Mirror([&] { mirror_.put(index, s); });
}

void TMirroredStrings::Delete(int index)
{
    {
        TFlagScope mirroring(mirroring_);
        TStringList::Delete(index);
    }
    Mirror([&] { mirror_.remove(index); });
}

void TMirroredStrings::Clear()
{
    {
        TFlagScope mirroring(mirroring_);
        TStringList::Clear();
    }
    Mirror([&] { mirror_.clear(); });
}

void TMirroredStrings::Changed()
{
    // Changes the operations above do not mirror (sorting, exchanging) rebuild the list.
    if (!mirroring_)
        Rebuild();
    TStringList::Changed();
}

void TMirroredStrings::SetUpdateState(bool updating)
{
    if (!updating && dirty_) {
        dirty_ = false;
        Rebuild();
    }
    TStringList::SetUpdateState(updating);
}

void TMirroredStrings::Rebuild()
{
    Mirror([this] { mirror_.rebuild(*this); });
}

void TMirroredStrings::Mirror(const std::function<void()>& change)
{
    if (UpdateCount() > 0) {
        dirty_ = true;
        return;
    }
    mirror_.apply(change);
}

QStringList ItemTexts(const TStrings& items)
{
    QStringList texts;
    texts.reserve(items.Count());
    for (int i = 0; i < items.Count(); ++i)
        texts << ToQString(items.Get(i));
    return texts;
}
