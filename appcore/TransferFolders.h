// The two TransferDb folders and the paths inside them. They are different
// folders with the same name:
//   <workspace>/TransferDb  SessionList.db, sess_<id>.db and sana_<id>.db,
//                           and the project's working copy;
//   <userdata>/TransferDb   transferDbTool.db, the update files and bcnx/,
//                           the beacon file of every track map.
// <userdata> is the per-user data folder (Documents/Pelmora), whose
// TrackMap/<map name>/ folders tell which sessions can be listed. That folder
// and <workspace>/TransferDb are owned by sport/DataFolders.h.
// A map name comes from data: a path built from a name that is not a plain
// name (see IsPlainDataName) is empty, and so is a path inside an empty folder.
#pragma once

#include <string>
#include <string_view>

#include "sport/DataFolders.h"

std::u16string UserTransferFolder(const std::u16string& userData);
std::u16string BeaconFolder(const std::u16string& userData);
// <userdata>/TransferDb/bcnx/<mapName>.bcnx
std::u16string BeaconFilePath(const std::u16string& userData, std::u16string_view mapName);
// <userdata>/TrackMap/<mapName>
std::u16string TrackMapFolder(const std::u16string& userData, std::u16string_view mapName);

enum class FolderParents {
  kMustExist,  // a missing parent is a failure (a workspace that is gone is not made anew)
  kCreate,     // missing parents are made too
};

// Makes the folder when it is missing; true when the folder exists afterwards.
bool EnsureFolder(const std::u16string& folder, FolderParents parents);
