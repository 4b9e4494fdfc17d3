#include "ide/qt/LineCodec.h"

#include <QStringDecoder>
#include <algorithm>

#include "ide/core/TextBuffer.h"

namespace ide::qt {

namespace {
qsizetype Size(std::string_view bytes) {
  return static_cast<qsizetype>(bytes.size());
}
}  // namespace

LineCodec LineCodec::For(const zebide::TextBuffer& buffer) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  for (std::size_t i = 0; i < buffer.LineCount(); ++i) {
    const std::string& text = buffer.LineAt(i).text;
    (void)decoder.decode(QByteArrayView(text.data(), Size(text)));
    if (decoder.hasError()) return Latin1();
  }
  return Utf8();
}

QString LineCodec::Decode(std::string_view bytes) const {
  return utf8_ ? QString::fromUtf8(bytes.data(), Size(bytes))
               : QString::fromLatin1(bytes.data(), Size(bytes));
}

std::string LineCodec::Encode(const QString& text) const {
  const QByteArray bytes = utf8_ ? text.toUtf8() : text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int LineCodec::CharOffset(std::string_view bytes, int byteOffset) const {
  if (byteOffset <= 0) return byteOffset;
  const auto inside = static_cast<std::size_t>(byteOffset);
  const std::size_t taken = std::min(inside, bytes.size());
  const int chars = static_cast<int>(Decode(bytes.substr(0, taken)).size());
  return chars + static_cast<int>(inside - taken);
}

int LineCodec::ByteOffset(const QString& text, int charOffset) const {
  if (charOffset <= 0) return charOffset;
  const int taken = std::min(charOffset, static_cast<int>(text.size()));
  const int bytes = static_cast<int>(Encode(text.left(taken)).size());
  return bytes + (charOffset - taken);
}

}  // namespace ide::qt
