#pragma once

#include <QCollator>

// The one order of names the user sees: the locale's collation, ignoring case, with
// punctuation and digits compared as written. Every sort of names uses it.
QCollator nameCollator();
