// brontile-cli recover: the documents the recovery store holds for processes that ended without
// cleaning up, listed or written out as packages.
#pragma once

#include <filesystem>
#include <ostream>

#include "io/recovery_store.hpp"

namespace brontile::cli {

// One line per document (folder, time, title, file or "untitled", and what is damaged), or as
// JSON: {"documents": [{"folder", "title", "file", "time", "damaged"}]}. Exit 0.
int recoverList(const RecoveryStore& store, bool json, std::ostream& out);

// Writes the document of `folder` (a path, or a folder's name in the store) as a package at
// `destination`. Exit 0, or 2 with the reason on `err`.
int recoverOne(const RecoveryStore& store, const std::filesystem::path& folder,
               const std::filesystem::path& destination, std::ostream& err);

}  // namespace brontile::cli
