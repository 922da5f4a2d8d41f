#pragma once
// TQelFileField: a file's contents, kept in the store's file table (qelblobstream.h). The field's
// value is the ID of the row; the contents never pass through the field's value, so a large file
// is imported and exported in chunks. A new content is written to the store at once (its own
// transaction); the field then holds the new ID until the object is committed (the commit removes
// the old row in its own transaction, TQelStorage) or rolled back (the new row is removed).
#include "objdb/qelfield.h"

#include <cstdint>
#include <string>

class TQelFileField : public TQelField {
public:
    using TQelField::TQelField;
    ~TQelFileField() override;

    // Reads the file into a new content; false (ErrorMessage tells why) leaves the field as it was.
    bool Import(const std::string& path);
    // Writes the content to `path`; false (ErrorMessage tells why) leaves no file behind.
    bool Export(const std::string& path);
    // The whole content in memory (small documents); "" for none or when it cannot be read.
    std::string BufferAsString() const;
    std::string get_BufferAsString() const { return BufferAsString(); }
    bool set_BufferAsString(const std::string& data);
    // Takes over the content of another file field (a copy of its row).
    bool AssignContent(TQelFileField* other);
    // Takes the not yet stored content of `other` without copying it; `other` is left empty.
    void TakeContent(TQelFileField* other);

    // The ID of the content's row (0: none).
    std::int64_t ContentId() const;
    bool HasContent() const { return ContentId() > 0; }
    // The field names a content whose row is gone.
    bool Missing() const;
    // Bytes of the content (0 without one or when it is missing).
    std::int64_t DataLength() const;

    std::string AsString() const override;
    void LoadStored(const TQelValue& v) override;
    void Revert() override;

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;

private:
    // Takes a new row (removing an earlier new one that was never stored).
    void takeRow(std::int64_t id);
    void dropUnstored();
    std::int64_t storedId() const;
};

std::unique_ptr<TQelField> QelCreateFileField(TQelFieldList* owner, const TQelFelddefinition* def);
