// The program's name: the main window's title and the caption of its message
// boxes.
#pragma once

inline constexpr const char16_t kProgramTitle[] = u"Morvek Pelmora Uploader";
