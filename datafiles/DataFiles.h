// Every file and folder the program keeps its own data in, named here and
// nowhere else. Two folders hold them, both called TransferDb:
//   <workspace>/TransferDb  SessionList.db, the per-session files
//                           sess_<id>.db and sana_<id>.db, and the
//                           project's working copy;
//   <userdata>/TransferDb   transferDbTool.db (the user and track-map
//                           tables), the update files auto_update.txt and
//                           Pelmora_Uploader_installer.exe, and
//                           bcnx/<map>.bcnx, the beacon file of every track
//                           map.
// <userdata> is the per-user data folder <Documents>/Pelmora; its
// TrackMap/<map>/ folders tell which sessions can be listed, and
// TrackMap/<map>/<map>.txt gives a map's display name. <workspace> is the
// folder of the settings, <Documents>/Pelmora_Workspace when none is stored.
//
// Every path is built with '/' and without a trailing separator. A path
// inside an empty folder is empty. A map name comes from data: a path built
// from a name that is not a plain name (IsPlainDataName) is empty, never a
// cleaned name. Nothing is created here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// folder + '/' + name (one separator); empty when the folder is empty.
std::u16string JoinFolder(const std::u16string& folder, std::u16string_view name);

// The per-user data folder <documents>/Pelmora; empty for an empty
// `documents`.
std::u16string UserDataFolderIn(const std::u16string& documents);
// The same in the user's documents folder (platform/win32/knownfolders.h),
// read at every call; empty when that folder is unknown.
std::u16string UserDataFolder();
// <userdata>/TransferDb
std::u16string UserTransferFolder(const std::u16string& userData);
// <userdata>/TransferDb/transferDbTool.db
std::u16string TransferDbToolPath(const std::u16string& userData);
// <userdata>/TransferDb/bcnx
std::u16string BeaconFolder(const std::u16string& userData);
// <userdata>/TransferDb/bcnx/<mapName>.bcnx
std::u16string BeaconFilePath(const std::u16string& userData, std::u16string_view mapName);
// <userdata>/TrackMap/<mapName>
std::u16string TrackMapFolder(const std::u16string& userData, std::u16string_view mapName);
// <userdata>/TrackMap/<mapName>/<mapName>.txt
std::u16string TrackMapNameFile(const std::u16string& userData, std::u16string_view mapName);

// The update files: the same names on the update store and in
// <userdata>/TransferDb.
inline constexpr const char16_t* kUpdateDescriptionName = u"auto_update.txt";
inline constexpr const char16_t* kUpdateInstallerName = u"Pelmora_Uploader_installer.exe";
// <userdata>/TransferDb/auto_update.txt
std::u16string UpdateDescriptionPath(const std::u16string& userData);
// <userdata>/TransferDb/Pelmora_Uploader_installer.exe
std::u16string UpdateInstallerPath(const std::u16string& userData);

// The workspace used when none is stored: <Documents>/Pelmora_Workspace, or
// /Pelmora_Workspace when the documents folder is unknown.
std::u16string DefaultWorkspaceFolder();
// <workspace>/TransferDb
std::u16string WorkspaceTransferFolder(const std::u16string& workspace);
// <workspace>/TransferDb/SessionList.db
std::u16string SessionListPath(const std::u16string& workspace);

// The two files of a session that an upload posts, named by the session's
// row id in the session list.
enum class SessionFile {
  kSess,  // "sess_<id>.db": the GPS points
  kSana,  // "sana_<id>.db": the lap analysis
};
// <workspace>/TransferDb/sess_<id>.db or <workspace>/TransferDb/sana_<id>.db
std::u16string SessionFilePath(const std::u16string& workspace, SessionFile file, int32_t id);
