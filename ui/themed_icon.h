#pragma once

#include <QIcon>
#include <QString>
#include <functional>

namespace tavrin {

// An icon from the desktop's icon theme by its freedesktop name, or our own picture where the
// theme has none or the desktop chose no theme. The theme is looked into only when the icon is
// first drawn: a search of the theme's folders costs milliseconds that the start of the program
// need not wait for. `own` draws our picture; it is called at most once, and only when the theme
// has no such icon.
QIcon ThemedIcon(const QString& themeName, std::function<QIcon()> own);
// The same, with our picture of the same name from the resource (":/ui/icons/NAME.svg").
QIcon ThemedIcon(const QString& themeName);
// Our picture of that name alone, as an icon: drawn in advance at 16, 24, 32 and 48 pixels, from
// the SVG at other sizes.
QIcon OwnIcon(const QString& name);

}  // namespace tavrin
