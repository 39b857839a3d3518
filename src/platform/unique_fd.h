// A file descriptor closed when its owner goes, on every path out.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <memory>

namespace varcel {

// A file descriptor in the shape unique_ptr asks of a pointer; -1 is empty.
class FileDescriptor {
public:
    FileDescriptor() = default;
    FileDescriptor(std::nullptr_t) {}
    explicit FileDescriptor(int fd) : m_fd(fd < 0 ? -1 : fd) {}
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    friend bool operator==(const FileDescriptor&, const FileDescriptor&) = default;

private:
    int m_fd = -1;
};

struct FdCloser {
    using pointer = FileDescriptor;
    void operator()(FileDescriptor fd) const { ::close(fd.get()); }
};

using UniqueFd = std::unique_ptr<FileDescriptor, FdCloser>;

inline UniqueFd adoptFd(int fd) { return UniqueFd(FileDescriptor(fd)); }
inline int fdOf(const UniqueFd& fd) { return fd.get().get(); }

} // namespace varcel
