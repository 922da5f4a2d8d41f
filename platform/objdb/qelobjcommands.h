#pragma once
// Commands over several stored objects: deleting and recovering, removing for good, merging
// (every reference to the merged objects moves onto the kept one), object flags. Each command runs
// in one transaction: either all of its objects change or none does, in the store and in memory;
// notifications go out only after the transaction is committed.
#include "objdb/qelkeys.h"

#include <string>
#include <vector>

class TQelDatabase;

class TQelObjectCommands {
public:
    explicit TQelObjectCommands(TQelDatabase* db)
        : db_(db)
    {
    }

    // Why the last command failed (German), and the object it failed on when one is known.
    const std::string& ErrorMessage() const { return error_; }
    TQelObjectKey FailedKey() const { return failed_; }

    // Marks the objects deleted (or, with `deleted` false, recovered). Objects already in that
    // state are left alone; an unknown or new object fails the command.
    bool MarkDeleted(const std::vector<TQelObjectKey>& keys, bool deleted = true);
    // Removes deleted objects (with their elements and flags) for good.
    bool RemoveForGood(const std::vector<TQelObjectKey>& keys);
    // Merges `others` into `target`: from the last to the first, every stored reference to one of
    // them is redirected onto the target and the object is marked deleted; the target keeps its
    // own data. Refused while an object that holds such a reference has unsaved changes here.
    bool Merge(TQelObjectKey target, const std::vector<TQelObjectKey>& others, int& deleted, int& references);

    // Flags: named per class by the schema (TQelKlasse::DefinedFlags), set per object.
    bool FlagsImplemented() const;
    std::vector<std::string> GetDefinedFlags(TQelClassKey cls) const;
    bool HasFlag(TQelObjectKey key, int index);
    // Sets (or clears) the flag on every object.
    bool CheckFlag(const std::vector<TQelObjectKey>& keys, int index, bool on);

private:
    bool writable();
    bool fail(const std::string& message, TQelObjectKey key = {});

    TQelDatabase* db_;
    std::string error_;
    TQelObjectKey failed_;
};
