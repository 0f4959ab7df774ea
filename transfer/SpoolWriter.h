// The page's rows on their way into the spool file: the reader fills one chunk while the
// chunk before it is written on a thread of the writer's own, so that the device and the file
// cache work at the same time. Chunks go out in the order they are handed over.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class Data_MapFile;

class CSpoolWriter {
public:
    // Raises std::bad_alloc when the two chunks cannot be had. Without a thread to spare the
    // chunks are written by the reader itself.
    CSpoolWriter(Data_MapFile& spool, size_t nChunkBytes);
    ~CSpoolWriter();
    CSpoolWriter(const CSpoolWriter&) = delete;
    CSpoolWriter& operator=(const CSpoolWriter&) = delete;

    // The chunk to fill next.
    uint8_t* Chunk() { return m_chunks[m_nFill].data(); }
    // Hands the filled chunk over as bytes [dwOffset, dwOffset + dwLength) of the spool; returns
    // once the other chunk may be filled. False when a write has failed.
    bool Hand(DWORD dwOffset, DWORD dwLength);
    // Waits for the last write; false when any write failed.
    bool Finish();

private:
    void Run();

    Data_MapFile& m_spool;
    std::vector<uint8_t> m_chunks[2];
    int m_nFill = 0;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bPending = false;  // a chunk waits for or is in its write
    int m_nPending = 0;
    DWORD m_dwOffset = 0, m_dwLength = 0;
    bool m_bFailed = false;
    bool m_bStop = false;
    std::thread m_thread;
};
