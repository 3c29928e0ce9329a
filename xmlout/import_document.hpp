// The import document ZUV.XML: header, one Kundendaten element per customer
// of the adviser reference with person, depots, contacts and address, and on
// follow-up imports the depots that belong to no known customer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/run_context.hpp"
#include "staging/db_client.hpp"
#include "base/status.hpp"
#include "staging/import_handover.hpp"
#include "xmlout/document_data.hpp"
#include "xmlout/transaction_element.hpp"
#include "xmlout/xml_writer.hpp"

namespace korvun {

class ImportDocument {
 public:
  // `rowsPerBatch`: transactions read ahead at a time while writing.
  ImportDocument(RunContext& ctx, DbConnection& db, const ImportFileArgs& args,
                 size_t rowsPerBatch = RowStream::kRowsPerBatch);

  // Writes the whole document with the given writer (ISO formats expected).
  // Success, or -28 for a first import whose adviser reference selects nobody.
  Status Write(TXMLWriter& writer, bool withCustomers);
  // After Write: what it wrote missed rows that came late (DocumentData::
  // Stale); a second Write, from the rows now all read, is complete.
  bool Stale() const { return writes_ == 1 && data_.Stale(); }

 private:
  // Frame and customers.
  void WriteHeader(const std::string& reference);
  int32_t WriteCustomers();
  void WriteCustomer();
  void WritePerson(const PersonRow& person);
  void WriteTeleContacts(const PersonRow& person);
  void WriteAddress(const PersonRow& person);

  // Depots, funds and transactions.
  void WriteDepotAdmin();
  void WriteCustomerDepots();
  void WriteUnassignedDepots();
  void WriteDepot();
  void WriteDepotValue(const Depot& depot, const DepotFund& fund);

  // The customer statement's customer numbers, in its order.
  std::vector<std::string> ReadCustomers();
  const std::string& Part(size_t index) const;

  RunContext& ctx_;
  DbConnection& db_;
  const ImportFileArgs& args_;
  const size_t rowsPerBatch_;
  TXMLWriter* writer_ = nullptr;
  DocumentData data_;
  bool read_ = false;  // the customers read and the data started
  std::vector<std::string> customers_;
  int writes_ = 0;
  int reportedPercent_ = 0;  // a second Write repeats no position

  std::string currentCustomer_;
  std::string currentDepotNo_, currentAccountKind_, currentSubAccount_, currentSecurity_;
};

// Writes ZUV.XML from the staging tables within the run's transaction:
// success, or -28 for a first import without customers. Failures throw.
Status WriteImportFile(RunContext& ctx, DbConnection& db, const ImportFileArgs& args);
// The same with `rowsPerBatch` transactions read ahead at a time.
Status WriteImportFileInBatches(RunContext& ctx, DbConnection& db, const ImportFileArgs& args,
                                size_t rowsPerBatch);

// Path of the import file: the directory, a separator, "ZUV.XML".
std::string ImportFilePath(const std::string& xmlDir, char separator);

}  // namespace korvun
