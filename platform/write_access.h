// Whether a file can ever be written where it stands, without writing it.
#pragma once

#include <string>

namespace platform {

// True when writing Path (as WriteFileAtomic does, through a symbolic link to
// its target) is refused for a reason that stays until someone changes the
// files or their permissions: its folder is missing or not a folder, this
// user may not create files in that folder, the name is taken by something
// that is no regular file, or the file is write-protected (no write bit, or
// none for this user) or cannot be read. A full disk or an I/O error is no
// such reason: writing again may work.
bool WriteRefusedForGood(const std::string& Path);

}  // namespace platform
