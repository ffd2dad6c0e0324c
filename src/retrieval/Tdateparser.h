#pragma once

#include "platform/Tdatetime.h"

#include <QString>

#include <optional>

// Reads the date-time a blog page's date text names, as the wall-clock time it states
// (a zone offset in the text is not applied). Empty when the text is not a date.
std::optional<TDateTime> ParseDateText(const QString &text);
