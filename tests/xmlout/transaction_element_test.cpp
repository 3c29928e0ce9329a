// The DepotTrans element of single transaction rows, read back from a real
// staging database through a depot account's transactions query.
#include <gtest/gtest.h>

#include "staging_fixture.hpp"
#include "xmlout/import_queries.hpp"
#include "xmlout/transaction_element.hpp"
#include "xmlout/xml_writer.hpp"

namespace korvun::xmltest {
namespace {

class StringWriter : public TXMLWriter {
 public:
  StringWriter() : TXMLWriter(false) { SetValueFormat(vfISO); }
  void WriteBytes(const char* bytes, size_t count) override { text.append(bytes, count); }
  std::string text;
};

struct Tx {
  std::string id = "1";
  Value type = 10, subType = 1;
  Value priceDate = 20240115;
  Value amount = Null{}, amountEur = Null{};
  Value issuePrice = Null{}, redemptionPrice = Null{};
  Value discount = Null{}, charge = Null{};
  Value units = Null{};
};

class TransactionElementTest : public StagingFixture {
 protected:
  // The element that the row gives, with the file's line ends turned into "\n".
  std::string Element(const Tx& t) {
    db_->ExecuteImmediate("delete from TRANSAKTIONEN");
    Transaction({{"TRAID", t.id},
                 {"DEPSTNR", 4711},
                 {"DEPKTOART", std::string("01")},
                 {"DEPUNTERKTO", std::string("")},
                 {"AUFTRAGTYP", t.type},
                 {"TEILAUFTRAGTYP", t.subType},
                 {"FONPREISDAT", t.priceDate},
                 {"TRABETRAG", t.amount},
                 {"TRABETRAGEUR", t.amountEur},
                 {"TRAWAEHR", std::string("EUR")},
                 {"FONPREIS", t.issuePrice},
                 {"FONRPREIS", t.redemptionPrice},
                 {"TRABONPZ", t.discount},
                 {"FONAUSGABE", t.charge},
                 {"TRASTK", t.units},
                 {"FONWKNEXT", std::string("123456")},
                 {"FONISIN", std::string("DE0001234567")}});
    auto q = db_->Prepare(sql::AccountTransactions());
    q->SetInt(0, 4711);
    q->SetText(1, "01");
    q->SetText(2, "");
    q->Execute();
    EXPECT_TRUE(q->Fetch());
    StringWriter w;
    WriteTransaction(w, ReadTransaction(*q));
    EXPECT_FALSE(q->Fetch());
    std::string out;
    for (char c : w.text)
      if (c != '\r') out += c;
    return out;
  }
  // The value of the first element of that name, or "(none)".
  std::string Field(const std::string& element, const std::string& name) {
    const std::string open = "<" + name + ">";
    const size_t b = element.find(open);
    if (b == std::string::npos) return "(none)";
    const size_t e = element.find("</" + name + ">", b);
    return element.substr(b + open.size(), e - b - open.size());
  }
};

TEST_F(TransactionElementTest, SaleIsWrittenPositive) {
  Tx t;
  t.type = 20;
  t.subType = 2;
  t.units = -12.5;
  t.amount = -500.0;
  t.amountEur = -500.0;
  t.redemptionPrice = 40.0;
  t.charge = 5.0;
  EXPECT_EQ(Element(t), R"(
<DepotTrans>
  <DT_ExtRef>1</DT_ExtRef>
  <DT_Mode>V</DT_Mode>
  <DT_Ausfuehrung>2024-01-15</DT_Ausfuehrung>
  <DT_Waehrung>EUR</DT_Waehrung>
  <DT_Anteile>12.5000</DT_Anteile>
  <DT_Preis>40.0000</DT_Preis>
  <DT_Gesamtbetrag>500.00</DT_Gesamtbetrag>
</DepotTrans>)");
}

TEST_F(TransactionElementTest, PurchaseCarriesTheSalesChargeOfTheGrossAmount) {
  Tx t;
  t.amount = 1050.0;
  t.amountEur = 1050.0;
  t.charge = 5.0;
  t.discount = 0.0;
  t.units = 20.0;
  EXPECT_EQ(Field(Element(t), "DT_Gebuehr"), "50.00");
  t.discount = 100.0;  // the whole charge waived
  EXPECT_EQ(Field(Element(t), "DT_Gebuehr"), "(none)");
  t.discount = 50.0;  // r = 0.025: 1050 x 0.025 / 1.025 = 25.609...
  EXPECT_EQ(Field(Element(t), "DT_Gebuehr"), "25.61");
  t.type = 20;  // a sale has no sales charge
  t.subType = 2;
  EXPECT_EQ(Field(Element(t), "DT_Gebuehr"), "(none)");
}

TEST_F(TransactionElementTest, CancellationNegatesUnitsFeeAndTotal) {
  Tx t;
  t.type = 70;
  t.subType = 5;
  t.units = 2.0;
  t.amount = 105.0;
  t.amountEur = 105.0;
  t.charge = 5.0;
  t.discount = 0.0;
  const std::string e = Element(t);
  EXPECT_EQ(Field(e, "DT_Mode"), "A_STORNO");
  EXPECT_EQ(Field(e, "DT_Anteile"), "-2.0000");
  EXPECT_EQ(Field(e, "DT_Gebuehr"), "-5.00");
  EXPECT_EQ(Field(e, "DT_Gesamtbetrag"), "-105.00");
  // The sign follows the cancellation, not the sign delivered.
  t.units = -2.0;
  t.amount = -105.0;
  EXPECT_EQ(Field(Element(t), "DT_Anteile"), "-2.0000");
}

TEST_F(TransactionElementTest, SwitchCancellationsByOrderCode) {
  Tx t;
  t.units = 1.0;
  const std::pair<int, int> codes[] = {{97, 3}, {97, 4}, {90, 5}, {90, 6}};
  const char* modes[] = {"VSW_STORNO", "ASW_STORNO", "ASW_STORNO", "VSW_STORNO"};
  for (int i = 0; i < 4; ++i) {
    t.type = codes[i].first;
    t.subType = codes[i].second;
    const std::string e = Element(t);
    EXPECT_EQ(Field(e, "DT_Mode"), modes[i]) << codes[i].first << "/" << codes[i].second;
    EXPECT_EQ(Field(e, "DT_Anteile"), "-1.0000");
  }
}

TEST_F(TransactionElementTest, ReinvestmentIsAnAuEntryWithUnitsInItsSubEntry) {
  Tx t;
  t.type = 50;
  t.subType = 0;
  t.units = 3.2;
  t.amount = 40.0;
  t.amountEur = Null{};
  EXPECT_EQ(Element(t), R"(
<DepotTrans>
  <DT_ExtRef>1_AU</DT_ExtRef>
  <DT_Mode>AU</DT_Mode>
  <DT_Ausfuehrung>2024-01-15</DT_Ausfuehrung>
  <DT_Waehrung>EUR</DT_Waehrung>
  <DT_Steuern>0.00</DT_Steuern>
  <DT_Gesamtbetrag>40.00</DT_Gesamtbetrag>
  <SubTrans>
    <DT_ExtRef>1_WA</DT_ExtRef>
    <DT_Mode>W</DT_Mode>
    <DT_Ausfuehrung>2024-01-15</DT_Ausfuehrung>
    <DT_Waehrung>EUR</DT_Waehrung>
    <DT_Anteile>3.2000</DT_Anteile>
    <DT_Gesamtbetrag>40.00</DT_Gesamtbetrag>
  </SubTrans>
</DepotTrans>)");
  t.subType = Null{};  // 50 without sub-type is the same code
  EXPECT_EQ(Field(Element(t), "DT_Mode"), "AU");
}

TEST_F(TransactionElementTest, AmountModeWithoutUnits) {
  Tx t;
  t.type = 40;
  t.subType = 1;
  t.amount = 25.0;
  t.amountEur = 25.0;
  EXPECT_EQ(Element(t), R"(
<DepotTrans>
  <DT_ExtRef>1_AU</DT_ExtRef>
  <DT_Mode>AU</DT_Mode>
  <DT_Ausfuehrung>2024-01-15</DT_Ausfuehrung>
  <DT_Waehrung>EUR</DT_Waehrung>
  <DT_InvestKap>-25.00</DT_InvestKap>
  <DT_Steuern>0.00</DT_Steuern>
  <DT_Gesamtbetrag>25.00</DT_Gesamtbetrag>
</DepotTrans>)");
  t.type = 78;
  t.subType = 5;
  const std::string e = Element(t);
  EXPECT_EQ(Field(e, "DT_Mode"), "AU_STORNO");
  EXPECT_EQ(Field(e, "DT_InvestKap"), "25.00");
  EXPECT_EQ(Field(e, "DT_Gesamtbetrag"), "-25.00");
  EXPECT_EQ(Field(e, "SubTrans"), "(none)");
}

TEST_F(TransactionElementTest, EmptyAuRowWritesNothing) {
  Tx t;
  t.type = 50;
  t.subType = 0;
  EXPECT_EQ(Element(t), "");
  t.amount = 0.0;
  EXPECT_EQ(Element(t), "");
  t.type = 40;
  t.subType = 1;
  EXPECT_EQ(Element(t), "");
}

TEST_F(TransactionElementTest, AuRowWithUnitsButNoAmountKeepsItsUnits) {
  Tx t;
  t.type = 50;
  t.subType = 0;
  t.units = 1.5;
  t.amount = 0.0;
  const std::string e = Element(t);
  EXPECT_EQ(Field(e, "DT_Mode"), "AU");
  EXPECT_EQ(Field(e, "DT_Gesamtbetrag"), "(none)");
  EXPECT_EQ(Field(e, "DT_Anteile"), "1.5000");
}

TEST_F(TransactionElementTest, MissingUnitsAreZeroWithSumStatus) {
  Tx t;
  t.amount = 300.0;
  EXPECT_EQ(Element(t), R"(
<DepotTrans>
  <DT_ExtRef>1</DT_ExtRef>
  <DT_Mode>A</DT_Mode>
  <DT_Ausfuehrung>2024-01-15</DT_Ausfuehrung>
  <DT_Waehrung>EUR</DT_Waehrung>
  <DT_Anteile>0.0000</DT_Anteile>
  <DT_Gesamtbetrag>300.00</DT_Gesamtbetrag>
  <DT_Summe_Status>0</DT_Summe_Status>
</DepotTrans>)");
  t.type = 90;
  t.subType = 6;
  const std::string e = Element(t);
  EXPECT_EQ(Field(e, "DT_Anteile"), "0.0000");
  EXPECT_EQ(Field(e, "DT_Gesamtbetrag"), "-300.00");
  EXPECT_EQ(Field(e, "DT_Summe_Status"), "0");
  t.amount = Null{};  // no total: no status either
  EXPECT_EQ(Field(Element(t), "DT_Summe_Status"), "(none)");
}

TEST_F(TransactionElementTest, IssuePriceStandsInForAMissingRedemptionPrice) {
  Tx t;
  t.units = 1.0;
  t.redemptionPrice = 0.0;
  t.issuePrice = 41.5;
  std::string e = Element(t);
  EXPECT_EQ(Field(e, "DT_Preis"), "41.5000");
  EXPECT_EQ(Field(e, "DT_Preis_Status"), "21");
  t.redemptionPrice = 40.1;
  e = Element(t);
  EXPECT_EQ(Field(e, "DT_Preis"), "40.1000");
  EXPECT_EQ(Field(e, "DT_Preis_Status"), "(none)");
  t.redemptionPrice = Null{};
  t.issuePrice = Null{};
  e = Element(t);
  EXPECT_EQ(Field(e, "DT_Preis"), "(none)");
  EXPECT_EQ(Field(e, "DT_Preis_Status"), "(none)");
}

TEST_F(TransactionElementTest, ExchangeRateOnlyForPositiveAmounts) {
  Tx t;
  t.units = 1.0;
  t.amount = 100.0;
  t.amountEur = 91.25;
  EXPECT_EQ(Field(Element(t), "DT_Waehrungkurs"), "0.91250000");
  t.amount = -100.0;
  EXPECT_EQ(Field(Element(t), "DT_Waehrungkurs"), "(none)");
}

TEST_F(TransactionElementTest, ReferenceWithoutLeadingZeros) {
  Tx t;
  t.units = 1.0;
  t.id = "00012345";
  EXPECT_EQ(Field(Element(t), "DT_ExtRef"), "12345");
  t.id = "X00012345";
  EXPECT_EQ(Field(Element(t), "DT_ExtRef"), "X00012345");
}

TEST_F(TransactionElementTest, MissingPriceDateIsTheZeroDate) {
  Tx t;
  t.units = 1.0;
  t.priceDate = Null{};
  EXPECT_EQ(Field(Element(t), "DT_Ausfuehrung"), "1899-12-30");
  t.priceDate = 20241332;
  EXPECT_EQ(Field(Element(t), "DT_Ausfuehrung"), "1899-12-30");
}

TEST_F(TransactionElementTest, UnknownOrderCodeIsAPurchase) {
  Tx t;
  t.type = 12;
  t.subType = 7;
  t.units = 1.0;
  EXPECT_EQ(Field(Element(t), "DT_Mode"), "A");
}

}  // namespace
}  // namespace korvun::xmltest
