#pragma once
// Text from the network made safe for a terminal or a log: control
// characters (C0, DEL, and the C1 range U+0080 to U+009F, which terminals
// take as escape sequences too) and bytes that are not UTF-8 are written as
// \xHH, and "\" as "\\", so nothing the update service or a client sends
// can move the cursor, retitle the window or forge a log line. Everything
// else is kept as it is.

#include <string>
#include <string_view>

namespace update {

std::string PrintableText(std::string_view text);

}  // namespace update
