// The making of a folder the program keeps its files in (datafiles/DataFiles.h
// names them) before a file is written there.
#pragma once

#include <string>

enum class FolderParents {
  kMustExist,  // a missing parent is a failure (a workspace that is gone is not made anew)
  kCreate,     // missing parents are made too
};

// Makes the folder when it is missing; true when the folder exists afterwards.
// An empty folder is a failure.
bool EnsureFolder(const std::u16string& folder, FolderParents parents);
