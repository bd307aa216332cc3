// The user's folders: home, documents and settings, following the XDG rules.
// Each is read from the environment at every call, so that a test can point
// HOME and XDG_* at a folder of its own. No trailing '/'.
#pragma once

#include <string>

// $HOME, else the home folder of the user's account; empty when neither is known.
std::u16string GetHomeFolderPath();
// The XDG documents folder: XDG_DOCUMENTS_DIR from <settings>/user-dirs.dirs
// ("$HOME/..." or an absolute path, without a zero byte; other forms are
// ignored), else the same
// variable from the environment when absolute, else $HOME/Documents. The
// folder is not created.
std::u16string GetDocumentsFolderPath();
// $XDG_CONFIG_HOME when absolute, else $HOME/.config.
std::u16string GetSettingsFolderPath();
