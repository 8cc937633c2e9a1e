#pragma once

// A file of a run on POSIX, opened at its turn or ahead of it.

#include <fcntl.h>

#include <memory>
#include <string>

#include "platform/file_stream.h"
#include "platform/posix/file_descriptor.h"
#include "platform/read_ahead.h"

namespace brenvo1::platform::posix {

// O_NONBLOCK: a FIFO swapped in since the listing must not stall the run.
inline constexpr int kFileFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// The stream of a file just opened with kFileFlags (throws FileSystemError
// naming name when fd is none, with errno's reason), or nullptr when the
// descriptor turns out to be no regular file: a FIFO, a folder, a device
// or a socket mounted or swapped into the file's place since the listing.
// Asked only where the answer costs no request to a server: on a network
// file system the listing is trusted, and what is no file reads as empty.
// A file is read up to the size it has when opened, where that is asked
// (a size of zero, as kernel views in /proc have, is read to its end). Its
// first read tells slow whether it had to wait for a disk.
std::unique_ptr<FileStream> OpenedFile(FileDescriptor fd, bool network, const std::string& name,
                                       std::shared_ptr<ReadAheadSwitch> slow);

}  // namespace brenvo1::platform::posix
