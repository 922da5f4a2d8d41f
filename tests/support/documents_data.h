#pragma once
// What the document tests share: a schema with a file (Akte) to assign documents to, a derived
// document class and an element class whose elements refer to documents; files written and read
// byte for byte; random contents.
#include <fstream>
#include <iterator>
#include <random>
#include <string>

inline constexpr const char* kDocsSchema = R"(
class 41011 Vertrag : Dokument
  field Nummer Text length=20
end
class 41012 Anlage table=Anlage format="<Beschreibung>"
  field Beschreibung Text length=40
  field Datei Referenz ref=Dokument
  field Vertrag Referenz ref=Vertrag
end
class 41013 Notiz table=Notiz
  field Text Text length=40
  field Bezug Referenz ref=Objekt
end
class 41010 Akte : Objekt table=Akte format="<Name>" noun=Akte gender=f plural=Akten
  field Name Text length=40
  vector Anlagen Anlage
  vector Notizen Notiz
end
)";

inline std::string QelRandomBytes(std::size_t n, unsigned seed = 42)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen() & 0xFF);
    return s;
}

inline void QelWriteFile(const std::string& path, const std::string& data)
{
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline std::string QelReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
