// The import document ZUV.XML: header, one Kundendaten element per customer
// of the adviser reference with person, depots, contacts and address, and on
// follow-up imports the depots that belong to no known customer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/status.hpp"
#include "platform/run_context.hpp"
#include "staging/db_client.hpp"
#include "staging/import_handover.hpp"
#include "xmlout/document_data.hpp"
#include "xmlout/transaction_element.hpp"
#include "xmlout/xml_writer.hpp"

namespace korvun {

// How the document reads the staging tables; tests change the sizes.
struct ImportFileReading {
  size_t rowsPerBatch = DepotReader::kRowsPerBatch;  // read ahead at a time
  size_t transactionBound = DepotReader::kTransactionBound;  // held per account
  // Where to note the most staging rows held at one moment; none when null.
  size_t* mostRowsHeld = nullptr;
};

class ImportDocument {
 public:
  ImportDocument(RunContext& ctx, DbConnection& db, const ImportFileArgs& args,
                 const ImportFileReading& reading = {});

  // Writes the whole document with the given writer (ISO formats expected).
  // Success, or -28 for a first import whose adviser reference selects nobody.
  Status Write(TXMLWriter& writer, bool withCustomers);

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
  void WriteDepot(DepotContent& depot);
  void WriteDepotValue(const DepotFund& fund);

  // The customer statement's parameter texts: one to three pieces.
  std::vector<std::string> Selection() const;
  const std::string& Part(size_t index) const;

  RunContext& ctx_;
  DbConnection& db_;
  const ImportFileArgs& args_;
  const ImportFileReading reading_;
  TXMLWriter* writer_ = nullptr;
  DocumentData* data_ = nullptr;  // while Write runs

  std::string currentCustomer_;
  std::string currentDepotNo_, currentAccountKind_, currentSubAccount_, currentSecurity_;
};

// Writes ZUV.XML from the staging tables within the run's transaction:
// success, or -28 for a first import without customers. Failures throw.
Status WriteImportFile(RunContext& ctx, DbConnection& db, const ImportFileArgs& args);
// The same, reading as `reading` says.
Status WriteImportFileWith(RunContext& ctx, DbConnection& db, const ImportFileArgs& args,
                           const ImportFileReading& reading);

// Path of the import file: the directory, a separator, "ZUV.XML".
std::string ImportFilePath(const std::string& xmlDir, char separator);

}  // namespace korvun
