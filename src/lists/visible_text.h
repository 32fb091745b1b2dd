// Names as the user sees them. A file name may hold characters that show as nothing or move the
// text around it: a newline would break a question across lines and make "a\nb" look like "a",
// and a right-to-left override can make "txt.exe" read as "exe.txt". The lists, the labels and
// the questions show such characters as visible marks; every operation still uses the exact
// name.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::lists {

// The text with each such character written out in ASCII, which every font can draw: newline,
// carriage return and tab as "\n", "\r" and "\t", the other C0 controls and DEL as "\x" and two
// hex digits, and the C1 controls, the line and paragraph separators and every bidirectional
// control (the marks LRM, RLM and ALM, the embeddings, overrides and isolates) as "\u" and four
// hex digits. Bytes that are not UTF-8 are left as they are, for the front end's own decoding.
//
// The marks read back to one name only where the name holds no backslash of its own: a name
// that holds the text "\n" shows like a name that holds a newline. The lists keep each exact
// name, so such rows stay apart for every operation.
std::string VisibleText(std::string_view text);

}  // namespace vantrel::lists
