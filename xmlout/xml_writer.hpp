// A small forward-only XML writer: tags and elements one after another, a
// line break and two blanks per level before every tag, escaped text, and
// output collected in a buffer that goes to the destination in big pieces.
// No attributes, no declaration.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace korvun {

enum TXMLTagKind : uint8_t { tkStart = 0, tkEnd = 1, tkEmpty = 2, tkEndInline = 3 };

// How bytes other than the five markup characters are written.
enum TXMLCharMode : uint8_t {
  cmCharRefs = 0,        // 128..255 as decimal character references
  cmGermanEntities = 1,  // the seven German letters as named entities
  cmPlain = 2,           // every byte as it is
};

enum TXMLValueFormat : uint8_t {
  vfLocale = 0,  // the library's German formats
  vfISO = 1,     // yyyy-mm-dd[Thh:nn:ss], numbers with a point
};

class TXMLWriter {
 public:
  explicit TXMLWriter(bool buffered);
  virtual ~TXMLWriter() = default;
  TXMLWriter(const TXMLWriter&) = delete;
  TXMLWriter& operator=(const TXMLWriter&) = delete;

  // Hands a run of bytes to the destination.
  virtual void WriteBytes(const char* bytes, size_t count) = 0;
  // Writes what the buffer holds and empties it.
  virtual void Flush();
  // Drops the buffer unwritten and returns to level 0.
  virtual void Reset();
  virtual void WriteRaw(std::string_view text);

  // Writes a pending buffer and sets the size at which the buffer is written
  // (0 or less: no limit). Call Reset afterwards, before the first tag.
  void SetBufferSize(int32_t size);

  void WriteText(std::string_view text);
  void WriteNewLine();
  void WriteTag(std::string_view name, TXMLTagKind kind, bool leaveOpen = false);
  void CloseStartTag(TXMLTagKind kind);
  // Nothing at all when text is empty.
  void WriteElement(std::string_view name, std::string_view text);
  void WriteIntElement(std::string_view name, int64_t value);
  // The empty-element tag for 0.
  void WriteDateElement(std::string_view name, double value);
  void WriteSingleElement(std::string_view name, int32_t digits, float value);
  void WriteDoubleElement(std::string_view name, int32_t digits, double value);
  void WriteEmptyElement(std::string_view name);

  // Escaped form of text under the current character mode.
  std::string Escape(std::string_view text) const;

  bool Buffered() const { return buffered_; }
  int32_t BufferLimit() const { return bufferLimit_; }
  const std::string& Buffer() const { return buffer_; }
  int32_t Level() const { return level_; }
  TXMLCharMode CharMode() const { return charMode_; }
  void SetCharMode(TXMLCharMode mode) { charMode_ = mode; }
  TXMLValueFormat ValueFormat() const { return valueFormat_; }
  void SetValueFormat(TXMLValueFormat format) { valueFormat_ = format; }

 private:
  std::string NumberText(double value, int precision, int digits) const;

  bool buffered_;
  int32_t bufferLimit_ = 0;
  std::string buffer_;
  std::string scratch_;  // a line break or tag opening; keeps its capacity
  int32_t level_ = 0;
  TXMLCharMode charMode_ = cmCharRefs;
  TXMLValueFormat valueFormat_ = vfLocale;
};

// Sends the bytes to a stream. A failing write throws std::ios_base::failure.
// The destructor does not flush: unflushed text is dropped.
class TXMLStreamWriter : public TXMLWriter {
 public:
  TXMLStreamWriter(std::ostream& stream, bool buffered);
  TXMLStreamWriter(std::unique_ptr<std::ostream> stream, bool buffered);

  void WriteBytes(const char* bytes, size_t count) override;
  std::ostream& Stream() { return *stream_; }
  bool OwnsStream() const { return owned_ != nullptr; }

 private:
  std::unique_ptr<std::ostream> owned_;
  std::ostream* stream_;
};

}  // namespace korvun
