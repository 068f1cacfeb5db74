// The fonts the program draws its text with, and no others.
#pragma once

#include <QFont>
#include <QList>

namespace platform {

// Qt reads every installed font into its font database on the program's first text: with a desktop's
// thousands of faces that is a tenth of a second and some megabytes, for the few the program draws with.
// Before any text, this leaves fontconfig, with all of the desktop's rules, only the faces the desktop would
// give the fonts: each family where it is installed, or what the font falls back to.
void UseOnlyFontsFor(const QList<QFont>& fonts);

}  // namespace platform
