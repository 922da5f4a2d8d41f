#pragma once
// Document templates ("Vorlagen"): objects of the built-in class Vorlage (1030), each made for one
// class. A template's text holds placeholders <Field> (paths allowed: <Adressen[0].Ort>,
// <Bank.IBAN>) that are replaced by the object's values; "<<" stands for a literal "<", and a
// "<...>" that names no field of the object stays as written (HTML tags). Kind "html" writes an
// HTML file and escapes the values for it; any other kind writes a text file with extension "txt".
#include "objdb/qelkeys.h"

#include <functional>
#include <string>
#include <vector>

class TQelDatabase;
class TQelObject;

class TQelRTFVorlage {
public:
    static constexpr int ClassId = 1030;
    // Opens a written file with its program (verb "open"); true when it started.
    using TOpener = std::function<bool(const std::string& file, const std::string& verb)>;

    TQelRTFVorlage(TQelDatabase* db, TQelObjectKey key)
        : db_(db)
        , key_(key)
    {
    }

    // Stores a new template; returns its key (0 with `error` set when it cannot be stored).
    static TQelObjectKey Create(TQelDatabase* db, const std::string& name, TQelClassKey cls,
        const std::string& kind, const std::string& text, std::string& error);
    // The templates that objects of `cls` may use or that its derived classes have: made for the
    // class, for a base of it or for a class derived from it; ordered by name.
    static std::vector<TQelRTFVorlage> FindeVorlagen(TQelDatabase* db, TQelClassKey cls);

    TQelObjectKey Key() const { return key_; }
    std::string Name() const;
    TQelClassKey ClassType() const;
    // "html" or "txt".
    std::string Kind() const;
    std::string Extension() const { return Kind() == "html" ? "html" : "txt"; }
    std::string Text() const;

    // The template's text filled in for `obj`.
    std::string Render(TQelObject* obj) const;
    // Writes the filled-in text to "<folder>/<object name>.<extension>" (the name made safe by
    // QelSafeFileName); an existing file or link is never replaced or followed (the name gets
    // " (2)", " (3)", ...). `written` receives the file's path.
    bool Export(TQelObject* obj, const std::string& folder, std::string* written = nullptr);
    // Writes the filled-in text to a file in a new private temporary folder (QelFreshTempFolder)
    // and hands it to `open` with `verb`; `further` is appended to the text when not empty.
    bool Execute(TQelObject* obj, const std::string& verb, const std::string& further, const TOpener& open);
    const std::string& ErrorMessage() const { return error_; }

private:
    TQelObject* object() const;
    std::string field(const char* name) const;
    bool write(const std::string& path, const std::string& text);

    TQelDatabase* db_;
    TQelObjectKey key_;
    std::string error_;
};

// Fills `text` for `obj` as a template of `kind` does (see above).
std::string QelRenderTemplate(const std::string& text, TQelObject* obj, bool html);
