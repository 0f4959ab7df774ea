#include "transfer/ScanJob.h"

#include "device/CurrentProductFlags.h"
#include "device/LLDGlobal.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"

CScanJob& CScanJob::Current()
{
    static CScanJob s_job;
    return s_job;
}

CScanJob::CScanJob() : m_record(DefaultScanParam(CurrentProductFlags())) {}

void CScanJob::EndOfJob()
{
    if (!m_bBusy)
        return;
    EnableSessionDialog();
    m_bBusy = false;
    g_bScanStarted = false;
    if (m_pHost)
        m_pHost->OnJobEnded();
}

int CScanJob::SetScanParam(bool bGeometry)
{
    return m_pHost ? m_pHost->SetScanParam(bGeometry) : -1;
}

bool CScanJob::CloseDeviceOnce(bool bAbort)
{
    if (g_b_devmon_close.exchange(true))
        return false;
    if (bAbort)
        g_LLD.DevMon_AbortScan();
    g_LLD.DevMon_EndJob();
    g_LLD.DevMon_Close();
    return true;
}
