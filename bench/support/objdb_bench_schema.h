#pragma once
// The class the object database benchmarks list and commit: 6 fields of the common kinds.
inline const char* const kBenchSchema = R"(
class 60001 Eintrag : Objekt table=Eintrag format="<Name>"
  field Name Text length=40
  field Vorname Text length=40
  field Nummer Ganzzahl
  field Betrag Betrag
  field Datum Datum
  field Ort Text length=40
end
)";
