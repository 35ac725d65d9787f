// Failures that no result code can carry go to the host's error callback, one line each.
#pragma once

namespace zu::detail {

// Formats one line (newlines in the text become "; ") and hands it to the callback, if
// the host installed one; otherwise nothing happens.
void reportFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zu::detail
