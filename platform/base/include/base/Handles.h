#pragma once

// The process's table of kernel handles: files, finds, threads and events share it.
//
// A handle names one object; its numbers are never reused within a run, so a stale handle fails
// with ERROR_INVALID_HANDLE instead of reaching a newer object. The table holds a shared
// reference, so an object lives while it is in the table or in use by a call.
//
//     HANDLE h = base::Handles::add(std::make_shared<MyObject>());
//     auto object = base::Handles::get<MyObject>(h);   // null when closed or of another kind
//     CloseHandle(h);

#include <base/Types.h>

#include <memory>

namespace base {

// Anything a HANDLE can name.
class KernelObject {
public:
    virtual ~KernelObject() = default;
};

class Handles {
public:
    static HANDLE add(std::shared_ptr<KernelObject> object);
    static std::shared_ptr<KernelObject> lookup(HANDLE handle);
    template<typename T>
    static std::shared_ptr<T> get(HANDLE handle) { return std::dynamic_pointer_cast<T>(lookup(handle)); }
    // Removes the handle; returns false when it names nothing.
    static bool remove(HANDLE handle);
    // Handles currently open (tests use it to find leaks).
    static std::size_t count();
};

}

// Closes a handle of any kind; the object goes when nothing else uses it (a thread keeps running).
BOOL CloseHandle(HANDLE handle);
