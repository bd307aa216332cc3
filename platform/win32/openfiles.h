// The process's budget of open files: a workspace keeps many databases open
// at once, each with its file and journal.
#pragma once

// Raises the soft limit of open files to the hard limit; false when the
// limit could not be read or set (the old limit then stays).
bool RaiseOpenFileLimit();
