#pragma once
// Name/value settings. The current computer, user and partition are objects of built-in classes
// whose vector "Einstellungen" holds one element per name; values are texts (long texts allowed)
// and integers are written as decimal text. Changes are stored when the owner is committed
// (ForceCommit), or at once through TQelDatabase::SetSetting.
#include "objdb/qelobject.h"

#include <string>

class TQelVector;

enum TQelSettingsLevel {
    slDatabase,
    slPartition,
    slUser,
    slClient,
    slProduct,
    slOS,
    slComputer,
};

class TQelNameWertVector {
public:
    explicit TQelNameWertVector(TQelVector* v)
        : v_(v)
    {
    }
    bool Has(const std::string& name) const;
    std::string ReadString(const std::string& name, const std::string& def = "") const;
    // Why `name` cannot name a setting ("" when it can): empty, or longer (in characters) than the
    // name field holds (64).
    std::string NameError(const std::string& name) const;
    // Returns whether the stored value changed; a name that NameError refuses writes nothing and
    // gives false, and the level stays writable.
    bool WriteString(const std::string& name, const std::string& value);
    std::string ReadLongString(const std::string& name, const std::string& def = "") const
    {
        return ReadString(name, def);
    }
    bool SetLongString(const std::string& name, const std::string& value) { return WriteString(name, value); }
    // A missing or non-numeric value gives `def`.
    int ReadInteger(const std::string& name, int def = 0) const;
    bool WriteInteger(const std::string& name, int value);
    bool Remove(const std::string& name);
    int Count() const;
    TQelVector* Vector() const { return v_; }

private:
    int find(const std::string& name) const; // 1-based element index, 0 when absent
    TQelVector* v_;
};

// An object that owns settings (computer, user, partition, and the other levels).
class TQelSettingsObject : public TQelObject {
public:
    using TQelObject::TQelObject;
    TQelNameWertVector& NameWert();
    TQelNameWertVector& Settings() { return NameWert(); }

private:
    std::unique_ptr<TQelNameWertVector> nw_;
};

class TQelComputer : public TQelSettingsObject {
public:
    using TQelSettingsObject::TQelSettingsObject;
};

class TQelUser : public TQelSettingsObject {
public:
    using TQelSettingsObject::TQelSettingsObject;
    bool IsAdmin() const;
};

class TQelPartition : public TQelSettingsObject {
public:
    using TQelSettingsObject::TQelSettingsObject;
};
