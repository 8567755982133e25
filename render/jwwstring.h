// MFC's serialised strings as the figure and drawing files hold them.
#pragma once

#include "render/bytecursor.h"

#include <string>

namespace plavik {

// Reads a string in any of its length forms (one byte; 0xFF and a WORD; 0xFF, 0xFFFF and a DWORD;
// 0xFFFFFFFF and a QWORD) and appends its bytes to out. After the UTF-16 marker (0xFF, 0xFFFE) the
// length counts code units: ASCII and half-width katakana become their code page 932 bytes, every
// other character '?'. Throws ReadError for a string cut short or longer than 64 KiB, before
// anything is appended.
void ReadCString(ByteCursor& cursor, std::string& out);
// Reads past a string, with the same checks.
void SkipCString(ByteCursor& cursor);

} // namespace plavik
