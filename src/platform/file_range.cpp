#include "platform/file_range.h"

#include <unistd.h>

#include <cerrno>

namespace burnmark {

int ReadFileAt(int fd, uint64_t offset, std::span<uint8_t> into) {
    std::size_t have = 0;
    while (have < into.size()) {
        const ssize_t n = ::pread(fd, into.data() + have, into.size() - have,
                                  static_cast<off_t>(offset + have));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return kFileEndedEarly;
        have += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace burnmark
