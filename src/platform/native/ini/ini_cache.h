// Parsed INI files kept between reads, so that reading an unchanged file does
// not parse it again. A cached document is used only while the file still
// has the identity (device and inode), size and modification and change
// times it had when it was read; files are replaced by rename, so a write by
// any process gives the path a new identity. The most recently used files
// are kept; the cache is shared by all threads of the process.
#pragma once

#include <memory>
#include <string>

#include "platform/native/ini/ini_document.h"

namespace zarn {

// The current document of the file at path: an empty one when the file is
// missing, unreadable or too large.
std::shared_ptr<const IniDocument> loadIniDocument(const std::string& path);

}  // namespace zarn
