#include "xmlout/import_queries.hpp"

namespace korvun::sql {
namespace {

// The order rows are stored in: by record number, which RDB$DB_KEY holds
// behind the relation's number, its low four bytes least significant first
// and the fifth in byte 3. The key itself sorts byte by byte.
std::string StoredOrder(const std::string& table) {
  const std::string key = table + ".RDB$DB_KEY";
  return "substring(" + key + " from 3 for 1), reverse(substring(" + key + " from 5 for 4))";
}

// A text column in the order of the engine's comparison, as if the shorter
// text were padded with blanks (staging_order.hpp); the sort keys of its own
// character set end a text at its last non-blank instead, which sorts a
// control character after the end. Null stays first.
std::string TextOrder(const std::string& column, int width) {
  const std::string w = std::to_string(width);
  return "cast(rpad(" + column + ", " + w + ", ' ') as char(" + w + ") character set octets)";
}

std::string Selection(size_t pieces) {
  std::string where = "VERVOE1 = :parVERVOE1";
  if (pieces >= 2) where += " and VERVOE2 = :parVERVOE2";
  if (pieces >= 3) where += " and VERVOE3 = :parVERVOE3";
  return where;
}

std::string DistinctCustomers(size_t pieces) {
  return "select distinct VERBERNR, INHKDNR1 from BESTAENDE where " + Selection(pieces);
}

// The depot accounts the document writes, with the customer row they are
// written for: every account of a selected customer's holdings.
std::string CustomerAccounts(size_t pieces) {
  return "select C.INHKDNR1, C.VERBERNR, H.DEPSTNR, H.DEPKTOART, H.DEPUNTERKTO from (" +
         DistinctCustomers(pieces) +
         ") C join (select distinct INHKDNR1, DEPSTNR, DEPKTOART, DEPUNTERKTO from BESTAENDE) H "
         "on H.INHKDNR1 = C.INHKDNR1";
}

const char kAllKeys[] = "DEPSTNR is not null and DEPKTOART is not null and DEPUNTERKTO is not null";

// The transactions' accounts that no holding with a customer matches: no
// holding at all, or one without customer. An account without number is
// never written.
std::string UnassignedAccounts() {
  return std::string(
             "select cast(null as integer), cast(null as integer), DEPSTNR, DEPKTOART, DEPUNTERKTO "
             "from (select DEPSTNR, DEPKTOART, DEPUNTERKTO, iif(INHKDNR1 is null, 2, 1) as HELD "
             "from BESTAENDE where ") +
         kAllKeys +
         " union all select DEPSTNR, DEPKTOART, DEPUNTERKTO, 0 from TRANSAKTIONEN "
         "where DEPSTNR is not null) "
         "group by DEPSTNR, DEPKTOART, DEPUNTERKTO having max(HELD) <> 1";
}

// Of those, the accounts that have a holding without customer.
std::string UnassignedHeldAccounts() {
  return std::string(
             "select cast(null as integer), cast(null as integer), DEPSTNR, DEPKTOART, DEPUNTERKTO "
             "from BESTAENDE where ") +
         kAllKeys +
         " group by DEPSTNR, DEPKTOART, DEPUNTERKTO having max(iif(INHKDNR1 is null, 1, 0)) = 1";
}

// Rows of `table` (alias X) joined to the accounts L as a statement given
// the account's keys as texts selects them, in the document's order.
std::string DocumentRows(const std::string& accounts, const std::string& table, const std::string& columns) {
  return "select L.INHKDNR1, L.VERBERNR, L.DEPSTNR, L.DEPKTOART, L.DEPUNTERKTO, " + columns +
         " from (" + accounts + ") L (INHKDNR1, VERBERNR, DEPSTNR, DEPKTOART, DEPUNTERKTO) join " +
         table +
         " X on X.DEPSTNR = L.DEPSTNR and X.DEPKTOART = coalesce(L.DEPKTOART, '') "
         "and X.DEPUNTERKTO = coalesce(L.DEPUNTERKTO, '') order by L.INHKDNR1 nulls last, "
         "L.VERBERNR, L.DEPSTNR, " +
         TextOrder("L.DEPKTOART", 3) + ", " + TextOrder("L.DEPUNTERKTO", 3) + ", " + StoredOrder("X");
}

// One account's rows, as the statement given its keys as texts selects them.
std::string OneAccountRows(const std::string& table, const std::string& columns) {
  return "select " + columns + " from " + table +
         " X where X.DEPSTNR = :DEPSTNR and X.DEPKTOART = :DEPKTOART and X.DEPUNTERKTO = :DEPUNTERKTO "
         "order by " +
         StoredOrder("X");
}

const char kTransactionColumns[] =
    "X.FONWKNEXT, X.FONISIN, X.TRAID, X.AUFTRAGTYP, X.TEILAUFTRAGTYP, X.TRAWAEHR, X.FONPREISDAT, "
    "X.FONPREIS, X.FONRPREIS, X.TRASTK, X.TRABETRAG, X.TRABETRAGEUR, X.FONAUSGABE, X.TRABONPZ";
const char kHoldingColumns[] = "X.FONWKNEXT, X.FONISIN, X.FONNAMELANG, X.BESTSTK";

}  // namespace

std::string Customers(size_t pieces) {
  return "select VERBERNR, INHKDNR1, count(*) over () as CUSTOMERS from (" + DistinctCustomers(pieces) +
         ") order by INHKDNR1 nulls last, VERBERNR";
}

std::string Persons() {
  return "select INHKDNR1, INHVORNAME1, INHNACHNAME1, INHGESCH1, INHGEBTAG1, INHTITELTXT1, "
         "INHSTRASSE1, INHPLZ1, INHORT1, INHLANDTXT1, INHTEL1, INHFAX1, INHEMAIL1, INHANREDE1 "
         "from BESTAENDE X where INHKDNR1 is not null order by INHKDNR1, " +
         StoredOrder("X");
}

std::string DepotTransactions(size_t pieces, bool unassigned) {
  std::string accounts = CustomerAccounts(pieces);
  if (unassigned) accounts += " union all " + UnassignedAccounts();
  return DocumentRows(accounts, "TRANSAKTIONEN", kTransactionColumns);
}

std::string DepotHoldings(size_t pieces, bool unassigned) {
  std::string accounts = CustomerAccounts(pieces);
  if (unassigned) accounts += " union all " + UnassignedHeldAccounts();
  return DocumentRows(accounts, "BESTAENDE", kHoldingColumns);
}

std::string AccountTransactions() { return OneAccountRows("TRANSAKTIONEN", kTransactionColumns); }

std::string AccountHoldings() { return OneAccountRows("BESTAENDE", kHoldingColumns); }

}  // namespace korvun::sql
