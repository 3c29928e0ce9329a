#include "xmlout/xml_writer.hpp"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/ole_date.hpp"

namespace korvun {
namespace {

// Keeps every piece that reaches the destination.
class PieceWriter : public TXMLWriter {
 public:
  explicit PieceWriter(bool buffered) : TXMLWriter(buffered) {}
  void WriteBytes(const char* bytes, size_t count) override { pieces.emplace_back(bytes, count); }
  std::string All() const {
    std::string s;
    for (const auto& p : pieces) s += p;
    return s;
  }
  std::vector<std::string> pieces;
};

std::string Written(const std::function<void(TXMLWriter&)>& body, TXMLCharMode mode = cmCharRefs) {
  PieceWriter w(false);
  w.SetValueFormat(vfISO);
  w.SetCharMode(mode);
  body(w);
  return w.All();
}

TEST(XmlWriter, EmptyValueWritesNothing) {
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteElement("A", ""); }), "");
}

TEST(XmlWriter, MarkupCharactersAreEscaped) {
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteElement("A", "A<B & C"); }),
            "\r\n<A>A&lt;B &amp; C</A>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteText("'\">"); }), "&apos;&quot;&gt;");
}

TEST(XmlWriter, ControlBytesAreDroppedButTabCrLfStay) {
  std::string value = "a";
  for (int b = 0; b < 32; ++b) value += static_cast<char>(b);
  value += "\x7F" "b";
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteText(value); }), "a\t\n\rb");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteText(std::string("x\x1Ay\x7Fz")); }), "xyz");
}

TEST(XmlWriter, HighBytesByCharacterMode) {
  const std::string text = "\xE4\xDF\xE9";
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteText(text); }), "&#228;&#223;&#233;");
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteText(text); }, cmGermanEntities),
            "&auml;&szlig;\xE9");
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteText("\xC4\xD6\xDC\xF6\xFC"); }, cmGermanEntities),
            "&Auml;&Ouml;&Uuml;&ouml;&uuml;");
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteText(text); }, cmPlain), text);
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteText("\x80\xFF"); }), "&#128;&#255;");
}

TEST(XmlWriter, LineBreaksOnlyBeforeTagsWithTwoBlanksPerLevel) {
  const std::string out = Written([](TXMLWriter& w) {
    w.WriteTag("XML", tkStart);
    w.WriteTag("Import", tkStart);
    w.WriteElement("I_Herkunft", "ZUV");
    w.WriteEmptyElement("Leer");
    w.WriteTag("Import", tkEnd);
    w.WriteTag("XML", tkEnd);
    EXPECT_EQ(w.Level(), 0);
  });
  EXPECT_EQ(out,
            "\r\n<XML>\r\n  <Import>\r\n    <I_Herkunft>ZUV</I_Herkunft>\r\n    <Leer />"
            "\r\n  </Import>\r\n</XML>");
}

TEST(XmlWriter, DeepNestingKeepsIndentingAndEachLineIsOnePiece) {
  PieceWriter w(false);
  for (int i = 0; i < 70; ++i) w.WriteTag("T", tkStart);
  w.WriteElement("V", "x");
  // The line break and its indentation reach the destination together.
  ASSERT_GE(w.pieces.size(), 9u);
  EXPECT_EQ(w.pieces[w.pieces.size() - 6], "\r\n" + std::string(140, ' '));
  EXPECT_EQ(w.pieces[w.pieces.size() - 9], "\r\n" + std::string(138, ' '));
  for (int i = 0; i < 70; ++i) w.WriteTag("T", tkEnd);
  EXPECT_EQ(w.pieces[w.pieces.size() - 2], "</T");
  EXPECT_EQ(w.pieces[w.pieces.size() - 3], "\r\n");
  EXPECT_EQ(w.pieces[w.pieces.size() - 6], "\r\n  ");
}

TEST(XmlWriter, StartAndEndWithoutContentAreTwoLines) {
  const std::string out = Written([](TXMLWriter& w) {
    w.WriteTag("R", tkStart);
    w.WriteTag("Leer", tkStart);
    w.WriteTag("Leer", tkEnd);
    w.WriteTag("R", tkEnd);
  });
  EXPECT_EQ(out, "\r\n<R>\r\n  <Leer>\r\n  </Leer>\r\n</R>");
}

TEST(XmlWriter, LeftOpenTagIsClosedLater) {
  const std::string out = Written([](TXMLWriter& w) {
    w.WriteTag("A", tkEmpty, true);
    w.CloseStartTag(tkEmpty);
    w.WriteTag("B", tkStart, true);
    w.CloseStartTag(tkStart);
  });
  EXPECT_EQ(out, "\r\n<A />\r\n<B>");
}

TEST(XmlWriter, IntegersAndNumbers) {
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteIntElement("N", -42); }), "\r\n<N>-42</N>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteIntElement("N", 0); }), "\r\n<N>0</N>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteDoubleElement("N", 2, -1234.5); }),
            "\r\n<N>-1234.50</N>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteSingleElement("N", 0, 0); }), "\r\n<N>0</N>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteSingleElement("N", 2, 0); }), "\r\n<N>0.00</N>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteDoubleElement("N", 4, -0.0); }),
            "\r\n<N>0.0000</N>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteDoubleElement("N", 2, -0.001); }),
            "\r\n<N>0.00</N>");
}

