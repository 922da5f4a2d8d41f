#pragma once
// Keys: small value types over an integer id. Class keys and field-type keys share one id space
// (both come from the schema); object keys are the K column of the store. The queries IsA,
// DerivesFrom, Meta and Exists consult the current database (QelDatabase()); without one they are
// false.
#include <compare>
#include <cstddef>
#include <functional>
#include <string>

class TQelDatabase;
class TQelKlasse;
class TQelFeldtyp;
class TQelObject;

// The global current database; may be null. Tests set and clear it.
TQelDatabase* QelDatabase();
void SetQelDatabase(TQelDatabase* db);

class TQelKey {
public:
    constexpr TQelKey() = default;
    constexpr explicit TQelKey(int id)
        : id_(id)
    {
    }
    constexpr int Id() const { return id_; }
    constexpr bool Valid() const { return id_ != 0; }
    std::string ToString() const { return std::to_string(id_); }
    friend constexpr bool operator==(TQelKey a, TQelKey b) = default;
    friend constexpr auto operator<=>(TQelKey a, TQelKey b) = default;

protected:
    int id_ = 0;
};

class TQelClassKey : public TQelKey {
public:
    using TQelKey::TQelKey;
    // Is this class `other` or derived from it.
    bool IsA(TQelClassKey other) const;
    bool DerivesFrom(TQelClassKey other) const { return IsA(other); }
    bool Meta() const;
    bool Exists() const;
    std::string Name() const;
    const TQelKlasse* Klasse() const;
    friend constexpr bool operator==(TQelClassKey a, TQelClassKey b) = default;
};

class TQelFieldKey : public TQelKey {
public:
    using TQelKey::TQelKey;
    bool IsA(TQelFieldKey other) const;
    bool DerivesFrom(TQelFieldKey other) const { return IsA(other); }
    bool Meta() const { return false; }
    bool Exists() const;
    std::string Name() const;
    const TQelFeldtyp* Feldtyp() const;
    // The built-in root type this type derives from (itself for a root type); 0 when unknown.
    int Urtyp() const;
    friend constexpr bool operator==(TQelFieldKey a, TQelFieldKey b) = default;
};

class TQelObjectKey : public TQelKey {
public:
    using TQelKey::TQelKey;
    // The object is stored (and not removed for good) or is a new object in memory.
    bool Exists() const;
    bool get_Exists() const { return Exists(); }
    // The object's class is `cls` or derives from it.
    bool IsA(TQelClassKey cls) const;
    TQelClassKey ClassKey() const;
    TQelObject* Object() const;
    friend constexpr bool operator==(TQelObjectKey a, TQelObjectKey b) = default;
};

template <class K>
requires std::is_base_of_v<TQelKey, K>
struct std::hash<K> {
    std::size_t operator()(K k) const noexcept { return std::hash<int>()(k.Id()); }
};

// Ids of the built-in field types.
namespace qelft {
inline constexpr int Text = 3001;
inline constexpr int Integer = 3002;
inline constexpr int Amount = 3003;
inline constexpr int Boolean = 3004;
inline constexpr int DateTime = 3005;
inline constexpr int Amount2 = 3006; // amount, sample "000.000,00"
inline constexpr int Amount3 = 3007; // amount with three decimals, sample "00,000"
inline constexpr int Choice = 3008;
inline constexpr int MultiChoice = 3009;
inline constexpr int Reference = 3010;
inline constexpr int Date = 3011;
inline constexpr int TimeMinutes = 3012;
inline constexpr int TimeSeconds = 3013;
inline constexpr int DateTimeSeconds = 3014;
inline constexpr int LongText = 3015;
inline constexpr int MemoText = 3016;
inline constexpr int NoteText = 3017;
inline constexpr int Flags = 3018;
inline constexpr int File = 3019; // file contents kept in the store's file table
inline constexpr int FormattedText = 13422;
inline constexpr int ERVKey = 13423;
inline constexpr int StringOption = 13426;
} // namespace qelft

// Ids of built-in classes.
namespace qelcls {
inline constexpr int Objekt = 1005; // every object class derives from it
inline constexpr int Dokument = 11011; // documents: a file with name, remark and dates
inline constexpr int Zuordnung = 11012; // assignment of a document to an object
inline constexpr int Dokumentverweis = 11013; // vector element that refers to a document
inline constexpr int Gueltigkeit = 12001; // validity records: vector elements with Standard/Active
inline constexpr int NameWert = 12010; // one name/value setting
inline constexpr int Einstellungen = 1010; // settings owner (database, client, product, OS levels)
inline constexpr int Computer = 1011;
inline constexpr int Benutzer = 1012;
inline constexpr int Partition = 1013;
} // namespace qelcls
