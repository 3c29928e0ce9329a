#include "xmlout/import_queries.hpp"

#include "staging/stored_order.hpp"

namespace korvun::sql {
namespace {

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

// The columns of an account row: its customer row (both null for an account
// without customer), its keys, and the kind and sub-account as they sort.
std::string AccountColumns(const std::string& customer, const std::string& intermediary,
                           const std::string& table) {
  return customer + ", " + intermediary + ", " + table + ".DEPSTNR, " + table + ".DEPKTOART, " + table +
         ".DEPUNTERKTO, " + TextOrder(table + ".DEPKTOART", 3) + ", " + TextOrder(table + ".DEPUNTERKTO", 3);
}
const char kAccountNames[] = "L (INHKDNR1, VERBERNR, DEPSTNR, DEPKTOART, DEPUNTERKTO, KINDORDER, SUBORDER)";
const char kAccountOrder[] = "1 nulls last, 2, 3, 6, 7";

// The depot accounts the document writes, with the customer row they are
// written for: every account of a selected customer's holdings.
std::string CustomerAccounts(size_t pieces) {
  return "select " + AccountColumns("C.INHKDNR1", "C.VERBERNR", "H") + " from (" +
         DistinctCustomers(pieces) +
         ") C join (select distinct INHKDNR1, DEPSTNR, DEPKTOART, DEPUNTERKTO from BESTAENDE) H "
         "on H.INHKDNR1 = C.INHKDNR1";
}
const char kCustomerAccountsPlan[] = "HASH (SORT (L H BESTAENDE NATURAL), SORT (L C BESTAENDE NATURAL))";

const char kAllKeys[] = "DEPSTNR is not null and DEPKTOART is not null and DEPUNTERKTO is not null";
const char kNoCustomer[] = "cast(null as integer)";

// The transactions' accounts that no holding with a customer matches: no
// holding at all, or also one without customer. An account without number
// is never written. The accounts are grouped along the transactions' index
// and each is looked up in the holdings' index, so that the engine sorts no
// more than the accounts it returns, not every transaction.
std::string UnassignedAccounts() {
  const std::string holding =
      "select 1 from BESTAENDE H where H.DEPSTNR = A.DEPSTNR and H.DEPKTOART = A.DEPKTOART "
      "and H.DEPUNTERKTO = A.DEPUNTERKTO and H.INHKDNR1 is ";
  return "select " + AccountColumns(kNoCustomer, kNoCustomer, "A") +
         " from (select DEPSTNR, DEPKTOART, DEPUNTERKTO from TRANSAKTIONEN where DEPSTNR is not null "
         "group by DEPSTNR, DEPKTOART, DEPUNTERKTO) A where not exists (" +
         holding + "not null) or exists (" + holding + "null)";
}
const char kUnassignedAccountsPlan[] = "L A TRANSAKTIONEN ORDER TRANSAKTIONEN_DEPOT";

// Of those, the accounts that have a holding without customer.
std::string UnassignedHeldAccounts() {
  return "select " + AccountColumns(kNoCustomer, kNoCustomer, "A") +
         " from (select DEPSTNR, DEPKTOART, DEPUNTERKTO from BESTAENDE where " + kAllKeys +
         " group by DEPSTNR, DEPKTOART, DEPUNTERKTO having max(iif(INHKDNR1 is null, 1, 0)) = 1) A";
}

// The rows of `table` (alias X) that a statement given an account's keys as
// texts selects, for each account row L.
const char kAccountRows[] =
    " X on X.DEPSTNR = L.DEPSTNR and X.DEPKTOART = coalesce(L.DEPKTOART, '') "
    "and X.DEPUNTERKTO = coalesce(L.DEPUNTERKTO, '')";
const char kAccountKeys[] = "select L.INHKDNR1, L.VERBERNR, L.DEPSTNR, L.DEPKTOART, L.DEPUNTERKTO, ";

// One account's rows, as the statement given its keys as texts selects them.
std::string OneAccountRows(const std::string& table, const std::string& columns) {
  return "select " + columns + " from " + table +
         " X where X.DEPSTNR = :DEPSTNR and X.DEPKTOART = :DEPKTOART and X.DEPUNTERKTO = :DEPUNTERKTO "
         "order by " +
         StoredOrderSql("X");
}

}  // namespace

const char kTransactionColumns[] =
    "X.FONWKNEXT, X.FONISIN, X.TRAID, X.AUFTRAGTYP, X.TEILAUFTRAGTYP, X.TRAWAEHR, X.FONPREISDAT, "
    "X.FONPREIS, X.FONRPREIS, X.TRASTK, X.TRABETRAG, X.TRABETRAGEUR, X.FONAUSGABE, X.TRABONPZ";
const char kHoldingColumns[] = "X.FONWKNEXT, X.FONISIN, X.FONNAMELANG, X.BESTSTK";
const char kPersonColumns[] =
    "X.INHVORNAME1, X.INHNACHNAME1, X.INHGESCH1, X.INHGEBTAG1, X.INHTITELTXT1, X.INHSTRASSE1, X.INHPLZ1, "
    "X.INHORT1, X.INHLANDTXT1, X.INHTEL1, X.INHFAX1, X.INHEMAIL1, X.INHANREDE1";

std::string Customers(size_t pieces) {
  return "select VERBERNR, INHKDNR1, count(*) over () as CUSTOMERS from (" + DistinctCustomers(pieces) +
         ") order by INHKDNR1 nulls last, VERBERNR";
}

std::string Persons() {
  // Only the keys are sorted, each row is then read by its record key: the
  // engine's sort holds a few bytes a holding instead of its whole person.
  // No plan names a lookup by record key; the sorted keys come first, as
  // the lookup needs them.
  return "select X.INHKDNR1, " + std::string(kPersonColumns) +
         " from (select S.RDB$DB_KEY as ROWKEY from BESTAENDE S where S.INHKDNR1 is not null "
         "order by S.INHKDNR1, " +
         StoredOrderSql("S") + ") K join BESTAENDE X on X.RDB$DB_KEY = K.ROWKEY";
}

std::string CustomerTransactions(size_t pieces) {
  // The accounts in the document's order, each with its transactions looked
  // up through the index on the account keys, which gives them in stored
  // order: the engine sorts the few account rows, not the many transactions.
  // The plan keeps that order of the join.
  return kAccountKeys + std::string(kTransactionColumns) + " from (" + CustomerAccounts(pieces) +
         " order by " + kAccountOrder + ") " + kAccountNames + " join TRANSAKTIONEN" + kAccountRows +
         " plan join (sort (" + kCustomerAccountsPlan + "), X index (TRANSAKTIONEN_DEPOT))";
}

std::string UnassignedTransactions() {
  return kAccountKeys + std::string(kTransactionColumns) + " from (" + UnassignedAccounts() +
         " order by 3, 6, 7) " + kAccountNames + " join TRANSAKTIONEN" + kAccountRows +
         " plan join (sort (" + kUnassignedAccountsPlan + "), X index (TRANSAKTIONEN_DEPOT))";
}

std::string DepotHoldings(size_t pieces) {
  // As the transactions: the accounts sorted, each account's holdings
  // looked up through the index on their keys, in stored order.
  return kAccountKeys + std::string(kHoldingColumns) + " from (" + CustomerAccounts(pieces) + " order by " +
         kAccountOrder + ") " + kAccountNames + " join BESTAENDE" + kAccountRows + " plan join (sort (" +
         kCustomerAccountsPlan + "), X index (BESTAENDE_DEPOT))";
}

std::string UnassignedHoldings() {
  return kAccountKeys + std::string(kHoldingColumns) + " from (" + UnassignedHeldAccounts() +
         " order by 3, 6, 7) " + kAccountNames + " join BESTAENDE" + kAccountRows +
         " plan join (sort (L A BESTAENDE ORDER BESTAENDE_DEPOT), X index (BESTAENDE_DEPOT))";
}

std::string AccountTransactions() { return OneAccountRows("TRANSAKTIONEN", kTransactionColumns); }

std::string AccountHoldings() { return OneAccountRows("BESTAENDE", kHoldingColumns); }

}  // namespace korvun::sql
