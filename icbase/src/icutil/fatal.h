// The fatal assertion of the track library: for programming errors only
// (states the program never enters on its own). Writes its line to the error
// stream and ends the process abnormally.
#pragma once

// "Assertion failed in file <file>, line <line>." (without a file:
// "Assertion failed.").
[[noreturn]] void AssertFail(const char* file, int line);
// Formats with the one printf engine, writes the text and an end of line.
[[noreturn]] void FatalPrintf(const char* format, ...);
