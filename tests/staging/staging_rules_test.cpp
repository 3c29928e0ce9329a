// The rules of the import that need no database: values, filter, progress,
// the intermediary number, the database path, CSV lines and fields.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "staging/berater_ref.hpp"
#include "staging/csv_text.hpp"
#include "staging/database_path.hpp"
#include "staging/import_error_log.hpp"
#include "staging/import_progress.hpp"
#include "staging/order_type_filter.hpp"
#include "staging/value_conversion.hpp"

namespace korvun {
namespace {

TEST(FloatColumn, DotOrCommaAsDecimalSeparator) {
  EXPECT_DOUBLE_EQ(*FloatColumnValue("1234.56"), 1234.56);
  EXPECT_DOUBLE_EQ(*FloatColumnValue("1234,56"), 1234.56);
  EXPECT_FALSE(FloatColumnValue("1.234,56"));
  EXPECT_DOUBLE_EQ(*FloatColumnValue("1.234.567"), 1.234567);
  EXPECT_DOUBLE_EQ(*FloatColumnValue("-0,5"), -0.5);
  EXPECT_DOUBLE_EQ(*FloatColumnValue("7"), 7.0);
  EXPECT_FALSE(FloatColumnValue(""));
  EXPECT_FALSE(FloatColumnValue("abc"));
  EXPECT_FALSE(FloatColumnValue("1,2,3"));
  EXPECT_FALSE(FloatColumnValue("inf"));
  EXPECT_FALSE(FloatColumnValue("True"));
}

TEST(IntegerColumn, DotsRemovedAndTruncated) {
  EXPECT_EQ(*IntegerColumnValue("1.000"), 1000);
  EXPECT_EQ(*IntegerColumnValue("12,7"), 12);
  EXPECT_EQ(*IntegerColumnValue("-12,7"), -12);
  EXPECT_EQ(*IntegerColumnValue("20120315"), 20120315);
  EXPECT_EQ(*IntegerColumnValue("true"), 1);
  EXPECT_EQ(*IntegerColumnValue("FALSE"), 0);
  EXPECT_FALSE(IntegerColumnValue(""));
  EXPECT_FALSE(IntegerColumnValue("x1"));
  EXPECT_FALSE(IntegerColumnValue("Null"));
  // Out of 32 bits, but a number: the database decides.
  EXPECT_EQ(*IntegerColumnValue("99999999999"), 99999999999.0);
}

TEST(OrderTypeFilter, AcceptsTheListedCodesOnly) {
  EXPECT_TRUE(AcceptOrderType("50", ""));
  EXPECT_TRUE(AcceptOrderType("50", "0"));
  EXPECT_FALSE(AcceptOrderType("50", "1"));
  EXPECT_FALSE(AcceptOrderType("x", ""));
  EXPECT_FALSE(AcceptOrderType("", ""));
  EXPECT_FALSE(AcceptOrderType("10", "x"));
  EXPECT_TRUE(AcceptOrderType("10", "1"));
  EXPECT_TRUE(AcceptOrderType("98", "4"));
  EXPECT_TRUE(AcceptOrderType("70", "5"));
  EXPECT_FALSE(AcceptOrderType("10", "2"));
  EXPECT_FALSE(AcceptOrderType("99999999999999999999", ""));
  EXPECT_EQ(OrderCode("30", "2"), 3002);
  EXPECT_EQ(OrderCode("30", ""), 3000);
  EXPECT_EQ(OrderCode("3a", "2"), -1);
  int accepted = 0;
  for (int code = -100; code < 20000; ++code) accepted += IsImportedOrderCode(code) ? 1 : 0;
  EXPECT_EQ(accepted, 52);
}

TEST(ImportProgress, RoundsHalvesToEven) {
  EXPECT_EQ(ProgressShare(10, 25), 12);
  EXPECT_EQ(ProgressShare(20, 25), 24);
  EXPECT_EQ(ProgressShare(1, 12), 2);   // 2.5 -> 2
  EXPECT_EQ(ProgressShare(1, 4), 8);    // 7.5 -> 8
  EXPECT_EQ(ProgressShare(1, 3), 10);
  EXPECT_EQ(ProgressShare(2, 7), 9);    // 8.57 -> 9
  EXPECT_EQ(ProgressShare(0, 0), 0);
}

TEST(BeraterRef, SplitsAtDashesAndTrims) {
  const SelectionParts p = SplitBeraterRef(" 1234567890-12 - 5 ");
  EXPECT_EQ(p.parts[0], "1234567890-12 - 5");
  EXPECT_EQ(p.count, 3);
  EXPECT_EQ(p.parts[1], "1234567890");
  EXPECT_EQ(p.parts[2], "12");
  EXPECT_EQ(p.parts[3], "5");
}

TEST(BeraterRef, TrailingDashGivesEmptyPart) {
  const SelectionParts p = SplitBeraterRef("1234-");
  EXPECT_EQ(p.count, 2);
  EXPECT_EQ(p.parts[1], "1234");
  EXPECT_EQ(p.parts[2], "");
}

TEST(BeraterRef, SeventhPartDropped) {
  const SelectionParts p = SplitBeraterRef("1-2-3-4-5-6-7");
  EXPECT_EQ(p.count, 6);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(p.parts[static_cast<size_t>(i)], std::to_string(i));
  EXPECT_EQ(p.parts[0], "1-2-3-4-5-6-7");
}

TEST(DatabasePath, PlaceholderReplacedByDataDirectory) {
  EXPECT_EQ(ChooseDatabasePath("C:\\Daten\\ZUV\\", ".\\FFBDB.IDB"), "C:\\Daten\\ZUV\\FFBDB.IDB");
  EXPECT_EQ(ChooseDatabasePath("/srv/zuv/", "./FFBDB.IDB"), "/srv/zuv/FFBDB.IDB");
  EXPECT_EQ(ChooseDatabasePath("/srv/zuv/", ".\\x\\.\\FFBDB.IDB"), "/srv/zuv/x\\.\\FFBDB.IDB");
  EXPECT_EQ(ChooseDatabasePath("/srv/zuv/", "dbhost:/data/ffb.fdb"), "dbhost:/data/ffb.fdb");
  EXPECT_EQ(ChooseDatabasePath("/srv/zuv/", "../db/FFBDB.IDB"), "../db/FFBDB.IDB");
  EXPECT_EQ(ChooseDatabasePath("/srv/zuv/", ""), "/srv/zuv/FFBDB.IDB");
}

TEST(DatabasePath, ServerPortOnlyFromHostSlashPort) {
  EXPECT_EQ(DatabaseServerPort("localhost/3061:/srv/zuv/FFBDB.IDB", 3050), 3061);
  EXPECT_EQ(DatabaseServerPort("dbhost:/data/ffb.fdb", 3050), 3050);
  EXPECT_EQ(DatabaseServerPort("/srv/zuv/FFBDB.IDB", 3050), 3050);
  EXPECT_EQ(DatabaseServerPort("C:\\Daten\\FFBDB.IDB", 3050), 3050);
  EXPECT_EQ(DatabaseServerPort("/srv/3061:x/FFBDB.IDB", 3050), 3050);
  EXPECT_EQ(DatabaseServerPort("localhost/gds_db:/x", 3050), 3050);
  EXPECT_EQ(DatabaseServerPort("localhost/99999:/x", 3050), 3050);
  EXPECT_EQ(DatabaseServerPort("", 3050), 3050);
}

TEST(CsvText, LinesEndAtCrLfCrOrLf) {
  const auto lines = SplitLines("a\r\nb\rc\nd\r\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "b");
  EXPECT_EQ(lines[3], "d");
  EXPECT_EQ(SplitLines("a\n\nb").size(), 3u);
  EXPECT_EQ(SplitLines("").size(), 0u);
  EXPECT_EQ(SplitLines("x").size(), 1u);
}

// The file read block by block gives exactly the lines of the whole text,
// whatever the block size, also where a CR LF or a long line straddles two
// blocks.
TEST(CsvText, FileReadInBlocksGivesTheSameLines) {
  const std::string path = ::testing::TempDir() + "korvun_lines_" + std::to_string(::getpid());
  const std::string longLine(5000, 'L');
  const std::vector<std::string> texts = {
      "",
      "x",
      "\n",
      "\r\n",
      "\r",
      "kopf\r\na;b\r\n\r\nc;d\r\n",
      "a\rb\nc\r\nd",
      "a\r\r\nb\n\n\rc\r",
      std::string("nul\0mitten\r\nzwei", sizeof "nul\0mitten\r\nzwei" - 1),
      "kurz\r\n" + longLine + "\r\n" + longLine + "\rende",
  };
  for (const std::string& text : texts) {
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << text;
    }
    std::vector<std::string> expected;
    for (std::string_view line : SplitLines(text)) expected.emplace_back(line);
    for (size_t block : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{4096}, size_t{1} << 20}) {
      CsvLineReader reader(Env::Default(), path, block);
      std::vector<std::string> got;
      std::string_view line;
      while (reader.Next(&line)) got.emplace_back(line);
      EXPECT_EQ(got, expected) << "block " << block << ", text of " << text.size() << " bytes";
      EXPECT_FALSE(reader.Next(&line));
    }
    EXPECT_EQ(CsvLineReader::CountLines(Env::Default(), path),
              static_cast<long long>(expected.size()));
  }
  std::remove(path.c_str());
  try {
    CsvLineReader missing(Env::Default(), path);
    FAIL() << "a missing file must not open";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Die Datei " + path + " kann nicht ge\xF6" "ffnet werden.");
  }
}

TEST(CsvText, FieldsSplitWithoutQuoting) {
  std::vector<std::string_view> fields;
  SplitFields("a;\"b;c\";;", &fields);
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_EQ(fields[0], "a");
  EXPECT_EQ(fields[1], "\"b");
  EXPECT_EQ(fields[2], "c\"");
  EXPECT_EQ(fields[3], "");
  EXPECT_EQ(TrimControl(" \t x y\x01 "), "x y");
}

TEST(ErrorLog, TimeStampPattern) {
  EXPECT_EQ(LogTimeStamp({2026, 3, 7, 9, 5, 59}), "07.03.2026 09:05");
}

}  // namespace
}  // namespace korvun
