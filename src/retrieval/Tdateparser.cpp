#include "retrieval/Tdateparser.h"

std::optional<TDateTime> ParseDateText(const QString &) { return std::nullopt; }
