#pragma once

#include <QString>

// Hint texts that more than one page shows.
QString remoteSessionHint();
