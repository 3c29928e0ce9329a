// What the import document reads of the staging tables: results that come
// in the document's order, read front to back side by side while the
// document is written, one customer at a time. The customer rows,
// the persons by customer and the depot accounts by customer row are merged
// on the customer number; only the account being written is held, so the
// memory does not grow with the tables. A server is asked the same few
// times however large they are.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "staging/db_client.hpp"
#include "staging/row_stream.hpp"
#include "xmlout/depot_reader.hpp"
#include "xmlout/person_reader.hpp"

namespace korvun {

class DocumentData {
 public:
  // Opens the customer rows of the selection (`selection`: the customer
  // statement's parameter texts), and the persons and depot accounts when
  // there are customers or `unassigned` (the accounts without customer
  // follow the customers'). `pump` runs every few thousand rows. `env`
  // starts the threads that read ahead.
  DocumentData(Env& env, DbConnection& db, const std::vector<std::string>& selection, bool unassigned,
               std::function<void()> pump, size_t rowsPerBatch = DepotReader::kRowsPerBatch,
               size_t transactionBound = DepotReader::kTransactionBound);

  // The number of customer rows.
  int64_t CustomerRows() const { return customerRows_; }
  // Moves to the next customer row; false after the last.
  bool NextCustomer();
  // The current row's customer number as text, empty for none.
  const std::string& Customer() const { return customerText_; }
  // The current customer's person; null when none of his holdings has one.
  const PersonRow* Person();
  // The current customer row's next depot account, or after the last
  // customer row the next account without customer; null when there is no
  // more.
  DepotContent* NextDepot();
  // The current account's transactions of a fund key, in stored order.
  void ForEachTransaction(std::string_view fundKey,
                          const std::function<void(const TransactionValues&)>& use);

  // The most staging rows held at one moment, at most: the sum of what each
  // result held at its most.
  size_t MostRowsHeld() const;

 private:
  struct CustomerRow {
    AccountOwner owner;
    std::string text;  // the customer number
    int64_t rows;      // of the result
  };
  // Held by a stream for each batch it reads: one thread at a time reads.
  std::mutex turns_;
  std::unique_ptr<RowStream<CustomerRow>> customers_;
  int64_t customerRows_ = 0;
  bool onCustomer_;  // the current row is not taken yet
  bool customersDone_ = false;
  AccountOwner owner_;  // of the current customer row; none after the last
  std::string customerText_;
  std::unique_ptr<PersonReader> persons_;
  std::unique_ptr<DepotReader> depots_;
};

}  // namespace korvun
