#pragma once
// TQelListCache: the rows a select grid showed, kept per class and search condition together with
// the database's change stamp of that moment. A grid that lists the same class and condition again
// restores the rows instead of querying, as long as the stamp has not moved. One cache serves the
// whole package (TQelListCache::Instance, created and freed with the select grid's unit).
#include "binding/objdb.h"

#include "toolkit/advstringgrid.h"

#include <memory>
#include <string>

class TQelSelectGrid;

struct TQelListCacheEntry {
    int Stamp = 0; // the database's change stamp when the rows were saved
    // The grid's cells as the grid keeps them: restoring copies them back without parsing.
    std::unique_ptr<TAdvStringGrid::TCellsSnapshot> Stream;
};

class TQelListCache : public TQelHashTable<TQelListCacheEntry*, std::string> {
public:
    static constexpr int DefaultSize = 97;

    explicit TQelListCache(int size = DefaultSize);
    ~TQelListCache() override;

    // "<class key>" or "<class key>:<search condition>"; "" for a grid without class.
    static std::string KeyOf(TQelSelectGrid* grid);
    // Stores the grid's rows under its key; false for a grid without class.
    bool Save(TQelSelectGrid* grid);
    // Restores the grid's rows when an entry exists and returns its stamp; 0 when there is none.
    int Load(TQelSelectGrid* grid);
    int HashOf(const std::string& key) const { return Hash(key); }

    // The package's cache (null outside Initialize/Finalize).
    static TQelListCache* Instance();
    static void UnitInitialize();
    static void UnitFinalize();

protected:
    int Hash(const std::string& key) const override;
    void FreeItem(TQelListCacheEntry*& value) override;
};
