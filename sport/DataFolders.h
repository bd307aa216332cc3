// The folders of the program's own data that more than one layer needs: the
// per-user data folder and the workspace's transfer folder. Each has this one
// owner; appcore/TransferFolders.h builds the paths inside them.
#pragma once

#include <string>
#include <string_view>

// folder + '/' + name; empty when the folder is empty.
std::u16string JoinFolder(const std::u16string& folder, std::u16string_view name);

// <Documents>/Pelmora, the per-user data folder; empty when the documents
// folder is unknown. Not created here.
std::u16string UserDataFolder();

// <workspace>/TransferDb: SessionList.db, the per-session files and the
// project's working copy; empty for an empty workspace.
std::u16string WorkspaceTransferFolder(const std::u16string& workspace);
