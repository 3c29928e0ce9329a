// The person of each customer: of the customer's holdings, the first row the
// person statement would give, which as a distinct result is the least. Read
// from the holdings sorted by customer, one customer at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "staging/db_client.hpp"
#include "staging/row_stream.hpp"
#include "xmlout/staging_order.hpp"

namespace korvun {

// The first holder's columns as the person statement delivers them, in its
// column order after INHKDNR1.
struct PersonRow {
  NullableText given, surname, sex;
  NullableInt birthDate;
  NullableText title, street, postcode, town, country, phone, fax, email, salutation;
};

class PersonReader {
 public:
  // `turns`: the lock of the connection's streams (RowStream).
  PersonReader(DbConnection& db, std::mutex& turns, size_t rowsPerBatch);
  // The most rows held at one moment.
  size_t MostRowsHeld() const { return rows_->MostRowsHeld(); }

  // The customer's person; null when no holding has the number. Customers
  // are asked for in ascending order, one more than once in a row.
  const PersonRow* For(int64_t customer);

 private:
  struct Entry {
    int64_t customer;
    PersonRow person;
  };
  std::unique_ptr<RowStream<Entry>> rows_;
  bool onRow_;  // the stream's current row is not taken yet
  std::optional<int64_t> asked_;
  std::optional<PersonRow> person_;
};

}  // namespace korvun