TEST(XmlWriter, LocaleFormatUsesTheGermanSeparator) {
  PieceWriter w(false);
  w.WriteDoubleElement("N", 2, -1234.5);
  EXPECT_EQ(w.All(), "\r\n<N>-1234,50</N>");
}

TEST(XmlWriter, Dates) {
  const double day = OleFromCivil({2009, 1, 31});
  const double withTime = day + (14 * 3600 + 5 * 60 + 9) / 86400.0;
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteDateElement("D", 0); }), "\r\n<D />");
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteDateElement("D", day); }),
            "\r\n<D>2009-01-31</D>");
  EXPECT_EQ(Written([&](TXMLWriter& w) { w.WriteDateElement("D", withTime); }),
            "\r\n<D>2009-01-31T14:05:09</D>");
  EXPECT_EQ(Written([](TXMLWriter& w) { w.WriteDateElement("D", 0.5); }), "\r\n<D>12:00:00</D>");
  PieceWriter german(false);
  german.WriteDateElement("D", withTime);
  EXPECT_EQ(german.All(), "\r\n<D>31.01.2009 14:05:09</D>");
}

TEST(XmlWriter, BufferGoesOutInPiecesOfTheLimit) {
  PieceWriter w(true);
  w.SetBufferSize(10);
  w.Reset();
  w.WriteRaw("12345");
  w.WriteRaw("6789");
  EXPECT_TRUE(w.pieces.empty());
  w.WriteRaw("ab");  // 11 bytes would overflow: the first nine go out
  ASSERT_EQ(w.pieces.size(), 1u);
  EXPECT_EQ(w.pieces[0], "123456789");
  w.WriteRaw("a piece longer than ten");  // stays whole
  ASSERT_EQ(w.pieces.size(), 2u);
  EXPECT_EQ(w.pieces[1], "ab");
  EXPECT_EQ(w.Buffer(), "a piece longer than ten");
  w.Flush();
  ASSERT_EQ(w.pieces.size(), 3u);
  EXPECT_EQ(w.pieces[2], "a piece longer than ten");
  EXPECT_TRUE(w.Buffer().empty());
  w.Flush();
  EXPECT_EQ(w.pieces.size(), 3u);
}

TEST(XmlWriter, LargeDocumentPiecesNeverExceedTheLimitAndLoseNothing) {
  PieceWriter w(true);
  w.SetBufferSize(65535);
  w.Reset();
  std::string expected;
  w.WriteTag("XML", tkStart);
  for (int i = 0; i < 20000; ++i) w.WriteElement("E", std::to_string(i));
  w.WriteTag("XML", tkEnd);
  w.Flush();
  ASSERT_GT(w.pieces.size(), 3u);
  for (const auto& p : w.pieces) EXPECT_LE(p.size(), 65535u);
  const std::string all = w.All();
  EXPECT_EQ(all.substr(0, 7), "\r\n<XML>");
  EXPECT_NE(all.find("\r\n  <E>19999</E>\r\n</XML>"), std::string::npos);
  EXPECT_EQ(all.substr(all.size() - 6), "</XML>");
}

TEST(XmlWriter, SetBufferSizeWritesPendingTextAndResetDropsIt) {
  PieceWriter w(true);
  w.WriteRaw("pending");
  w.SetBufferSize(100);
  ASSERT_EQ(w.pieces.size(), 1u);
  EXPECT_EQ(w.pieces[0], "pending");
  EXPECT_EQ(w.BufferLimit(), 100);
  w.WriteTag("A", tkStart);
  w.Reset();
  EXPECT_EQ(w.Level(), 0);
  EXPECT_TRUE(w.Buffer().empty());
  w.SetBufferSize(-5);
  EXPECT_EQ(w.BufferLimit(), 0);
}

TEST(XmlWriter, UnbufferedWritesAtOnce) {
  PieceWriter w(false);
  w.SetBufferSize(100);  // ignored when not buffered
  EXPECT_EQ(w.BufferLimit(), 0);
  w.WriteElement("A", "x");
  // line break, "<A", ">", text, "</A", ">"
  EXPECT_EQ(w.pieces.size(), 6u);
  EXPECT_EQ(w.All(), "\r\n<A>x</A>");
}

TEST(XmlStreamWriter, DestructorDoesNotFlush) {
  std::ostringstream out;
  {
    TXMLStreamWriter w(out, true);
    w.WriteElement("A", "x");
  }
  EXPECT_EQ(out.str(), "");
  {
    TXMLStreamWriter w(out, true);
    w.WriteElement("A", "x");
    w.Flush();
  }
  EXPECT_EQ(out.str(), "\r\n<A>x</A>");
}

TEST(XmlStreamWriter, AFailingStreamThrows) {
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  TXMLStreamWriter w(out, false);
  EXPECT_THROW(w.WriteElement("A", "x"), std::ios_base::failure);
}

}  // namespace
}  // namespace korvun
