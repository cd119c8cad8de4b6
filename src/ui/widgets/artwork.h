#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn rather than shipped: the icon, the logo above the tab list
// and the page banners.
QIcon programIcon();
QPixmap logoPixmap(int width, double scale);
QPixmap bannerPixmap(const QString& text, int width, double scale);
