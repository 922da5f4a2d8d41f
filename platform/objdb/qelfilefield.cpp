#include "objdb/qelfilefield.h"

#include "objdb/qelblobstream.h"
#include "objdb/qeldatabase.h"

namespace {

std::int64_t idOf(const TQelValue& v)
{
    const auto* n = std::get_if<std::int64_t>(&v);
    return n ? *n : 0;
}

} // namespace

TQelFileField::~TQelFileField()
{
    // An object freed without commit leaves no content row behind.
    try {
        dropUnstored();
    } catch (...) {
    }
}

std::int64_t TQelFileField::ContentId() const
{
    return idOf(value_);
}

std::int64_t TQelFileField::storedId() const
{
    return idOf(stored_);
}

void TQelFileField::dropUnstored()
{
    const std::int64_t id = ContentId();
    if (id > 0 && id != storedId() && db_ && db_->Initialized())
        TQelFileStore(db_).Remove(id);
}

void TQelFileField::takeRow(std::int64_t id)
{
    dropUnstored();
    SetValue(TQelValue { id });
}

bool TQelFileField::Import(const std::string& path)
{
    std::string error;
    const std::int64_t id = TQelFileStore(db_).ImportFile(path, error);
    if (!id) {
        errorMessage_ = error;
        return false;
    }
    errorMessage_.clear();
    takeRow(id);
    return true;
}

bool TQelFileField::Export(const std::string& path)
{
    std::string error;
    if (!HasContent()) {
        errorMessage_ = "Das Dokument hat keinen Inhalt.";
        return false;
    }
    if (!TQelFileStore(db_).ExportFile(ContentId(), path, error)) {
        errorMessage_ = error;
        return false;
    }
    errorMessage_.clear();
    return true;
}

std::string TQelFileField::BufferAsString() const
{
    std::string out, error;
    if (HasContent() && db_ && db_->Initialized())
        TQelFileStore(db_).ReadAll(ContentId(), out, error);
    return out;
}

bool TQelFileField::set_BufferAsString(const std::string& data)
{
    std::string error;
    const std::int64_t id = TQelFileStore(db_).StoreBytes(data, error);
    if (!id) {
        errorMessage_ = error;
        return false;
    }
    takeRow(id);
    return true;
}

bool TQelFileField::AssignContent(TQelFileField* other)
{
    if (!other || !other->HasContent()) {
        dropUnstored();
        SetValue(std::monostate {});
        return true;
    }
    std::string error;
    const std::int64_t id = TQelFileStore(db_).Copy(other->ContentId(), error);
    if (!id) {
        errorMessage_ = error;
        return false;
    }
    takeRow(id);
    return true;
}

void TQelFileField::TakeContent(TQelFileField* other)
{
    if (!other || other == this)
        return;
    const std::int64_t id = other->ContentId();
    if (id > 0 && id == other->storedId()) {
        AssignContent(other); // a stored row stays with its owner
        return;
    }
    other->SetValue(std::monostate {});
    if (id > 0)
        takeRow(id);
    else
        AssignContent(nullptr);
}

bool TQelFileField::Missing() const
{
    return HasContent() && db_ && db_->Initialized() && TQelFileStore(db_).Size(ContentId()) < 0;
}

std::int64_t TQelFileField::DataLength() const
{
    if (!HasContent() || !db_ || !db_->Initialized())
        return 0;
    const std::int64_t n = TQelFileStore(db_).Size(ContentId());
    return n < 0 ? 0 : n;
}

std::string TQelFileField::AsString() const
{
    return HasContent() ? std::to_string(DataLength()) + " Bytes" : std::string();
}

void TQelFileField::LoadStored(const TQelValue& v)
{
    dropUnstored();
    TQelField::LoadStored(v);
}

void TQelFileField::Revert()
{
    dropUnstored();
    TQelField::Revert();
}

bool TQelFileField::parse(const std::string& text, TQelValue& out) const
{
    if (text.empty()) {
        out = std::monostate {};
        return true;
    }
    std::size_t used = 0;
    try {
        const long long id = std::stoll(text, &used);
        if (used != text.size() || id <= 0)
            return false;
        out = static_cast<std::int64_t>(id);
        return true;
    } catch (...) {
        return false;
    }
}

std::string TQelFileField::format(const TQelValue& v) const
{
    const std::int64_t id = idOf(v);
    return id > 0 ? std::to_string(id) : std::string();
}

std::unique_ptr<TQelField> QelCreateFileField(TQelFieldList* owner, const TQelFelddefinition* def)
{
    return std::make_unique<TQelFileField>(owner, def);
}
