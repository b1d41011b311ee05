#include <owl/Thread.h>

#include <base/Threads.h>

namespace OWL {

void TThread::Terminate() { m_terminate = true; }

TThread::~TThread()
{
    if (!m_handle)
        return;
    WaitForSingleObject(m_handle, INFINITE);
    CloseHandle(m_handle);
}

HANDLE TThread::Start()
{
    if (m_handle || m_invalid)
        return nullptr;
    DWORD id = 0;
    m_handle = CreateThread(nullptr, 0, Execute, this, 0, &id);
    m_invalid = m_handle == nullptr;
    return m_handle;
}

DWORD TThread::Execute(LPVOID thread)
{
    auto* self = static_cast<TThread*>(thread);
    int result = self->Run();
    self->m_exitCode = result;
    return static_cast<DWORD>(result);
}

DWORD TThread::WaitForExit(DWORD timeout)
{
    if (!m_handle)
        return WAIT_OBJECT_0;
    return WaitForSingleObject(m_handle, timeout);
}

DWORD TThread::TerminateAndWait(DWORD timeout)
{
    Terminate();
    return WaitForExit(timeout);
}

TThread::TStatus TThread::GetStatus() const
{
    if (m_invalid)
        return Invalid;
    if (!m_handle)
        return Created;
    return WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0 ? Finished : Running;
}

}
