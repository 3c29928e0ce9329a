#include "xmlout/person_reader.hpp"

#include <array>

#include "xmlout/import_queries.hpp"

namespace korvun {
namespace {

// In the person statement's column order.
int Order(const PersonRow& a, const PersonRow& b) {
  using Text = NullableText PersonRow::*;
  static const Text kBeforeBirth[] = {&PersonRow::given, &PersonRow::surname, &PersonRow::sex};
  static const Text kAfterBirth[] = {&PersonRow::title, &PersonRow::street, &PersonRow::postcode,
                                     &PersonRow::town,  &PersonRow::country, &PersonRow::phone,
                                     &PersonRow::fax,   &PersonRow::email,   &PersonRow::salutation};
  for (Text m : kBeforeBirth)
    if (int c = Compare(a.*m, b.*m)) return c;
  if (int c = Compare(a.birthDate, b.birthDate)) return c;
  for (Text m : kAfterBirth)
    if (int c = Compare(a.*m, b.*m)) return c;
  return 0;
}

}  // namespace

PersonReader::PersonReader(DbConnection& db, std::mutex& turns, size_t rowsPerBatch)
    : rows_(OpenRows<Entry>(
          db, sql::Persons(), {},
          [](const DbRow& q) {
            static const char* const kNames[] = {
                "INHVORNAME1", "INHNACHNAME1", "INHGESCH1", "INHGEBTAG1", "INHTITELTXT1",
                "INHSTRASSE1", "INHPLZ1",      "INHORT1",   "INHLANDTXT1", "INHTEL1",
                "INHFAX1",     "INHEMAIL1",    "INHANREDE1"};
            std::array<int, 13> at{};
            for (size_t i = 0; i < at.size(); ++i) at[i] = q.ColumnIndex(kNames[i]);
            return [customer = q.ColumnIndex("INHKDNR1"), at](const DbRow& row) {
              const auto text = [&](size_t i) { return TextColumn(row, at[i]); };
              return Entry{row.AsIntAt(customer),
                           {text(0), text(1), text(2), IntColumn(row, at[3]), text(4), text(5), text(6),
                            text(7), text(8), text(9), text(10), text(11), text(12)}};
            };
          },
          Fetching::OnCaller(), rowsPerBatch, &turns)) {
  onRow_ = rows_->Next();
}

const PersonRow* PersonReader::For(int64_t customer) {
  if (asked_ == customer) return person_ ? &*person_ : nullptr;
  asked_ = customer;
  person_.reset();
  for (; onRow_; onRow_ = rows_->Next()) {
    Entry& e = rows_->Current();
    if (e.customer > customer) break;
    if (e.customer < customer) continue;
    // Of rows that compare equal the first stored one stays.
    if (!person_ || Order(e.person, *person_) < 0) person_ = std::move(e.person);
  }
  return person_ ? &*person_ : nullptr;
}

}  // namespace korvun
