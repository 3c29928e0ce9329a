#include "xmlout/import_document.hpp"

#include <algorithm>
#include <ios>

#include "base/product.hpp"
#include "xmlout/import_file_target.hpp"
#include "xmlout/xml_format.hpp"

namespace korvun {
namespace {

// count x 25 / total + 70, exact halves to the even percentage.
int CustomerPercent(int64_t count, int64_t total) {
  const int64_t scaled = count * 25;
  int64_t q = scaled / total;
  const int64_t r = scaled % total;
  if (2 * r > total || (2 * r == total && q % 2 != 0)) ++q;
  return static_cast<int>(q + 70);
}

bool BlankText(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

}  // namespace

std::string ImportFilePath(const std::string& xmlDir, char separator) {
  return xmlDir + separator + "ZUV.XML";
}

ImportDocument::ImportDocument(RunContext& ctx, DbConnection& db, const ImportFileArgs& args,
                               const ImportFileReading& reading)
    : ctx_(ctx), db_(db), args_(args), reading_(reading) {}

const std::string& ImportDocument::Part(size_t index) const {
  static const std::string kEmpty;
  return index < args_.selectionParts.size() ? args_.selectionParts[index] : kEmpty;
}

std::vector<std::string> ImportDocument::Selection() const {
  // The selection parts count 1 to 6 pieces after entry 0, the whole text;
  // the first three select.
  const size_t pieces = args_.selectionParts.empty() ? 0 : args_.selectionParts.size() - 1;
  const size_t used = pieces <= 1 ? 1 : pieces == 2 ? 2 : 3;
  std::vector<std::string> texts;
  for (size_t i = 1; i <= used; ++i) texts.push_back(Part(i));
  return texts;
}

Status ImportDocument::Write(TXMLWriter& writer, bool withCustomers) {
  writer_ = &writer;
  Status result;
  writer.Reset();
  writer.WriteTag("XML", tkStart);
  WriteHeader(Part(0));
  if (withCustomers) {
    const bool followUp = args_.lastImportDate > 0;
    DocumentData data(ctx_.env, db_, Selection(), followUp, [this] { ctx_.ui.ProcessPendingMessages(); },
                      reading_.rowsPerBatch, reading_.transactionBound);
    data_ = &data;
    const int32_t count = WriteCustomers();
    if (!followUp && count == 0) result = ExportErrorCode::kNoCustomerData;
    if (followUp) WriteUnassignedDepots();
    if (reading_.mostRowsHeld) *reading_.mostRowsHeld = data.MostRowsHeld();
    data_ = nullptr;
  }
  writer.WriteTag("XML", tkEnd);
  writer.Flush();
  return result;
}

void ImportDocument::WriteHeader(const std::string& reference) {
  TXMLWriter& w = *writer_;
  w.WriteTag("Import", tkStart);
  w.WriteElement("I_Herkunft", kImportName);
  w.WriteElement("I_ImportVersion", kImportVersion);
  w.WriteElement("I_BeraterRef", reference);
  w.WriteElement("I_Datum", XMLDateStr(args_.requestDate));
  w.WriteTag("I_CustomData", tkStart);
  w.WriteElement("PARAM", std::string("VersionLastUsed=") + kImportVersion);
  w.WriteTag("I_CustomData", tkEnd);
  w.WriteTag("Import", tkEnd);
}

int32_t ImportDocument::WriteCustomers() {
  const int64_t total = data_->CustomerRows();
  int32_t count = 0;
  while (data_->NextCustomer()) {
    currentCustomer_ = data_->Customer();
    if (BlankText(currentCustomer_)) {
      ++count;  // a holding without customer number: counted, not written
      continue;
    }
    writer_->WriteTag("Kundendaten", tkStart);
    WriteCustomer();
    WriteDepotAdmin();
    // Only the person statement's first row counts; further rows differ only
    // where the holder's data differ between his holdings.
    static const PersonRow kNobody;
    const PersonRow* person = data_->Person();
    WritePerson(person ? *person : kNobody);
    WriteAddress(person ? *person : kNobody);
    writer_->WriteTag("Kundendaten", tkEnd);
    ++count;
    ctx_.reporter.Position(CustomerPercent(count, total));
    ctx_.ui.ProcessPendingMessages();
  }
  return count;
}

void ImportDocument::WriteCustomer() {
  TXMLWriter& w = *writer_;
  w.WriteTag("Kunde", tkStart);
  w.WriteElement("K_BeraterKennung", Part(0));
  w.WriteElement("K_ExtRef", currentCustomer_);
  w.WriteTag("Kunde", tkEnd);
}

void ImportDocument::WritePerson(const PersonRow& p) {
  TXMLWriter& w = *writer_;
  const std::string sexField = p.sex.value_or("");
  const char* sex = sexField == "M" ? "M" : sexField == "W" ? "W" : "";
  w.WriteTag("Person", tkStart);
  w.WriteIntElement("P_PersonNr", 1);
  w.WriteElement("P_PersonArt", "V");
  w.WriteDateElement("P_GeburtsDatum", DateFromYmd(p.birthDate ? std::to_string(*p.birthDate) : std::string()));
  w.WriteElement("P_Geschlecht", sex);
  w.WriteElement("P_Anrede", p.salutation.value_or(""));
  w.WriteElement("P_Vorname", p.given.value_or(""));
  w.WriteElement("P_Nachname", p.surname.value_or(""));
  w.WriteElement("P_Titel", p.title.value_or(""));
  WriteCustomerDepots();
  WriteTeleContacts(p);
  w.WriteTag("Person", tkEnd);
}

void ImportDocument::WriteTeleContacts(const PersonRow& p) {
  TXMLWriter& w = *writer_;
  struct Contact {
    NullableText PersonRow::*column;
    const char* kind;
    bool privat;
  };
  static const Contact kContacts[] = {{&PersonRow::phone, "TEL", true},
                                      {&PersonRow::fax, "FAX", false},
                                      {&PersonRow::email, "EMAIL", false}};
  for (const Contact& c : kContacts) {
    const std::string number = (p.*c.column).value_or("");
    if (number.empty()) continue;
    w.WriteTag("TeleKontakt", tkStart);
    w.WriteElement("TK_Art", c.kind);
    if (c.privat) w.WriteElement("Privat", "JA");
    w.WriteElement("TK_Nummer", number);
    w.WriteTag("TeleKontakt", tkEnd);
  }
}

void ImportDocument::WriteAddress(const PersonRow& p) {
  TXMLWriter& w = *writer_;
  w.WriteTag("Anschrift", tkStart);
  w.WriteElement("AN_Standard", "JA");
  w.WriteElement("AN_Strasse", p.street.value_or(""));
  w.WriteElement("AN_PLZ", p.postcode.value_or(""));
  w.WriteElement("AN_Ort", p.town.value_or(""));
  w.WriteTag("Anschrift", tkEnd);
}

Status WriteImportFile(RunContext& ctx, DbConnection& db, const ImportFileArgs& args) {
  return WriteImportFileWith(ctx, db, args, ImportFileReading());
}

Status WriteImportFileWith(RunContext& ctx, DbConnection& db, const ImportFileArgs& args,
                           const ImportFileReading& reading) {
  const std::string path = ImportFilePath(args.xmlDir, ctx.env.PathSeparator());
  ctx.reporter.Phase(70, "Erstelle XML-Datei: " + path);
  ctx.ui.ProcessPendingMessages();

  // The document goes into a temporary file beside the target and replaces
  // ZUV.XML only when it is complete, so that the host never imports half a
  // file and a failed run leaves the previous file as it was.
  ImportFileTarget target(ctx.env, path);
  Status result;
  try {
    TXMLStreamWriter writer(target.Stream(), true);
    writer.SetValueFormat(vfISO);
    writer.SetBufferSize(65535);
    result = ImportDocument(ctx, db, args, reading).Write(writer, true);
  } catch (const std::ios_base::failure&) {
    // A full disk, say: the user learns which file, not the stream's words.
    throw target.Incomplete();
  }
  target.Commit();
  return result;
}

}  // namespace korvun
