// What the import document needs of the staging tables, read with one pass
// over each table instead of a query per customer, depot and fund: a server
// is asked three times in all, and the engine reads every row once. The
// rows are grouped in memory into what the per-customer and per-depot
// statements would deliver, in their order (staging_order.hpp). The
// document is written while the transactions are still read: a customer as
// soon as its depot accounts are complete.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "staging/db_client.hpp"
#include "staging/row_stream.hpp"
#include "xmlout/staging_order.hpp"
#include "xmlout/stored_transaction.hpp"
#include "xmlout/transaction_element.hpp"

namespace korvun {

// The first holder's columns as the person statement delivers them, in its
// column order after INHKDNR1.
struct PersonRow {
  NullableText given, surname, sex;
  NullableInt birthDate;
  NullableText title, street, postcode, town, country, phone, fax, email, salutation;
};

// A fund of a depot that has transactions there, with a matching holding.
struct DepotFund {
  NullableText wkn;
  std::string isin;  // empty when missing
  NullableText name;
  NullableDouble units;
};

// A depot account's transactions in stored order, and the funds they name.
struct Depot {
  struct FundNames {
    NullableText wkn, isin;
    NullableText key;  // the ISIN, or the WKN when the ISIN is empty
  };
  // Rows that follow each other in DocumentData's store.
  struct Run {
    uint32_t first, count;
  };
  std::vector<FundNames> transactionFunds;
  std::vector<Run> runs;  // in stored order
  std::vector<DepotFund> funds;  // ordered; filled when the depot is handed out
  bool fundsOrdered = false;
};

class DocumentData {
 public:
  // The customers are the customer statement's numbers as text; only their
  // persons and depot accounts are kept. Reads the holdings and starts
  // reading the transactions (`rowsPerBatch` at a time).
  // `unassigned`: keep every depot's transactions and find the depots that
  // no customer's holding matches. `pump` runs every few thousand rows.
  void Start(DbConnection& db, const std::vector<std::string>& customers, bool unassigned,
             const std::function<void()>& pump,
             size_t rowsPerBatch = RowStream::kRowsPerBatch);
  // Reads on until the customer's depot accounts have all their
  // transactions: the table has ended, the rows have left the account, or
  // they come sorted by account and are past it.
  void AwaitCustomer(const std::string& customer);
  // Reads the rest of the transactions; the database is free again.
  void Finish();
  // True when rows of a depot account came after FindDepot had handed it
  // out: the table was neither sorted nor grouped by account, and what was
  // written from it must be written again, now that every row is read.
  bool Stale() const { return stale_; }

  // The person statement's first row for a customer; null when it has none.
  const PersonRow* Person(const std::string& customer) const;
  // The customer's depot accounts in the depot statement's order.
  const std::vector<DepotRow>& CustomerDepots(const std::string& customer) const;
  // The depot account that a statement with these parameter texts selects;
  // null when no transaction has it (yet: see Stale).
  const Depot* FindDepot(const std::string& number, const std::string& kind, const std::string& sub);
  // Depot accounts of the transactions that no holding with a customer
  // matches, in the order of the statement that selects them; after Finish.
  const std::vector<DepotRow>& UnassignedDepots() const { return unassigned_; }
  // The depot's transactions of one fund (by its key), in stored order.
  void ForEachTransaction(const Depot& depot, std::string_view fundKey,
                          const std::function<void(const TransactionValues&)>& use) const;

 private:
  struct Holding {
    NullableText name;
    NullableDouble units;
  };
  void ReadHoldings(DbConnection& db, const std::vector<std::string>& customers, size_t rowsPerBatch);
  bool ReadBatch();  // false at the end of the table
  void Take(const DbRow& row);
  bool Complete(const DepotRow& customerDepot) const;
  void OrderFunds(Depot& depot, const std::string& depotKey) const;

  std::function<void()> pump_;
  long long rows_ = 0;

  // By customer number as text.
  std::unordered_map<std::string, PersonRow> persons_;
  std::unordered_map<std::string, std::vector<DepotRow>> customerDepots_;
  // Keyed by DepotKey (+ FundKey for the holdings).
  std::unordered_map<std::string, std::vector<Holding>> holdings_;
  // Depot accounts with holdings: true when one of them has no customer.
  std::unordered_map<std::string, bool> holdingWithoutCustomer_;
  std::unordered_map<std::string, Depot> depots_;
  ChunkedStore<StoredTransaction> transactions_;
  LongTexts longTexts_;
  std::vector<DepotRow> unassigned_;

  // The reading of the transactions.
  std::unique_ptr<RowStream> stream_;
  size_t rowsPerBatch_ = RowStream::kRowsPerBatch;
  struct TransactionColumnsAt {
    DepotColumns depot;
    int wkn, isin;
    TransactionColumns values;
  };
  std::optional<TransactionColumnsAt> at_;
  bool keepAll_ = false;  // every account's rows, not only the customers'
  std::unordered_set<std::string> wanted_;  // the customers' accounts
  std::unordered_set<std::string> seenAccounts_;
  std::vector<DepotRow> accounts_;  // every account once, for the unassigned ones
  bool accountsOrdered_ = false;
  // A depot account's rows mostly follow each other: its key and fund are
  // looked up once per run of rows.
  DepotRow lastAccount_;
  Depot* depot_ = nullptr;
  uint32_t lastFund_ = 0;
  // When the rows of an account are complete before the table ends.
  std::unordered_set<std::string> left_;  // accounts whose run of rows has ended
  bool sorted_ = true;                    // the keyed rows so far came in account order
  std::optional<DepotRow> lastKeyed_;     // the last row with all three keys
  std::unordered_set<std::string> handedOut_;
  bool stale_ = false;
};

}  // namespace korvun
