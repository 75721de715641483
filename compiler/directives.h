#pragma once
// Compiler directives {#X ...} and the conditional symbols. Internal to the
// scanner.

#include "compiler/compilation.h"

namespace velkor {

// Called with the directive letter current. Returns with the closing "}"
// current or just before it. Returns true when the directive skipped text and
// the symbol after the skip is already current (the scan must not go on).
bool HandleDirective(Compilation& c);

// Skips characters up to the next "}" (which becomes current).
void SkipToClosingBrace(Compilation& c);

} // namespace velkor
