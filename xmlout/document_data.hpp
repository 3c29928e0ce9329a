// What the import document needs of the staging tables, read with one pass
// over each table instead of a query per customer, depot and fund: a server
// is asked three times in all, and the engine reads every row once. The
// rows are grouped in memory into what the per-customer and per-depot
// statements would deliver, in their order (staging_order.hpp).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "staging/db_client.hpp"
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

// A depot account as a row delivers its keys.
struct DepotRow {
  NullableInt number;
  NullableText kind, sub;
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
  std::vector<DepotFund> funds;  // ordered; filled after the scan
};

class DocumentData {
 public:
  // The customers are the customer statement's numbers as text; only their
  // persons and depot accounts are kept.
  // `unassigned`: keep every depot's transactions and find the depots that
  // no customer's holding matches. `pump` runs every few thousand rows.
  void Load(DbConnection& db, const std::vector<std::string>& customers, bool unassigned,
            const std::function<void()>& pump);

  // The person statement's first row for a customer; null when it has none.
  const PersonRow* Person(const std::string& customer) const;
  // The customer's depot accounts in the depot statement's order.
  const std::vector<DepotRow>& CustomerDepots(const std::string& customer) const;
  // The depot account that a statement with these parameter texts selects;
  // null when no transaction has it.
  const Depot* FindDepot(const std::string& number, const std::string& kind,
                         const std::string& sub) const;
  // Depot accounts of the transactions that no holding with a customer
  // matches, in the order of the statement that selects them.
  const std::vector<DepotRow>& UnassignedDepots() const { return unassigned_; }
  // The depot's transactions of one fund (by its key), in stored order.
  void ForEachTransaction(const Depot& depot, std::string_view fundKey,
                          const std::function<void(const TransactionValues&)>& use) const;

 private:
  struct Holding {
    NullableText name;
    NullableDouble units;
  };
  void ReadHoldings(DbConnection& db, const std::vector<std::string>& customers,
                    const std::function<void()>& pump);
  void ReadTransactions(DbConnection& db, bool unassigned, const std::function<void()>& pump);
  void OrderFunds(Depot& depot, const std::string& depotKey) const;

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
};

}  // namespace korvun
