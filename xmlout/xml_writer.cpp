#include "xmlout/xml_writer.hpp"

#include <cmath>
#include <ios>

#include "base/german_format.hpp"
#include "base/ole_date.hpp"
#include "xmlout/xml_format.hpp"

namespace korvun {

TXMLWriter::TXMLWriter(bool buffered) : buffered_(buffered) {}

void TXMLWriter::Flush() {
  if (!buffered_) return;
  if (!buffer_.empty()) WriteBytes(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TXMLWriter::Reset() {
  buffer_.clear();
  level_ = 0;
}

void TXMLWriter::WriteRaw(std::string_view text) {
  if (!buffered_) {
    WriteBytes(text.data(), text.size());
    return;
  }
  if (bufferLimit_ > 0 && buffer_.size() + text.size() > static_cast<size_t>(bufferLimit_)) {
    // A piece longer than the limit stays whole and goes out with the next one.
    WriteBytes(buffer_.data(), buffer_.size());
    buffer_.assign(text);
  } else {
    buffer_.append(text);
  }
}

void TXMLWriter::SetBufferSize(int32_t size) {
  if (!buffered_ || size == bufferLimit_) return;
  if (!buffer_.empty()) {
    WriteBytes(buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  bufferLimit_ = size > 0 ? size : 0;
  if (bufferLimit_ > 0) buffer_.reserve(static_cast<size_t>(bufferLimit_));
}

std::string TXMLWriter::Escape(std::string_view text) const {
  std::string out;
  out.reserve(text.size() + 16);
  for (char ch : text) {
    const unsigned char b = static_cast<unsigned char>(ch);
    // Control bytes are not allowed in XML 1.0; TAB, LF and CR are.
    if ((b < 32 && b != 9 && b != 10 && b != 13) || b == 127) continue;
    switch (ch) {
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '\'': out += "&apos;"; continue;
      case '"': out += "&quot;"; continue;
      case '&': out += "&amp;"; continue;
      default: break;
    }
    if (charMode_ == cmCharRefs && b >= 128) {
      out += "&#";
      out += std::to_string(b);
      out += ';';
    } else if (charMode_ == cmGermanEntities) {
      switch (b) {
        case 228: out += "&auml;"; break;
        case 246: out += "&ouml;"; break;
        case 252: out += "&uuml;"; break;
        case 196: out += "&Auml;"; break;
        case 214: out += "&Ouml;"; break;
        case 220: out += "&Uuml;"; break;
        case 223: out += "&szlig;"; break;
        default: out += ch; break;
      }
    } else {
      out += ch;
    }
  }
  return out;
}

namespace {

// Most texts are plain printable ASCII and go out as they are.
bool NeedsEscape(std::string_view text) {
  for (char ch : text) {
    const unsigned char b = static_cast<unsigned char>(ch);
    if (b < 32 || b >= 127 || ch == '<' || ch == '>' || ch == '\'' || ch == '"' || ch == '&')
      return true;
  }
  return false;
}

}  // namespace

void TXMLWriter::WriteText(std::string_view text) {
  if (NeedsEscape(text)) WriteRaw(Escape(text));
  else WriteRaw(text);
}

void TXMLWriter::WriteNewLine() {
  // The line break and its indentation as one piece, like a tag.
  static const std::string kIndented = "\r\n" + std::string(254, ' ');
  const size_t blanks = 2 * static_cast<size_t>(level_ > 0 ? level_ : 0);
  if (blanks + 2 <= kIndented.size()) {
    WriteRaw(std::string_view(kIndented).substr(0, blanks + 2));
    return;
  }
  scratch_.assign("\r\n");
  scratch_.append(blanks, ' ');
  WriteRaw(scratch_);
}

void TXMLWriter::WriteTag(std::string_view name, TXMLTagKind kind, bool leaveOpen) {
  std::string_view tag = "<";
  switch (kind) {
    case tkEmpty:
      WriteNewLine();
      break;
    case tkStart:
      WriteNewLine();
      ++level_;
      break;
    case tkEnd:
      tag = "</";
      --level_;
      WriteNewLine();
      break;
    case tkEndInline:
      tag = "</";
      --level_;
      break;
  }
  // One piece, as the buffer limit counts pieces.
  scratch_.assign(tag);
  scratch_.append(name);
  WriteRaw(scratch_);
  if (!leaveOpen) CloseStartTag(kind);
}

void TXMLWriter::CloseStartTag(TXMLTagKind kind) { WriteRaw(kind == tkEmpty ? " />" : ">"); }

void TXMLWriter::WriteElement(std::string_view name, std::string_view text) {
  if (text.empty()) return;
  WriteTag(name, tkStart);
  WriteText(text);
  WriteTag(name, tkEndInline);
}

void TXMLWriter::WriteIntElement(std::string_view name, int64_t value) {
  WriteElement(name, std::to_string(value));
}

void TXMLWriter::WriteEmptyElement(std::string_view name) { WriteTag(name, tkEmpty); }

void TXMLWriter::WriteDateElement(std::string_view name, double value) {
  if (value == 0) {
    WriteEmptyElement(name);
    return;
  }
  const bool hasTime = value - std::trunc(value) != 0;
  if (valueFormat_ == vfISO) {
    WriteElement(name, hasTime ? XMLDateTimeStr(value) : XMLDateStr(value));
    return;
  }
  const GermanFormat& de = GermanFormat::Get();
  XMLDateStr(value);  // the same range check as the ISO form
  std::string text = de.ShortDate(CivilFromOle(value));
  if (hasTime) {
    const std::string t = XMLDateTimeStr(value);  // ...Thh:nn:ss
    const std::string hms = t.substr(t.size() - 8);
    text += ' ';
    text += de.LongTime(std::stoi(hms.substr(0, 2)), std::stoi(hms.substr(3, 2)),
                        std::stoi(hms.substr(6, 2)));
  }
  WriteElement(name, text);
}

std::string TXMLWriter::NumberText(double value, int precision, int digits) const {
  const char separator = valueFormat_ == vfISO ? '.' : GermanFormat::Get().decimalSeparator;
  return XMLFloatStr(value, precision, digits, separator);
}

void TXMLWriter::WriteSingleElement(std::string_view name, int32_t digits, float value) {
  WriteElement(name, NumberText(value, 7, digits));
}

void TXMLWriter::WriteDoubleElement(std::string_view name, int32_t digits, double value) {
  WriteElement(name, NumberText(value, 15, digits));
}

TXMLStreamWriter::TXMLStreamWriter(std::ostream& stream, bool buffered)
    : TXMLWriter(buffered), stream_(&stream) {}

TXMLStreamWriter::TXMLStreamWriter(std::unique_ptr<std::ostream> stream, bool buffered)
    : TXMLWriter(buffered), owned_(std::move(stream)), stream_(owned_.get()) {}

void TXMLStreamWriter::WriteBytes(const char* bytes, size_t count) {
  if (count == 0) return;
  stream_->write(bytes, static_cast<std::streamsize>(count));
  if (!*stream_) throw std::ios_base::failure("Schreibfehler in der XML-Datei");
}

}  // namespace korvun
