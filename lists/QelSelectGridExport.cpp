// TQelSelectGrid: the list as CSV and on paper, and the selected objects through templates.
#include "lists/QelSelectGrid.h"

#include "pickers/Browse.h"

#include "toolkit/dialogs.h"
#include "toolkit/screen.h"

#include <stdexcept>

namespace {

const char* const kSaveFailed = "Fehler beim Speichern:\n\n";
const char* const kPrintFailed = "Fehler beim Drucken:\n\n";
const char* const kExportError = "Fehler";
const char* const kPdfTitle = "Liste als PDF-Datei speichern";
const char* const kPdfFilter = "PDF-Dateien (*.pdf)|*.pdf";
const char* const kExportNothingSelected = "Kein Eintrag gewählt.";
const char* const kTitleExport = "Eintrag exportieren";
const char* const kChooseFolder = "Wählen Sie das Verzeichnis, in dem %s gespeichert werden sollen.";
const char* const kExportMany = "Sollen die %d selektierten %s wirklich exportiert werden?";
const char* const kExportQuestionTitle = "%s exportieren";
const char* const kExportFailed = "Exportieren %s '%s' gescheitert:\n\n%s";
const char* const kPreviewMany = "Sollen die %d selektierten %s wirklich angezeigt werden?";
const char* const kPreviewTitle = "Druckansicht für %s anzeigen";
const char* const kPreviewFailed = "Druckansicht %s '%s' gescheitert:\n\n%s";

} // namespace

void TQelSelectGrid::PrintList()
{
    if (OnPrintList) {
        OnPrintList(this);
        return;
    }
    try {
        if (HasPrinter()) {
            Print();
            return;
        }
        // Without a printer (a workstation without one, a headless run) the list becomes a PDF.
        TFileDialogRequest request;
        request.title = kPdfTitle;
        request.defaultExt = "pdf";
        request.filter = kPdfFilter;
        request.fileName = Name().empty() ? "Liste.pdf" : Name() + ".pdf";
        if (!Dialogs().SaveFile(request) || request.files.empty())
            return;
        PrintToPDF(request.files.front());
    } catch (const std::exception& e) {
        Application()->MessageBox(std::string(kPrintFailed) + e.what(), kExportError, MB_OK | MB_ICONERROR);
    }
}

void TQelSelectGrid::SaveListAsCSV()
{
    if (!OnSaveCSV)
        return;
    std::string fileName;
    OnSaveCSV(this, fileName);
    if (fileName.empty())
        return;
    TWaitCursor wait;
    // ";" between cells, whatever the delimiter was; texts that look like formulas stay texts.
    // The file holds what the list shows: hidden columns (the key, empty ones) and rows stay out.
    SetDelimiter(';');
    SetCsvFormulaGuard(true);
    SetSaveHiddenCells(false);
    try {
        SaveToCSV(fileName);
    } catch (const std::exception& e) {
        Application()->MessageBox(std::string(kSaveFailed) + e.what(), kExportError, MB_OK | MB_ICONERROR);
    }
}

bool TQelSelectGrid::WritesCsvRow(int row)
{
    return !(options_.Contains(soFilter) && row == 1);
}

void TQelSelectGrid::ExportSelected(TQelObjectKey templateKey)
{
    TQelDatabase* db = QelDatabase();
    TQelKeyList keys;
    GetSelectList(&keys);
    if (!db)
        return;
    if (keys.Count() == 0) {
        Application()->MessageBox(kExportNothingSelected, kTitleExport, MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::string folder;
    if (!BrowseForFolder(this, folder, FormatStr(kChooseFolder, class_np("d,selektiert", 4, false))))
        return;
    const int n = keys.Count();
    const std::string many = class_np("", 4, false);
    if (n > 1
        && Application()->MessageBox(FormatStr(kExportMany, n, many), FormatStr(kExportQuestionTitle, many),
               MB_YESNO | MB_ICONQUESTION)
            != IDYES)
        return;
    bool proceed = true;
    OnExporting(this, templateKey, keys, proceed);
    if (!proceed)
        return;
    TQelRTFVorlage vorlage(db, templateKey);
    each_object(std::vector<TQelObjectKey>(keys.begin(), keys.end()), kExportFailed,
        FormatStr(kExportQuestionTitle, many), [&](TQelObjectKey, TQelObject* obj, std::string& reason) {
            TWaitCursor wait;
            if (vorlage.Export(obj, folder))
                return true;
            reason = vorlage.ErrorMessage();
            return false;
        });
}

void TQelSelectGrid::PreviewSelected(TQelObjectKey templateKey)
{
    TQelDatabase* db = QelDatabase();
    TQelKeyList keys;
    GetSelectList(&keys);
    if (!db || keys.Count() == 0) {
        ShowMessage(kExportNothingSelected);
        return;
    }
    const int n = keys.Count();
    const std::string many = class_np("", 4, false);
    if (n > 1
        && Application()->MessageBox(
               FormatStr(kPreviewMany, n, many), FormatStr(kPreviewTitle, many), MB_YESNO | MB_ICONQUESTION)
            != IDYES)
        return;
    TQelRTFVorlage vorlage(db, templateKey);
    auto open
        = [](const std::string& file, const std::string&) { return Dialogs().OpenWithProgram(file, ""); };
    each_object(std::vector<TQelObjectKey>(keys.begin(), keys.end()), kPreviewFailed,
        FormatStr(kPreviewTitle, many), [&](TQelObjectKey, TQelObject* obj, std::string& reason) {
            if (vorlage.Execute(obj, "open", "", open))
                return true;
            reason = vorlage.ErrorMessage();
            return false;
        });
}
