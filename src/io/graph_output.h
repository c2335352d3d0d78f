// The graph's way out of the program: the bitmap file and the printed page.
#pragma once

#include <QImage>
#include <QString>

namespace curvalis {

inline constexpr char kMsgGraphNotSaved[] = "Impossibile salvare il grafico";
inline constexpr char kMsgNotPrinted[] = "Impossibile stampare";

// Saves `image` as a BMP file at `path` through a temporary file of the same folder renamed
// over it, so a failure leaves an older file whole. False, with the reason, on failure.
bool SaveBitmap(const QImage& image, const QString& path, QString* reason);

// Prints `image` on one page, scaled to fit the printable area and centred: on the default
// printer, or into the PDF file `pdfPath` when it is not empty (written through a temporary
// file renamed over it). False, with the reason, when there is no printer or the printer fails.
bool PrintImage(const QImage& image, const QString& pdfPath, QString* reason);

}  // namespace curvalis
