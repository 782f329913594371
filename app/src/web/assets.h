// The page's files, compiled into the binary by the build (cmake/EmbedAssets.cmake):
// the server reads nothing from disk.
#pragma once

#include <cstddef>
#include <string_view>

namespace app::web {

struct Asset {
  const char* path;  // "/app.js"
  const char* type;  // "text/javascript; charset=utf-8"
  const unsigned char* data;
  std::size_t size;
};

extern const Asset kAssets[];
extern const std::size_t kAssetCount;

// The asset at that path ("/" is "/index.html"), or null.
inline const Asset* find_asset(std::string_view path) {
  if (path == "/") path = "/index.html";
  for (std::size_t i = 0; i < kAssetCount; ++i) {
    if (path == kAssets[i].path) return &kAssets[i];
  }
  return nullptr;
}

}  // namespace app::web
