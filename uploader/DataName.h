// The check that a name taken from data (a service label, a track-map name)
// passes before it is joined into a path as one file or folder name. A bad
// name is refused, never cleaned into another name.
#pragma once

#include <string_view>

// True for a name that stays one path component: not empty, not "." or "..",
// and free of '/', '\', ':' and control characters (below U+0020 and U+007F).
bool IsPlainDataName(std::u16string_view name);
