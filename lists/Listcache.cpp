// TQelListCache: the package-wide cache of listed rows.
#include "lists/Listcache.h"

#include "lists/QelSelectGrid.h"

#include <cstdlib>

namespace {

std::unique_ptr<TQelListCache> g_cache;

// The leading integer of a key part as the program reads it: 0 when it is not a number.
long long numberPart(const std::string& text)
{
    if (text.empty())
        return 0;
    char* end = nullptr;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    return end && *end == '\0' ? n : 0;
}

} // namespace

TQelListCache::TQelListCache(int size)
    : TQelHashTable(size, true)
{
}

TQelListCache::~TQelListCache()
{
    Clear();
}

TQelListCache* TQelListCache::Instance()
{
    return g_cache.get();
}

void TQelListCache::UnitInitialize()
{
    if (!g_cache)
        g_cache = std::make_unique<TQelListCache>(DefaultSize);
}

void TQelListCache::UnitFinalize()
{
    g_cache.reset();
}

std::string TQelListCache::KeyOf(TQelSelectGrid* grid)
{
    const TQelClassKey cls = grid ? grid->get_ClassType() : TQelClassKey();
    if (!cls.Valid())
        return {};
    std::string key = cls.ToString();
    if (!grid->get_SearchCondition().empty())
        key += ":" + grid->get_SearchCondition();
    return key;
}

// The number before the first ":" picks the start, each character of the rest adds its remainder
// by (2 x position + 7), with characters from 0x80 up counting negative.
int TQelListCache::Hash(const std::string& key) const
{
    const std::size_t colon = key.find(':');
    const std::string number = colon == std::string::npos ? key : key.substr(0, colon);
    const std::string rest = colon == std::string::npos ? std::string() : key.substr(colon + 1, 999999999);
    const long long size = Size();
    long long h = std::llabs(numberPart(number)) % size;
    for (std::size_t i = rest.size(); i > 0; --i) {
        const int c = static_cast<signed char>(rest[i - 1]);
        h += c % static_cast<int>(2 * i + 7);
    }
    return static_cast<int>(std::llabs(h) % size);
}

void TQelListCache::FreeItem(TQelListCacheEntry*& value)
{
    delete std::exchange(value, nullptr);
}

bool TQelListCache::Save(TQelSelectGrid* grid)
{
    const std::string key = KeyOf(grid);
    TQelDatabase* db = QelDatabase();
    // A list still being read is not complete: it must never stand for the whole list.
    if (key.empty() || !db || grid->Loading())
        return false;
    TQelListCacheEntry* entry = At(key, nullptr);
    if (!entry) {
        auto fresh = std::make_unique<TQelListCacheEntry>();
        if (!Add(key, fresh.get()))
            return false;
        entry = fresh.release();
    }
    entry->Stamp = db->ChangeStamp();
    grid->UnHideColumnsAll();
    entry->Stream = std::make_unique<TAdvStringGrid::TCellsSnapshot>(grid->SaveToSnapshot());
    return true;
}

int TQelListCache::Load(TQelSelectGrid* grid)
{
    const TQelListCacheEntry* entry = At(KeyOf(grid), nullptr);
    if (!entry || !entry->Stream)
        return 0;
    grid->LoadFromSnapshot(*entry->Stream);
    return entry->Stamp;
}
