// VisibleText: text from outside (an add-in's strings, a file's name, a trace sender's message)
// made safe to print on one line of a terminal or a log, shared by zeb-host and the trace viewer.
//
// Control characters become C escapes: a backslash is doubled, and \n, \r, \t and \0 stand for
// themselves; every other C0 control and DEL is \xHH. C1 controls, which a terminal acts on too,
// are escaped as well: U+0080 to U+009F written in UTF-8 become \u0080 to \u009F, and a byte from
// 0x80 to 0x9F that is not part of a valid UTF-8 character \x80 to \x9F. Every other byte stays
// as it is (the characters of other languages, and bytes of other encodings from 0xA0 up), so
// that the result still reads as the text it came from and no line break or escape sequence is
// left in it.
#pragma once

#include <string>
#include <string_view>

#include "api/Export.h"

namespace zeb {

ZEB_RTL_API std::string VisibleText(std::string_view text);

}  // namespace zeb
