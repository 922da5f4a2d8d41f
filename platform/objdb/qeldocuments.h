#pragma once
// Documents: objects of class 11011 (or derived) that carry a file's contents (the field
// "Inhalt", a TQelFileField) with its name, time stamp, remark, file date and data format
// (the file's extension), and their assignments (TQelZuordnung) to other objects: elements of
// the vector "Zuordnungen", each naming an object, a kind and a category (a folder path "a/b").
#include "objdb/qelfilefield.h"
#include "objdb/qelobject.h"

#include <string>
#include <vector>

class TQelSubObject;

// One assignment of a document to an object: a handle on the element of the document's vector
// "Zuordnungen". Valid while the element exists.
class TQelZuordnung {
public:
    TQelZuordnung() = default;
    explicit TQelZuordnung(TQelSubObject* element)
        : element_(element)
    {
    }
    explicit operator bool() const { return element_ != nullptr; }
    bool operator==(const TQelZuordnung& o) const { return element_ == o.element_; }
    TQelSubObject* Element() const { return element_; }
    TQelFieldList* FieldList() const;
    class TQelDokument* Dokument() const;

    TQelObjectKey ObjectKey() const;
    std::string Art() const;
    void set_Art(const std::string& v);
    bool ArtNull() const;
    std::string Kategorie() const;
    // Trimmed to the field's maximum length; an empty text makes it null.
    void set_Kategorie(const std::string& v);
    int KategorieMaxLength() const;
    bool AutoDelete() const;
    void set_AutoDelete(bool v);
    bool Touched() const;
    // The kind an assignment takes when none was given.
    static std::string DefaultArt() { return "Dokument"; }

private:
    TQelSubObject* element_ = nullptr;
};

class TQelDokument : public TQelObject {
public:
    using TQelObject::TQelObject;

    TQelFileField* Blob() const;
    std::string DocName() const;
    // Cut to the field's length (characters), as the data format is.
    void set_DocName(const std::string& v);
    double Zeitstempel() const;
    void set_Zeitstempel(double v);
    std::string Bemerkung() const;
    void set_Bemerkung(const std::string& v);
    double Dateidatum() const;
    void set_Dateidatum(double v);
    // The data format: the file's extension in lower case without the dot ("pdf"; "" for none).
    std::string DataFormat() const;
    void set_DataFormat(const std::string& v);
    // ".pdf", or "" without a format.
    std::string FileExtension() const;
    // A readable name of the format ("PDF-Dokument", "Textdatei", "ZIP-Datei").
    std::string FriendlyDataFormat() const;
    // 0 nothing, 1 open the file with its program, 2 a reference only (no content of its own).
    int DefaultOpenAction() const;
    void set_DefaultOpenAction(int v);
    // Marked to go when its last assignment goes (any assignment carries the mark).
    bool AutoDelete() const;

    // Reads the file into the content and takes its format and file date; false (ErrorMessage)
    // leaves the document as it was.
    bool Import(const std::string& path);

    // Assignments: all of them, or those to `obj`.
    std::vector<TQelZuordnung> GetZuordnungen() const;
    TQelZuordnung FindZuordnung(TQelObjectKey obj) const;
    // A new assignment to `obj` (an existing one is returned as it is).
    TQelZuordnung AddZuordnung(TQelObjectKey obj);
    // Removes every assignment to `obj`; whether one was removed.
    bool RemoveZuordnung(TQelObjectKey obj);

    // The document is committed whenever `obj` is, in the same transaction, even when `obj` has
    // no change of its own (TQelDatabase::SetCommitOwner). Null ends it.
    void set_Trigger(TQelObject* obj);
    TQelObjectKey Trigger() const;

    // Documents assigned to `obj`: stored ones found by a statement (optionally without class
    // `exclude` and those derived from it; with a category only those that have an assignment with
    // it, case-insensitive), and those in memory whose assignments name it.
    static std::vector<TQelDokument*> ListDocuments(TQelDatabase* db, TQelObjectKey obj,
        TQelClassKey exclude = TQelClassKey(0), const std::string& category = "", bool withCategory = false);
    // Every category of the documents assigned to `obj` (as they are written, each once).
    static std::vector<std::string> AllePfade(TQelDatabase* db, TQelObjectKey obj);
    // The assignments of every document to `obj`.
    static std::vector<TQelZuordnung> GetZuordnungen(TQelDatabase* db, TQelObjectKey obj);
    // Categories compare without regard to case.
    static bool SameCategory(const std::string& a, const std::string& b);

private:
    TQelVector* zuordnungen() const;
};

// The document of an object when it is one.
inline TQelDokument* QelAsDokument(TQelObject* obj)
{
    return dynamic_cast<TQelDokument*>(obj);
}
