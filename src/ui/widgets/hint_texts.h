#pragma once

#include <QString>

// Hint texts that more than one page shows.
QString remoteSessionHint();
// What "播 n 秒" and "播 n 首" do at the end, beside both limit choices.
QString limitFadeHint();
