// libzip reading an archive through the Env: a seekable source over a
// RandomAccessFile, so that neither the archive nor an entry of it has to be
// in memory; libzip reads only the parts it needs.
#pragma once

#include <zip.h>

#include <memory>

#include "platform/env.hpp"

namespace korvun {

// A source for zip_open_from_source that owns the file. Null, with *error
// set, when libzip cannot make one.
zip_source_t* NewZipFileSource(std::unique_ptr<RandomAccessFile> file, zip_error_t* error);

}  // namespace korvun
