// One fund transaction as a DepotTrans element: the order code mapped to the
// host's mode, units and amounts as absolute values that cancellations
// negate, the sales charge worked out of the gross amount.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "staging/db_client.hpp"
#include "xmlout/xml_writer.hpp"

namespace korvun {

// The values of one TRANSAKTIONEN row as the element needs them. Every
// column is read on its own; an unreadable one takes its fallback.
struct TransactionValues {
  std::string reference;         // TRAID, leading zeros of a number dropped
  std::optional<int64_t> orderCode;  // empty: unreadable, nothing is written
  bool amountMode = false;
  double amount = 0;             // |TRABETRAG| in amount mode
  double units = 0;              // |TRASTK| otherwise
  bool unitsZero = false;        // TRASTK 0 or null (not in amount mode)
  double total = 0;              // TRABETRAG
  double fee = 0;                // sales charge in the gross amount
  double exchangeRate = 0;
  double price = 0;
  int priceStatus = 0;           // 21: the price is the issue price
  double executionDate = 0;      // day count of FONPREISDAT, 0 when none
  std::string currency;          // TRAWAEHR
};

// Where a result has the columns a transaction is read from.
struct TransactionColumns {
  explicit TransactionColumns(const DbRow& result);
  int traId, orderType, orderSubType, units, amount, amountEur, charge, discount, redemptionPrice,
      issuePrice, priceDate, currency;
};

// The columns of a transaction row as read, each with its fallback, before
// the reference, the sales charge and the date are worked out of them: the
// reading can go on beside the working out.
struct TransactionFields {
  TransactionValues values;  // all but reference, fee and executionDate
  std::optional<std::string> traId, priceDate;  // none: unreadable
  bool charged = false;  // the order code has a sales charge and its columns were read
  double charge = 0, discount = 0;
};
TransactionFields ReadTransactionFields(const DbRow& row, const TransactionColumns& columns);
TransactionValues TransactionValuesOf(TransactionFields fields);

// Reads the current row of a transactions query.
TransactionValues ReadTransaction(const DbRow& row, const TransactionColumns& columns);
TransactionValues ReadTransaction(const DbRow& row);

// TRAID as the host's reference: a number without leading zeros or
// decimals (rounded half away from zero), any other text unchanged.
std::string TransactionReference(const std::string& traId);

// Writes the DepotTrans element, or nothing for a transaction without an
// order code or an AU entry without amount, total and units.
void WriteTransaction(TXMLWriter& writer, const TransactionValues& t);

}  // namespace korvun
