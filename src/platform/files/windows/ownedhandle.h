#pragma once

// An owner of one of the system's handles: it closes its handle exactly once, when it goes,
// whatever way the code leaves; it can be moved, never copied. Kernel handles close with
// CloseHandle, a search of a folder with FindClose.

#include <windows.h>

namespace quervelle::windows {

class OwnedHandle {
public:
    using Close = BOOL(WINAPI *)(HANDLE);

    OwnedHandle() noexcept = default;
    explicit OwnedHandle(HANDLE handle, Close close = ::CloseHandle) noexcept
        : m_handle(handle), m_close(close) {}
    ~OwnedHandle() { reset(); }

    OwnedHandle(OwnedHandle &&other) noexcept : m_handle(other.release()), m_close(other.m_close) {}
    OwnedHandle &operator=(OwnedHandle &&other) noexcept {
        if (this != &other) {
            reset();
            m_close = other.m_close;
            m_handle = other.release();
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle &) = delete;
    OwnedHandle &operator=(const OwnedHandle &) = delete;

    HANDLE get() const noexcept { return m_handle; }
    // False for no handle at all and for the INVALID_HANDLE_VALUE a failed call gives.
    bool valid() const noexcept { return m_handle && m_handle != INVALID_HANDLE_VALUE; }

    void reset() noexcept {
        if (valid())
            m_close(m_handle);
        m_handle = nullptr;
    }
    HANDLE release() noexcept {
        const HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle = nullptr;
    Close m_close = ::CloseHandle;
};

} // namespace quervelle::windows
