#pragma once

#include <QString>

namespace korvane {

// What the engine asks of the telegram folder browser: show the current
// content of Folder (a native path) again, after a telegram or record file
// there was created, renamed or deleted. Called on the main thread, from
// the file tick, without the engine lock. No browser: nothing to refresh.
class FolderRefresh {
public:
    virtual ~FolderRefresh() = default;
    virtual void RefreshFolder(const QString& folder) = 0;
};

} // namespace korvane
