#include "transfer/SpoolWriter.h"

#include <system_error>

#include "transfer/DataMapFile.h"

CSpoolWriter::CSpoolWriter(Data_MapFile& spool, size_t nChunkBytes) : m_spool(spool)
{
    m_chunks[0].resize(nChunkBytes);
    m_chunks[1].resize(nChunkBytes);
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // Written by the reader then.
    }
}

CSpoolWriter::~CSpoolWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CSpoolWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_bPending || m_bStop; });
        if (!m_bPending)
            return;
        const int n = m_nPending;
        const DWORD dwOffset = m_dwOffset, dwLength = m_dwLength;
        lock.unlock();
        const bool bOk = m_spool.Write(dwOffset, m_chunks[n].data(), dwLength);
        lock.lock();
        m_bFailed = m_bFailed || !bOk;
        m_bPending = false;
        m_cv.notify_all();
    }
}

bool CSpoolWriter::Hand(DWORD dwOffset, DWORD dwLength)
{
    if (!m_thread.joinable()) {
        m_bFailed = m_bFailed || !m_spool.Write(dwOffset, m_chunks[m_nFill].data(), dwLength);
        return !m_bFailed;
    }
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return !m_bPending; });
    m_bPending = true;
    m_nPending = m_nFill;
    m_dwOffset = dwOffset;
    m_dwLength = dwLength;
    m_nFill ^= 1;
    m_cv.notify_all();
    return !m_bFailed;
}

bool CSpoolWriter::Finish()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return !m_bPending; });
    return !m_bFailed;
}
