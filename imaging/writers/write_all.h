#pragma once
// Writing a whole buffer to a file descriptor, past short writes and signals.
#include <cstddef>

namespace ostrel::writers {

// 0 once every byte is written; else the error number (ENOSPC when the file
// takes no more bytes without saying why). Bytes before the failure may be in.
int writeAll(int fd, const void* data, std::size_t size);

}  // namespace ostrel::writers
