#include "platform/native/ini/ini_cache.h"

#include <algorithm>
#include <list>
#include <mutex>
#include <optional>

#include "platform/native/ini/ini_file_io.h"

namespace zarn {
namespace {

constexpr size_t cachedFileCount = 16;

struct CachedFile {
  std::string path;
  FileStamp stamp;
  std::shared_ptr<const IniDocument> document;
};

class IniCache {
 public:
  std::shared_ptr<const IniDocument> find(const std::string& path, const FileStamp& stamp) {
    const std::lock_guard guard(mutex_);
    const auto found = std::find_if(files_.begin(), files_.end(),
                                    [&](const CachedFile& file) { return file.path == path; });
    if (found == files_.end() || !(found->stamp == stamp)) return nullptr;
    files_.splice(files_.begin(), files_, found);
    return found->document;
  }

  void keep(const std::string& path, const FileStamp& stamp,
            std::shared_ptr<const IniDocument> document) {
    const std::lock_guard guard(mutex_);
    std::erase_if(files_, [&](const CachedFile& file) { return file.path == path; });
    files_.push_front({path, stamp, std::move(document)});
    if (files_.size() > cachedFileCount) files_.pop_back();
  }

 private:
  std::mutex mutex_;
  std::list<CachedFile> files_;  // most recently used first
};

IniCache& cache() {
  static IniCache instance;
  return instance;
}

std::shared_ptr<const IniDocument> emptyDocument() {
  static const auto empty = std::make_shared<const IniDocument>(IniText{});
  return empty;
}

}  // namespace

std::shared_ptr<const IniDocument> loadIniDocument(const std::string& path) {
  const std::optional<FileStamp> stamp = stampIniFile(path);
  if (!stamp) return emptyDocument();
  if (auto cached = cache().find(path, *stamp)) return cached;
  std::optional<FileContent> content = readIniFile(path);
  if (!content) return emptyDocument();
  auto document = std::make_shared<const IniDocument>(decodeIniBytes(std::move(content->bytes)));
  cache().keep(path, content->stamp, document);
  return document;
}

}  // namespace zarn
