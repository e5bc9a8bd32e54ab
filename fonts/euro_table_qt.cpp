#include "fonts/euro_table_qt.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>

#include "common/file_io.h"

namespace tavrin {

namespace {

QImage Blank() {
  QImage picture(kEuroPictureWidth, kEuroPictureHeight, QImage::Format_RGB32);
  picture.fill(Qt::white);
  return picture;
}

QFont Crisp(int pixels) {
  QFont font("DejaVu Sans");
  font.setPixelSize(pixels);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

QImage BuiltInEuroTable() {
  QImage picture = Blank();
  QPainter painter(&picture);
  painter.setPen(Qt::black);
  for (int k = 0; k < kEuroCharacters; ++k) {
    const int x = kEuroCellWidth * (k % kEuroColumns), y = kEuroCellHeight * (k / kEuroColumns);
    painter.setFont(Crisp(13));
    painter.drawText(QRect(x + 4, y + 1, 18, 21), Qt::AlignCenter,
                     QString::fromUtf8(DefaultEuroCharacter(k).data(),
                                       static_cast<qsizetype>(DefaultEuroCharacter(k).size())));
    painter.setFont(Crisp(10));
    painter.drawText(QRect(x + 24, y + 1, 32, 21), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(EuroLabel(k)));
  }
  painter.end();
  // Two colours: whatever is not white is black.
  return picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
      .convertToFormat(QImage::Format_RGB32);
}

Result<QImage> LoadEuroPicture(const std::filesystem::path& path) {
  Result<std::string> bytes = ReadFileLimited(path, 4 * 1024 * 1024);
  if (!bytes) return bytes.TakeError();
  QImage picture;
  if (!picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                            static_cast<int>(bytes->size()), "BMP")) {
    return Error{Utf8FromPath(path) + " is not a bitmap"};
  }
  if (picture.width() < kEuroPictureWidth || picture.height() < kEuroPictureHeight) {
    return Error{Utf8FromPath(path) + " is smaller than the table (" +
                 std::to_string(kEuroPictureWidth) + " x " + std::to_string(kEuroPictureHeight) +
                 ")"};
  }
  return picture.convertToFormat(QImage::Format_RGB32);
}

Status SaveEuroPicture(const std::filesystem::path& path, const QImage& picture) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(&buffer, "BMP")) {
    return Error{"Cannot write " + Utf8FromPath(path) + ": no bitmap was made"};
  }
  return WriteFileAtomically(
      path, std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
}

void DrawTransferredCharacter(QImage& picture, const UserFontRecord& record) {
  const std::optional<EuroGlyph> glyph = PlaceTransferredCharacter(record);
  if (!glyph) return;
  const PixelRect& e = glyph->erase;
  QPainter painter(&picture);
  painter.fillRect(e.left, e.top, e.right - e.left + 1, e.bottom - e.top + 1, Qt::white);
  painter.end();
  for (const auto& [x, y] : glyph->dots) {
    if (picture.valid(x, y)) picture.setPixel(x, y, qRgb(0, 0, 0));
  }
}

QImage StartingEuroPicture(const std::filesystem::path& folder) {
  const std::filesystem::path defaults = folder / kEuroDefaultPictureFile;
  std::error_code ec;
  if (!std::filesystem::exists(defaults, ec)) SaveEuroPicture(defaults, BuiltInEuroTable()).Ok();
  Result<QImage> working = LoadEuroPicture(folder / kEuroPictureFile);
  return working ? *working : BuiltInEuroTable();
}

Status RecordTransferredCharacters(const std::filesystem::path& folder,
                                   const std::vector<UserFontRecord>& sent) {
  if (sent.empty()) return {};
  QImage picture = StartingEuroPicture(folder);
  for (const UserFontRecord& record : sent) DrawTransferredCharacter(picture, record);
  return SaveEuroPicture(folder / kEuroPictureFile, picture);
}

std::optional<QImage> RecallDefaultEuroPicture(const std::filesystem::path& folder) {
  Result<QImage> defaults = LoadEuroPicture(folder / kEuroDefaultPictureFile);
  if (!defaults) return std::nullopt;
  std::error_code ec;
  std::filesystem::copy_file(folder / kEuroDefaultPictureFile, folder / kEuroPictureFile,
                             std::filesystem::copy_options::overwrite_existing, ec);
  return *defaults;
}

}  // namespace tavrin
