// The graph's way out of the program: the bitmap file, the printed page and the exported
// picture.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "core/operation_list.h"
#include "io/drawing_painter.h"

namespace curvalis {

inline constexpr char kMsgGraphNotSaved[] = "Impossibile salvare il grafico";
inline constexpr char kMsgNotPrinted[] = "Impossibile stampare";
inline constexpr char kMsgGraphNotExported[] = "Impossibile esportare il grafico";

// Saves `image` as a BMP file at `path` through a temporary file of the same folder renamed
// over it, so a failure leaves an older file whole. False, with the reason, on failure.
bool SaveBitmap(const QImage& image, const QString& path, QString* reason);

// Prints the drawing of `list` with its `labels` on one page, as large as fits the printable
// area and centred, at the printer's resolution: lines and texts stay vectors, so a PDF keeps
// its texts as text. On the default printer, or into the PDF file `pdfPath` when it is not
// empty (written whole or not at all). False, with the reason, when there is no printer or the
// printer fails.
bool PrintDrawing(const OperationList& list, const std::vector<DrawingLabel>& labels,
                  const QString& pdfPath, QString* reason);

// The largest enlargement of an exported PNG or BMP.
inline constexpr int kMaxPictureScale = 8;

// The kinds of picture the drawing is exported to, chosen by the file's ending.
enum class PictureFormat { Png, Bmp, Svg, Pdf };
std::optional<PictureFormat> PictureFormatOf(const QString& path);
// The file ending of a kind, without the dot: "png", "bmp", "svg", "pdf".
QString PictureSuffix(PictureFormat format);

// Writes the drawing of `list` to `path` as `format`: PNG and BMP `scale` times the drawing's
// size; SVG and PDF (one page the drawing's size) as vectors, their texts as text. Written
// through a temporary file renamed over `path`, so a failure leaves an older file whole. False,
// with the reason, on failure.
bool ExportDrawing(const OperationList& list, const QString& path, PictureFormat format, int scale,
                   QString* reason);

}  // namespace curvalis
