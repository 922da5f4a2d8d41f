#include "objdb/qelschema.h"

// The system part of every schema: the built-in field types and the classes the library itself
// uses (object root, validity records, settings owners, stored views, document templates).
const std::string& TQelSchema::BuiltinText()
{
    static const std::string text = R"QELS(
fieldtype 3001 Text
fieldtype 3002 Ganzzahl
fieldtype 3003 Betrag decimals=2
fieldtype 3004 Boolesch
fieldtype 3005 DatumZeit
fieldtype 3006 Betrag2 : 3003 decimals=2
fieldtype 3007 Betrag3 : 3003 decimals=3
fieldtype 3008 Auswahl
fieldtype 3009 Mehrfachauswahl
fieldtype 3010 Referenz
fieldtype 3011 Datum : 3005
fieldtype 3012 Uhrzeit : 3005
fieldtype 3013 UhrzeitSekunden : 3005
fieldtype 3014 DatumZeitSekunden : 3005
fieldtype 3015 Langtext
fieldtype 3016 Memotext : 3015
fieldtype 3017 Notiztext : 3015
fieldtype 3018 Merkmale
fieldtype 3019 Datei
fieldtype 13422 FormatierterText : 3015
fieldtype 13423 ERVSchluessel
fieldtype 13426 Zeichenkette : 3001

class 1005 Objekt abstract
end

class 11012 Zuordnung table=QEL_ZUORDNUNG format="<Kategorie>"
  field Objekt Referenz ref=Objekt column=OBJEKT_K
  field Art Text length=40
  field Kategorie Text length=250
  field AutoDelete Boolesch
end

class 11011 Dokument : 1005 table=QEL_DOKUMENT format="<Name>" noun=Dokument gender=n plural=Dokumente
  field Name Text length=200
  field Zeitstempel DatumZeitSekunden
  field Bemerkung Text length=500
  field Dateidatum DatumZeitSekunden
  field Format Text length=40
  field Inhalt Datei
  field Standardaktion Ganzzahl default=1
  vector Zuordnungen Zuordnung
end

# Elements of a vector that lists documents (a document view over a vector field).
class 11013 Dokumentverweis table=QEL_DOKVERWEIS format="<Beschreibung>" noun=Anlage gender=f plural=Anlagen
  field Dokument Referenz ref=Dokument
  field Beschreibung Text length=200
end

class 12001 Gültigkeit abstract
  field Standard Boolesch
  field GueltigAb Datum description="Gültig ab"
  field GueltigBis Datum description="Gültig bis"
end

class 12010 NameWert table=QEL_NAMEWERT format="<Name>"
  field Name Text length=64 mandatory
  field Wert Text
end

class 1010 Einstellungen : 1005 table=QEL_EINSTELLUNGEN meta format="<Bezeichnung>"
  field Ebene Ganzzahl
  field Bezeichnung Text length=100
  vector Einstellungen NameWert
end

class 1011 Computer : 1010
end

class 1012 Benutzer : 1010
  field Admin Boolesch
end

class 1013 Partition : 1010
end

class 1021 AnsichtInstanz table=QEL_ANSICHTINSTANZ
  field Objekt Referenz ref=Objekt column=OBJEKT_K
end

class 1020 Ansicht : 1005 table=QEL_ANSICHT meta format="<Bezeichnung>" noun=Filter gender=m plural=Filter
  field Bezeichnung Text length=200 mandatory
  field Klasse Ganzzahl column=BASISKLASSE
  field Bedingung Langtext
  field Parameterklasse Ganzzahl
  field Geloeschte Boolesch description="Gelöschte anzeigen"
  field Oberansicht Referenz ref=Ansicht
  field Position Ganzzahl
  field Ausschluesse Text description="Ausschlüsse"
  vector Instanzen AnsichtInstanz
end

class 1022 Ansichtsparameter : 1005 abstract meta
end

class 1030 Vorlage : 1005 table=QEL_VORLAGE meta format="<Bezeichnung>" noun=Vorlage gender=f plural=Vorlagen
  field Bezeichnung Text length=200 mandatory
  field Klasse Ganzzahl column=VORLAGE_KLASSE
  field Art Text length=10
  field Inhalt Langtext
end
)QELS";
    return text;
}
