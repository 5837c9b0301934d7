#pragma once
// A one-page PDF document of a sheet: the page is the whole sheet at its exact size (in
// fractional points, so that a custom size reaches the printing service as it was asked
// for), and the sheet picture is drawn losslessly at its place on it.
#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>

namespace qv {

/// @brief The PDF bytes of a sheet of `sheetPt` points with `picture` (any format; drawn as
/// 24-bit RGB) filling `placePt` (points from the sheet's top-left corner); empty when the
/// picture is null or memory runs out.
QByteArray sheetPdf(const QImage& picture, QSizeF sheetPt, const QRectF& placePt);

} // namespace qv
